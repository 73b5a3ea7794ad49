#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "tests/canvas/CanvasTestUtil.h"

namespace zolvex::test {
namespace {

using platform::Canvas;
using platform::Font;
using platform::FontUnit;
using platform::MakeColor;
using platform::Rect;
using platform::Size;
using platform::TextAlign;

constexpr Color kBlack = 0;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kYellow = MakeColor(255, 255, 0);

struct CanvasTextTest : ::testing::Test {
  CanvasTextTest() {
    surface.Fill(surface.Bounds(), kWhite);
    canvas.SetFont({"DejaVu Sans", 16});
    canvas.SetTextColor(kBlack);
  }
  // The bounding box of the pixels that are clearly darker than white.
  Rect DarkBox() const {
    Rect box{surface.Width(), surface.Height(), 0, 0};
    for (int y = 0; y < surface.Height(); ++y) {
      for (int x = 0; x < surface.Width(); ++x) {
        if (platform::RedOf(ColorAt(surface, x, y)) < 128) {
          box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        }
      }
    }
    return box;
  }
  Surface surface{200, 60};
  Canvas canvas{surface};
};

TEST_F(CanvasTextTest, TextDrawsInsideItsMeasuredExtent) {
  const Size extent = canvas.MeasureText("Hello");
  EXPECT_GT(extent.width, 20);
  EXPECT_GE(extent.height, 16);
  EXPECT_LT(extent.height, 40);
  canvas.DrawText({10, 5}, "Hello");
  const Rect dark = DarkBox();
  ASSERT_FALSE(dark.IsEmpty());
  const Rect cell = Rect::FromSize(10, 5, extent.width, extent.height);
  EXPECT_EQ(dark.Intersect(cell), dark) << dark.left << "," << dark.top << "," << dark.right << "," << dark.bottom;
  EXPECT_GT(dark.Width(), extent.width / 2);
}

TEST_F(CanvasTextTest, LargerFontsMeasureLargerAndPointsFollowTheResolution) {
  const Size small = canvas.MeasureText("Zolvex");
  canvas.SetFont({"DejaVu Sans", 32});
  const Size large = canvas.MeasureText("Zolvex");
  EXPECT_NEAR(large.width, 2 * small.width, 6);
  EXPECT_GT(large.height, small.height);
  // 24 points at 96 dots per inch are 32 pixels.
  canvas.SetFont({"DejaVu Sans", 24, FontUnit::Points});
  EXPECT_EQ(canvas.MeasureText("Zolvex"), large);
  canvas.SetResolution(48);
  EXPECT_EQ(canvas.MeasureText("Zolvex"), small);
  canvas.SetFont({"DejaVu Sans", 16, FontUnit::Pixels, true});
  EXPECT_GT(canvas.MeasureText("Zolvex").width, small.width);  // bold is wider
}

TEST_F(CanvasTextTest, AlignmentPlacesTheTextAboutItsPoint) {
  const Size extent = canvas.MeasureText("Centre");
  canvas.SetTextAlign(TextAlign::Center);
  canvas.DrawText({100, 10}, "Centre");
  const Rect centred = DarkBox();
  EXPECT_NEAR((centred.left + centred.right) / 2.0, 100, 3);
  surface.Fill(surface.Bounds(), kWhite);
  canvas.SetTextAlign(TextAlign::Right);
  canvas.DrawText({150, 10}, "Centre");
  const Rect right = DarkBox();
  EXPECT_LE(right.right, 150);
  EXPECT_GE(right.left, 150 - extent.width);
}

TEST_F(CanvasTextTest, OpaqueBackgroundFillsTheExtent) {
  const Size extent = canvas.MeasureText("ab");
  canvas.SetTextBackground(kYellow);
  canvas.DrawText({20, 10}, "ab");
  EXPECT_EQ(ColorAt(surface, 20, 10), kYellow);
  EXPECT_EQ(ColorAt(surface, 20 + extent.width - 1, 10 + extent.height - 1), kYellow);
  EXPECT_EQ(ColorAt(surface, 20 + extent.width, 10), kWhite);
  EXPECT_EQ(ColorAt(surface, 19, 10), kWhite);
}

TEST_F(CanvasTextTest, UnderlineAddsALineBelowTheLetters) {
  canvas.DrawText({10, 10}, "mmm");
  const Rect plain = DarkBox();
  surface.Fill(surface.Bounds(), kWhite);
  Font underlined{"DejaVu Sans", 16};
  underlined.underline = true;
  canvas.SetFont(underlined);
  canvas.DrawText({10, 10}, "mmm");
  EXPECT_GT(DarkBox().bottom, plain.bottom);
}

TEST_F(CanvasTextTest, InvalidUtf8AndEmptyTextAreHarmless) {
  EXPECT_GT(canvas
                .MeasureText(std::string("a\xff\xfe"
                                         "b"))
                .width,
            canvas.MeasureText("ab").width);
  EXPECT_EQ(canvas.MeasureText("").width, 0);
  canvas.DrawText({0, 0}, "");
  canvas.DrawText({0, 0}, std::string("\xc3", 1));
  canvas.SetFont({"No Such Face Anywhere", 12});
  EXPECT_GT(canvas.MeasureText("fallback").width, 0);
  canvas.SetFont({"", -5});
  EXPECT_GT(canvas.MeasureText("x").height, 0);
}

TEST_F(CanvasTextTest, RestoreBringsBackTheFont) {
  const Size before = canvas.MeasureText("abc");
  canvas.Save();
  canvas.SetFont({"DejaVu Sans", 40});
  EXPECT_GT(canvas.MeasureText("abc").height, before.height);
  canvas.Restore();
  EXPECT_EQ(canvas.MeasureText("abc"), before);
}

}  // namespace
}  // namespace zolvex::test
