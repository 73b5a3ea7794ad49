#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/Canvas.h"
#include "tests/canvas/CanvasTestUtil.h"

namespace zolvex::test {
namespace {

using platform::Brush;
using platform::Canvas;
using platform::MakeColor;
using platform::Pen;
using platform::PenStyle;
using platform::Point;
using platform::Rect;

constexpr Color kBlack = 0;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kRed = MakeColor(255, 0, 0);
constexpr Color kBlue = MakeColor(0, 0, 255);

struct CanvasShapesTest : ::testing::Test {
  Surface surface{40, 40};
  Canvas canvas{surface};
};

TEST_F(CanvasShapesTest, RectangleOutlineRunsThroughItsOuterPixels) {
  for (int width : {0, 1}) {
    surface.Fill(surface.Bounds(), kBlack);
    canvas.SetPen({kWhite, width, PenStyle::Solid});
    canvas.DrawRectangle(Rect::FromSize(5, 6, 20, 10));
    // (x, y) to (x + width - 1, y + height - 1), nothing inside or outside.
    const PixelSet expected = PixelsWhere(40, 40, [](int x, int y) {
      const bool inside = x >= 5 && x <= 24 && y >= 6 && y <= 15;
      return inside && (x == 5 || x == 24 || y == 6 || y == 15);
    });
    EXPECT_EQ(PaintedPixels(surface, kBlack), expected) << "pen width " << width;
  }
}

TEST_F(CanvasShapesTest, RectangleFillCoversExactlyItsArea) {
  canvas.SetPen({platform::kNoColor});
  canvas.SetBrush(Brush::Solid(kRed));
  canvas.DrawRectangle(Rect::FromSize(3, 4, 7, 5));
  EXPECT_EQ(PaintedPixels(surface, kBlack),
            PixelsWhere(40, 40, [](int x, int y) { return x >= 3 && x < 10 && y >= 4 && y < 9; }));
  EXPECT_EQ(ColorAt(surface, 3, 4), kRed);
}

TEST_F(CanvasShapesTest, FillWithPartialOpacityMixesHalfTheColour) {
  surface.Fill(surface.Bounds(), kWhite);
  canvas.SetOpacity(128);
  canvas.FillRect(Rect::FromSize(0, 0, 10, 10), kBlack);
  EXPECT_NEAR(platform::RedOf(ColorAt(surface, 5, 5)), 127, 1);
  canvas.SetOpacity(0);
  canvas.FillRect(Rect::FromSize(20, 20, 10, 10), kBlack);
  EXPECT_EQ(ColorAt(surface, 25, 25), kWhite);
}

TEST_F(CanvasShapesTest, LinesPaintTheirStartButNotTheirEnd) {
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.DrawLine({2, 5}, {12, 5});
  EXPECT_EQ(PaintedPixels(surface, kBlack),
            PixelsWhere(40, 40, [](int x, int y) { return y == 5 && x >= 2 && x < 12; }));

  surface.Fill(surface.Bounds(), kBlack);
  canvas.DrawLine({0, 0}, {20, 10});
  const PixelSet painted = PaintedPixels(surface, kBlack);
  ASSERT_EQ(painted.size(), 20u);  // one pixel per column of the major axis
  int previousY = 0;
  for (int x = 0; x < 20; ++x) {
    auto it = std::find_if(painted.begin(), painted.end(), [x](const auto& p) { return p.first == x; });
    ASSERT_NE(it, painted.end()) << x;
    EXPECT_LE(std::abs(it->second - x / 2), 1);
    EXPECT_LE(it->second - previousY, 1);  // connected
    previousY = it->second;
  }
  // A polyline paints its last point as well.
  surface.Fill(surface.Bounds(), kBlack);
  canvas.DrawPolyline({{2, 30}, {6, 30}, {6, 34}});
  EXPECT_EQ(PaintedPixels(surface, kBlack).size(), 9u);
  EXPECT_EQ(ColorAt(surface, 6, 34), kWhite);
}

TEST_F(CanvasShapesTest, PenStylesFollowTheWindowSystemPatterns) {
  Surface wide(100, 3);
  Canvas c(wide);
  struct Case {
    PenStyle style;
    std::string pattern;  // one character per pixel of the first 48 pixels
  };
  const Case cases[] = {
      {PenStyle::Solid, std::string(48, '#')},
      {PenStyle::Dash, std::string(18, '#') + std::string(6, '.') + std::string(18, '#') + std::string(6, '.')},
      {PenStyle::Dot, "###...###...###...###...###...###...###...###..."},
      {PenStyle::DashDot, "#########......###......#########......###......"},
      {PenStyle::DashDotDot, "#########...###...###...#########...###...###..."},
  };
  for (const Case& test : cases) {
    wide.Fill(wide.Bounds(), kBlack);
    c.SetPen({kWhite, 1, test.style});
    c.DrawLine({0, 1}, {99, 1});
    std::string seen;
    for (int x = 0; x < 48; ++x) seen += ColorAt(wide, x, 1) == kWhite ? '#' : '.';
    EXPECT_EQ(seen, test.pattern) << static_cast<int>(test.style);
  }
  // Wider pens are solid whatever their style.
  wide.Fill(wide.Bounds(), kBlack);
  c.SetPen({kWhite, 3, PenStyle::Dot});
  c.DrawLine({5, 1}, {90, 1});
  for (int x = 10; x < 80; ++x) ASSERT_EQ(ColorAt(wide, x, 1), kWhite) << x;
  EXPECT_EQ(platform::PenStyleFromNumber(7), PenStyle::Solid);
}

TEST_F(CanvasShapesTest, WidePenCoversItsWidthAroundTheLine) {
  canvas.SetPen({kWhite, 5, PenStyle::Solid});
  canvas.DrawLine({10, 20}, {30, 20});
  for (int y = 18; y <= 22; ++y) EXPECT_EQ(ColorAt(surface, 20, y), kWhite) << y;
  EXPECT_EQ(ColorAt(surface, 20, 17), kBlack);
  EXPECT_EQ(ColorAt(surface, 20, 23), kBlack);
}

TEST_F(CanvasShapesTest, FilledPolygonHasItsFillInsideAndItsOutlineOnTheCorners) {
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.SetBrush(Brush::Solid(kRed));
  canvas.DrawPolygon({{5, 5}, {30, 5}, {5, 30}});
  EXPECT_EQ(ColorAt(surface, 5, 5), kWhite);
  EXPECT_EQ(ColorAt(surface, 30, 5), kWhite);
  EXPECT_EQ(ColorAt(surface, 5, 30), kWhite);
  EXPECT_EQ(ColorAt(surface, 10, 10), kRed);
  EXPECT_EQ(ColorAt(surface, 25, 25), kBlack);
  // Every row between the outline's sides is filled without gaps.
  for (int y = 6; y < 29; ++y) {
    int x = 6;
    while (ColorAt(surface, x, y) == kRed) ++x;
    EXPECT_EQ(ColorAt(surface, x, y), kWhite) << "row " << y;
  }
}

TEST_F(CanvasShapesTest, EllipseStaysInsideItsBoxAndTouchesItsSides) {
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.SetBrush(Brush::Solid(kBlue));
  const Rect box = Rect::FromSize(4, 6, 30, 20);
  canvas.DrawEllipse(box);
  const PixelSet painted = PaintedPixels(surface, kBlack);
  for (const auto& [x, y] : painted) ASSERT_TRUE(box.Contains({x, y})) << x << "," << y;
  EXPECT_EQ(ColorAt(surface, 4, 15), kWhite);   // left side
  EXPECT_EQ(ColorAt(surface, 33, 15), kWhite);  // right side
  EXPECT_EQ(ColorAt(surface, 18, 6), kWhite);   // top
  EXPECT_EQ(ColorAt(surface, 18, 25), kWhite);  // bottom
  EXPECT_EQ(ColorAt(surface, 4, 6), kBlack);    // corners stay free
  EXPECT_EQ(ColorAt(surface, 33, 25), kBlack);
  EXPECT_EQ(ColorAt(surface, 19, 16), kBlue);  // fill inside
  // The outline is closed: from the centre, every way out meets the pen.
  for (int x = 19; ColorAt(surface, x, 16) != kWhite; ++x) ASSERT_LT(x, 34);
}

TEST_F(CanvasShapesTest, PieFillsTheSectorCounterClockwiseFromStartToEnd) {
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.SetBrush(Brush::Solid(kRed));
  // From the ray to the right, counter-clockwise to the ray upwards: the upper-right quarter.
  canvas.DrawPie(Rect::FromSize(0, 0, 40, 40), {39, 20}, {20, 0});
  EXPECT_EQ(ColorAt(surface, 28, 12), kRed);
  EXPECT_EQ(ColorAt(surface, 12, 12), kBlack);
  EXPECT_EQ(ColorAt(surface, 12, 28), kBlack);
  EXPECT_EQ(ColorAt(surface, 28, 28), kBlack);

  surface.Fill(surface.Bounds(), kBlack);
  canvas.DrawArc(Rect::FromSize(0, 0, 40, 40), {39, 20}, {20, 0});
  const PixelSet arc = PaintedPixels(surface, kBlack);
  ASSERT_FALSE(arc.empty());
  for (const auto& [x, y] : arc) EXPECT_TRUE(x >= 19 && y <= 20) << x << "," << y;
  EXPECT_EQ(ColorAt(surface, 28, 12), kBlack);  // an arc is not filled
}

TEST_F(CanvasShapesTest, RoundRectangleRoundsItsCorners) {
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.DrawRoundRect(Rect::FromSize(5, 5, 30, 20), {10, 10});
  EXPECT_EQ(ColorAt(surface, 20, 5), kWhite);
  EXPECT_EQ(ColorAt(surface, 5, 15), kWhite);
  EXPECT_EQ(ColorAt(surface, 5, 5), kBlack);
  EXPECT_EQ(ColorAt(surface, 34, 24), kBlack);
}

TEST_F(CanvasShapesTest, InvertModeTurnsPixelsAndTwiceRestoresThem) {
  for (int x = 0; x < 40; ++x) surface.Fill(Rect::FromSize(x, 0, 1, 40), MakeColor(x * 6, 255 - x * 5, 77));
  Surface before(40, 40);
  before.Blit(surface, surface.Bounds(), surface.Bounds());
  canvas.SetRasterMode(platform::RasterMode::Invert);
  canvas.SetPen({kBlack, 1, PenStyle::Solid});
  canvas.DrawLine({0, 10}, {39, 10});
  const Color original = ColorAt(before, 7, 10);
  EXPECT_EQ(ColorAt(surface, 7, 10), MakeColor(255 - platform::RedOf(original), 255 - platform::GreenOf(original),
                                               255 - platform::BlueOf(original)));
  EXPECT_EQ(ColorAt(surface, 7, 11), ColorAt(before, 7, 11));
  canvas.DrawLine({0, 10}, {39, 10});
  for (int x = 0; x < 40; ++x) ASSERT_EQ(surface.PixelAt(x, 10), before.PixelAt(x, 10)) << x;

  // Crossing strokes of one outline invert each pixel once.
  canvas.DrawRectangle(Rect::FromSize(2, 2, 30, 30));
  canvas.DrawRectangle(Rect::FromSize(2, 2, 30, 30));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(surface.PixelAt(x, y), before.PixelAt(x, y)) << x << "," << y;
}

TEST_F(CanvasShapesTest, LinearGradientRunsFromStartToEndColour) {
  canvas.SetBrush(Brush::LinearGradient({0, 0}, {40, 0}, 0xFF000000u, 0xFFFFFFFFu));
  canvas.FillRect(surface.Bounds());
  EXPECT_LT(platform::RedOf(ColorAt(surface, 0, 5)), 10);
  EXPECT_GT(platform::RedOf(ColorAt(surface, 39, 5)), 245);
  EXPECT_NEAR(platform::RedOf(ColorAt(surface, 20, 5)), 131, 8);

  // A blend with a peak in the middle, repeated beyond the gradient's ends.
  surface.Fill(surface.Bounds(), kWhite);
  canvas.SetBrush(Brush::LinearGradient({0, 0}, {21, 0}, 0x00000000u, 0xFF000000u,
                                        {{0, 0}, {0.4, 0}, {0.5, 1}, {0.6, 0}, {1, 0}}, true));
  canvas.FillRect(surface.Bounds());
  EXPECT_EQ(ColorAt(surface, 2, 5), kWhite);
  EXPECT_LT(platform::RedOf(ColorAt(surface, 10, 5)), 10);  // pixel centre at half the line
  EXPECT_LT(platform::RedOf(ColorAt(surface, 31, 5)), 10);  // repeated
  EXPECT_EQ(ColorAt(surface, 23, 5), kWhite);
}

TEST_F(CanvasShapesTest, GradientWithoutFiniteNumbersFillsNothingAndHarmsNothing) {
  const double nan = std::nan("");
  canvas.SetBrush(Brush::LinearGradient({nan, 0}, {10, 0}, 0xFFFFFFFFu, 0xFFFFFFFFu));
  canvas.FillRect(surface.Bounds());
  canvas.SetBrush(Brush::LinearGradient({0, 0}, {10, 0}, 0xFFFFFFFFu, 0xFFFFFFFFu, {{nan, 1}}));
  canvas.FillRect(surface.Bounds());
  EXPECT_TRUE(PaintedPixels(surface, kBlack).empty());
  canvas.FillRect(Rect::FromSize(0, 0, 2, 2), kWhite);  // the canvas still draws
  EXPECT_EQ(ColorAt(surface, 1, 1), kWhite);
}

TEST_F(CanvasShapesTest, AbsurdCoordinatesDrawOnlyWhatMeetsTheSurface) {
  canvas.SetPen({kWhite, 1, PenStyle::Dash});
  canvas.DrawLine({-2000000000, 20}, {2000000000, 20});
  canvas.DrawLine({5, -2000000000}, {5, 2000000000});
  EXPECT_EQ(ColorAt(surface, 5, 0), kWhite);
  EXPECT_FALSE(PaintedPixels(surface, kBlack).empty());
  canvas.DrawEllipse({-2000000000, -2000000000, 2000000000, 2000000000});
  canvas.DrawPolygon({{0, 0}});
  canvas.DrawPolyline({});
}

}  // namespace
}  // namespace zolvex::test
