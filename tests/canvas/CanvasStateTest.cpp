#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "tests/canvas/CanvasTestUtil.h"

namespace zolvex::test {
namespace {

using platform::Brush;
using platform::Canvas;
using platform::Matrix;
using platform::Pen;
using platform::PenStyle;
using platform::PointF;
using platform::Rect;

constexpr Color kBlack = 0;
constexpr Color kWhite = 0xFFFFFF;

struct CanvasStateTest : ::testing::Test {
  Surface surface{30, 30};
  Canvas canvas{surface};
  PixelSet FillAllAndCollect() {
    canvas.FillRect(surface.Bounds(), kWhite);
    return PaintedPixels(surface, kBlack);
  }
};

TEST_F(CanvasStateTest, ClipRectangleKeepsDrawingInside) {
  canvas.ClipRect(Rect::FromSize(5, 5, 10, 8));
  EXPECT_EQ(FillAllAndCollect(),
            PixelsWhere(30, 30, [](int x, int y) { return x >= 5 && x < 15 && y >= 5 && y < 13; }));
  // Lines are clipped as well.
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.DrawLine({0, 20}, {29, 20});
  EXPECT_EQ(ColorAt(surface, 10, 20), kBlack);
}

TEST_F(CanvasStateTest, ClipsNarrowUntilReset) {
  canvas.ClipRect(Rect::FromSize(0, 0, 20, 20));
  canvas.ClipRect(Rect::FromSize(10, 10, 20, 20));
  EXPECT_EQ(FillAllAndCollect(),
            PixelsWhere(30, 30, [](int x, int y) { return x >= 10 && x < 20 && y >= 10 && y < 20; }));
  canvas.ResetClip();
  EXPECT_EQ(FillAllAndCollect().size(), 900u);
}

TEST_F(CanvasStateTest, ClipRegionIsTheUnionOfItsRectangles) {
  canvas.ClipRegion({Rect::FromSize(0, 0, 4, 4), Rect::FromSize(2, 2, 4, 4), Rect::FromSize(20, 20, 3, 3)});
  EXPECT_EQ(FillAllAndCollect(), PixelsWhere(30, 30, [](int x, int y) {
              return (x < 4 && y < 4) || (x >= 2 && x < 6 && y >= 2 && y < 6) ||
                     (x >= 20 && x < 23 && y >= 20 && y < 23);
            }));
  canvas.ResetClip();
  canvas.ClipRegion({});  // an empty region lets nothing through
  surface.Fill(surface.Bounds(), kBlack);
  EXPECT_TRUE(FillAllAndCollect().empty());
}

TEST_F(CanvasStateTest, ClipPolygonAndEllipse) {
  canvas.ClipPolygon({{0, 0}, {30, 0}, {0, 30}});
  const PixelSet triangle = FillAllAndCollect();
  EXPECT_TRUE(triangle.count({2, 2}));
  EXPECT_FALSE(triangle.count({20, 20}));
  for (const auto& [x, y] : triangle) EXPECT_LT(x + y, 30);

  canvas.ResetClip();
  surface.Fill(surface.Bounds(), kBlack);
  canvas.ClipEllipse(Rect::FromSize(0, 0, 30, 30));
  const PixelSet disc = FillAllAndCollect();
  EXPECT_TRUE(disc.count({15, 15}));
  EXPECT_TRUE(disc.count({0, 15}));
  EXPECT_FALSE(disc.count({0, 0}));
  EXPECT_FALSE(disc.count({29, 29}));
}

TEST_F(CanvasStateTest, RestoreBringsBackClipPenAndTransform) {
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.Save();
  canvas.ClipRect(Rect::FromSize(0, 0, 5, 5));
  canvas.SetPen({0x123456, 3, PenStyle::Dot});
  canvas.SetTransform(Matrix::Translation(4, 4));
  canvas.SetRasterMode(platform::RasterMode::Invert);
  canvas.Restore();
  EXPECT_EQ(canvas.CurrentPen().color, kWhite);
  EXPECT_EQ(canvas.CurrentPen().width, 1);
  EXPECT_EQ(canvas.CurrentRasterMode(), platform::RasterMode::Copy);
  EXPECT_EQ(canvas.Transform().x0, 0);
  EXPECT_EQ(FillAllAndCollect().size(), 900u);
  canvas.Restore();  // without a saved state: nothing happens
  EXPECT_EQ(canvas.CurrentPen().color, kWhite);
}

TEST_F(CanvasStateTest, TransformMovesAndTurnsDrawing) {
  ASSERT_TRUE(canvas.SetTransform(Matrix::Translation(10, 5)));
  canvas.FillRect(Rect::FromSize(0, 0, 3, 2), kWhite);
  EXPECT_EQ(PaintedPixels(surface, kBlack),
            PixelsWhere(30, 30, [](int x, int y) { return x >= 10 && x < 13 && y >= 5 && y < 7; }));
  // A one-pixel line is rasterised after the transform: turned a quarter about (15, 15).
  surface.Fill(surface.Bounds(), kBlack);
  ASSERT_TRUE(canvas.SetTransform(Matrix::RotationAbout({15, 15}, 90)));
  canvas.SetPen({kWhite, 1, PenStyle::Solid});
  canvas.DrawLine({15, 14}, {25, 14});  // pixel centres (15.5, 14.5) .. (25.5, 14.5)
  EXPECT_EQ(PaintedPixels(surface, kBlack),
            PixelsWhere(30, 30, [](int x, int y) { return x == 15 && y >= 15 && y < 25; }));
  EXPECT_FALSE(canvas.SetTransform(Matrix::Scaling(0, 1)));
  EXPECT_DOUBLE_EQ(canvas.Transform().xy, -1);  // unchanged

  const PointF turned = Matrix::RotationAbout({10, 10}, 90).Apply({20, 10});
  EXPECT_NEAR(turned.x, 10, 1e-9);
  EXPECT_NEAR(turned.y, 20, 1e-9);
}

TEST_F(CanvasStateTest, AntialiasingSoftensEdges) {
  canvas.SetBrush(Brush::Solid(kWhite));
  canvas.FillPolygon({{0.0, 0.0}, {30.0, 0.0}, {0.0, 30.0}});
  for (const auto& [x, y] : PaintedPixels(surface, kBlack)) ASSERT_EQ(ColorAt(surface, x, y), kWhite);
  surface.Fill(surface.Bounds(), kBlack);
  canvas.SetAntialias(true);
  canvas.FillPolygon({{0.0, 0.0}, {30.0, 0.0}, {0.0, 30.0}});
  int grey = 0;
  for (const auto& [x, y] : PaintedPixels(surface, kBlack)) grey += ColorAt(surface, x, y) != kWhite;
  EXPECT_GT(grey, 10);
}

}  // namespace
}  // namespace zolvex::test
