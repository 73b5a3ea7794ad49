#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "tests/canvas/CanvasTestUtil.h"
#include "tests/support/TestSupport.h"

namespace zolvex::test {
namespace {

using platform::Brush;
using platform::Canvas;
using platform::MakeColor;
using platform::PenStyle;
using platform::Rect;

// Draws a small scene of axis-aligned shapes, saves it as PNG and checks it against the
// same scene drawn by ImageMagick (without anti-aliasing), both read by ImageMagick.
TEST(CanvasPngTest, SavedPictureMatchesAnIndependentDrawingOfTheSameScene) {
  if (MagickCommand().empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  Surface surface(48, 32);
  Canvas canvas(surface);
  canvas.FillRect(Rect::FromSize(4, 20, 10, 6), MakeColor(255, 0, 0));
  canvas.SetPen({MakeColor(255, 255, 255), 1, PenStyle::Solid});
  canvas.DrawRectangle(Rect::FromSize(2, 2, 20, 12));
  canvas.SetPen({MakeColor(0, 255, 0), 1, PenStyle::Solid});
  canvas.DrawPolyline({{26, 4}, {44, 4}, {44, 28}});
  canvas.SetPen({MakeColor(0, 0, 255), 0, PenStyle::Solid});
  canvas.SetBrush(Brush::Solid(MakeColor(255, 255, 0)));
  canvas.DrawRectangle(Rect::FromSize(28, 10, 8, 8));
  surface.SetPixel(47, 31, 0x00FF00FFu);  // written directly, with a cleared alpha byte

  const std::string ours = dir.File("ours.png");
  ASSERT_TRUE(platform::SaveSurfacePng(surface, ours));
  const std::string theirs = dir.File("theirs.png");
  ASSERT_TRUE(
      MagickRun("-size 48x32 xc:black +antialias -stroke none -fill '#ff0000' -draw 'rectangle 4,20 13,25' "
                "-fill none -strokewidth 1 -stroke white -draw 'rectangle 2,2 21,13' "
                "-stroke '#00ff00' -draw 'polyline 26,4 44,4 44,28' "
                "-fill yellow -stroke blue -draw 'rectangle 28,10 35,17' "
                "-fill '#ff00ff' -stroke none -draw 'point 47,31' '" +
                theirs + "'"));

  const auto decoded = MagickRead(ours);
  const auto expected = MagickRead(theirs);
  ASSERT_TRUE(decoded && expected);
  ASSERT_EQ(decoded->width, 48);
  ASSERT_EQ(decoded->height, 32);
  EXPECT_EQ(MaxChannelDifference(*decoded, *expected), 0);
  // The file holds what the surface holds, opaque.
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      const Color c = ColorAt(surface, x, y);
      ASSERT_EQ(decoded->R(x, y), platform::RedOf(c)) << x << "," << y;
      ASSERT_EQ(decoded->G(x, y), platform::GreenOf(c));
      ASSERT_EQ(decoded->B(x, y), platform::BlueOf(c));
      ASSERT_EQ(decoded->A(x, y), 255);
    }
  }
}

TEST(CanvasPngTest, SavingToAnUnwritablePlaceFails) {
  Surface surface(4, 4);
  EXPECT_FALSE(platform::SaveSurfacePng(surface, "/nonexistent-folder/picture.png"));
}

}  // namespace
}  // namespace zolvex::test
