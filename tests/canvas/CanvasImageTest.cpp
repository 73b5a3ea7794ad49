#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/Canvas.h"
#include "tests/canvas/CanvasTestUtil.h"

namespace zolvex::test {
namespace {

using platform::Canvas;
using platform::ImageFilter;
using platform::MakeColor;
using platform::PointF;
using platform::Rect;

constexpr Color kBlack = 0;
constexpr Color kRed = MakeColor(255, 0, 0);
constexpr Color kGreen = MakeColor(0, 255, 0);
constexpr Color kBlue = MakeColor(0, 0, 255);
constexpr Color kWhite = 0xFFFFFF;

// A 2 x 2 picture: red, green on top; blue, white below.
struct CanvasImageTest : ::testing::Test {
  CanvasImageTest() {
    quad.SetPixel(0, 0, platform::PixelFromColor(kRed));
    quad.SetPixel(1, 0, platform::PixelFromColor(kGreen));
    quad.SetPixel(0, 1, platform::PixelFromColor(kBlue));
    quad.SetPixel(1, 1, platform::PixelFromColor(kWhite));
  }
  Surface quad{2, 2};
  Surface surface{40, 40};
  Canvas canvas{surface};
};

TEST_F(CanvasImageTest, StretchedImageFillsExactlyItsDestination) {
  canvas.DrawSurface(quad, quad.Bounds(), Rect::FromSize(10, 10, 20, 20), ImageFilter::Nearest);
  EXPECT_EQ(PaintedPixels(surface, kBlack),
            PixelsWhere(40, 40, [](int x, int y) { return x >= 10 && x < 30 && y >= 10 && y < 30; }));
  EXPECT_EQ(ColorAt(surface, 10, 10), kRed);
  EXPECT_EQ(ColorAt(surface, 29, 10), kGreen);
  EXPECT_EQ(ColorAt(surface, 10, 29), kBlue);
  EXPECT_EQ(ColorAt(surface, 29, 29), kWhite);
  EXPECT_EQ(ColorAt(surface, 19, 19), kRed);
  EXPECT_EQ(ColorAt(surface, 20, 20), kWhite);
}

TEST_F(CanvasImageTest, BilinearStretchBlendsBetweenPixelsAndKeepsCorners) {
  canvas.DrawSurface(quad, quad.Bounds(), Rect::FromSize(0, 0, 40, 40));
  EXPECT_EQ(ColorAt(surface, 0, 0), kRed);
  EXPECT_EQ(ColorAt(surface, 39, 39), kWhite);
  const Color middle = ColorAt(surface, 19, 0);  // between red and green
  EXPECT_GT(platform::RedOf(middle), 60);
  EXPECT_GT(platform::GreenOf(middle), 60);
}

TEST_F(CanvasImageTest, ThreePointsMapTheCornersOfTheSource) {
  // Turned a quarter clockwise: the top-left source corner goes to the top-right.
  canvas.DrawSurface(quad, quad.Bounds(), PointF{30, 10}, PointF{30, 30}, PointF{10, 10}, ImageFilter::Nearest);
  EXPECT_EQ(ColorAt(surface, 29, 10), kRed);
  EXPECT_EQ(ColorAt(surface, 29, 29), kGreen);
  EXPECT_EQ(ColorAt(surface, 10, 10), kBlue);
  EXPECT_EQ(ColorAt(surface, 10, 29), kWhite);
  EXPECT_EQ(PaintedPixels(surface, kBlack).size(), 400u);

  // A sheared parallelogram keeps its rows.
  surface.Fill(surface.Bounds(), kBlack);
  canvas.DrawSurface(quad, quad.Bounds(), PointF{0, 0}, PointF{20, 0}, PointF{10, 20}, ImageFilter::Nearest);
  EXPECT_EQ(ColorAt(surface, 1, 1), kRed);
  EXPECT_EQ(ColorAt(surface, 19, 1), kGreen);
  EXPECT_EQ(ColorAt(surface, 2, 18), kBlack);  // left of the sheared edge
  EXPECT_EQ(ColorAt(surface, 12, 18), kBlue);
}

TEST_F(CanvasImageTest, PartOfTheSourceAndOpacity) {
  surface.Fill(surface.Bounds(), kBlack);
  // Only the lower-right pixel, as a 10 x 10 square.
  canvas.DrawSurface(quad, Rect::FromSize(1, 1, 1, 1), Rect::FromSize(0, 0, 10, 10));
  EXPECT_EQ(PaintedPixels(surface, kBlack), PixelsWhere(40, 40, [](int x, int y) { return x < 10 && y < 10; }));
  EXPECT_EQ(ColorAt(surface, 5, 5), kWhite);

  // A source area reaching outside the source draws only the part that exists.
  surface.Fill(surface.Bounds(), kBlack);
  canvas.DrawSurface(quad, Rect::FromSize(1, 0, 2, 2), Rect::FromSize(0, 0, 20, 20), ImageFilter::Nearest);
  EXPECT_EQ(PaintedPixels(surface, kBlack), PixelsWhere(40, 40, [](int x, int y) { return x < 10 && y < 20; }));

  surface.Fill(surface.Bounds(), kBlack);
  canvas.SetOpacity(128);
  canvas.DrawSurface(quad, Rect::FromSize(1, 1, 1, 1), Rect::FromSize(0, 0, 10, 10));
  EXPECT_NEAR(platform::RedOf(ColorAt(surface, 5, 5)), 128, 1);
}

TEST_F(CanvasImageTest, SourcePixelsAreOpaqueWhateverTheirAlpha) {
  quad.SetPixel(0, 0, 0x00FF0000u);  // red with a cleared alpha byte
  canvas.DrawSurface(quad, Rect::FromSize(0, 0, 1, 1), Rect::FromSize(0, 0, 4, 4));
  EXPECT_EQ(ColorAt(surface, 1, 1), kRed);
}

TEST_F(CanvasImageTest, DrawingASurfaceOntoItselfReadsTheOriginalPixels) {
  surface.Fill(Rect::FromSize(0, 0, 10, 10), kGreen);
  canvas.DrawSurface(surface, Rect::FromSize(0, 0, 20, 20), Rect::FromSize(5, 5, 20, 20), ImageFilter::Nearest);
  EXPECT_EQ(ColorAt(surface, 12, 12), kGreen);
  EXPECT_EQ(ColorAt(surface, 20, 20), kBlack);  // from (15, 15), black before the drawing
  EXPECT_EQ(ColorAt(surface, 14, 14), kGreen);
  EXPECT_EQ(ColorAt(surface, 15, 15), kBlack);
}

TEST_F(CanvasImageTest, ClippedAntialiasedImageStaysInsideItsClip) {
  // A folded corner as a page turn draws it: a clipped, turned image and a soft shadow.
  canvas.SetAntialias(true);
  const std::vector<PointF> flap = {{40, 10}, {40, 40}, {10, 40}};
  canvas.ClipPolygon(flap);
  canvas.DrawSurface(quad, quad.Bounds(), PointF{40, 40}, PointF{40, 0}, PointF{0, 40});
  canvas.SetBrush(platform::Brush::LinearGradient({40, 40}, {25, 25}, 0x00000000u, 0x7F000000u,
                                                  {{0, 0}, {0.4, 0}, {0.5, 1}, {0.6, 0}, {1, 0}}, true));
  canvas.FillRect(surface.Bounds());
  for (const auto& [x, y] : PaintedPixels(surface, kBlack)) ASSERT_GE(x + y + 2, 50) << x << "," << y;
  EXPECT_NE(ColorAt(surface, 38, 38), kBlack);
  EXPECT_EQ(ColorAt(surface, 20, 20), kBlack);
}

TEST_F(CanvasImageTest, DegenerateDestinationsDrawNothing) {
  canvas.DrawSurface(quad, quad.Bounds(), PointF{0, 0}, PointF{20, 0}, PointF{40, 0});
  canvas.DrawSurface(quad, quad.Bounds(), PointF{0, 0}, PointF{20, 0}, PointF{0, std::nan("")});
  canvas.DrawSurface(quad, Rect::FromSize(5, 5, 3, 3), surface.Bounds());
  canvas.DrawSurface(quad, Rect::FromSize(0, 0, 0, 2), surface.Bounds());
  EXPECT_TRUE(PaintedPixels(surface, kBlack).empty());
}

}  // namespace
}  // namespace zolvex::test
