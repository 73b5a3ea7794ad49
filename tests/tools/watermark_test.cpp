#include <gtest/gtest.h>

#include <map>

#include "image/qmImageUtils.h"
#include "tests/support/TestSupport.h"
#include "tools/Watermark.h"

namespace zolvex {
namespace {

using platform::Rect;

TEST(Watermark, PlacementsFollowTheOption) {
  struct Case {
    const char* option;
    int imageWidth, imageHeight, width, height, hs, vs;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      // 200 / 100 = 2 is not below 1000 / 800 = 1: full width, centred vertically.
      {"zoom", 1000, 800, 200, 100, 0, 0, {Rect::FromSize(0, 150, 1000, 500)}},
      {"ZOOM", 1000, 800, 100, 200, 0, 0, {Rect::FromSize(300, 0, 400, 800)}},
      {"center", 1000, 800, 200, 100, 0, 0, {Rect::FromSize(400, 350, 200, 100)}},
      {"Stretch", 1000, 800, 200, 100, 0, 0, {Rect::FromSize(0, 0, 1000, 800)}},
      // Columns at 10 and 10 + 220 (the offset 220 is below 300; 440 is not); rows at 5, 115.
      {"tile", 300, 200, 200, 100, 10, 5,
       {Rect::FromSize(10, 5, 200, 100), Rect::FromSize(10, 115, 200, 100), Rect::FromSize(230, 5, 200, 100),
        Rect::FromSize(230, 115, 200, 100)}},
      {"tile", 0, 200, 200, 100, 0, 0, {}},
      {"", 1000, 800, 200, 100, 0, 0, {}},
      {"mosaic", 1000, 800, 200, 100, 0, 0, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Watermark::Placements(c.option, c.imageWidth, c.imageHeight, c.width, c.height, c.hs, c.vs), c.expected)
        << c.option << " " << c.width << "x" << c.height;
  }
}

TEST(Watermark, OpacityIsClamped) {
  const std::pair<const char*, int> cases[] = {{"", 255}, {"300", 255}, {"-5", 0}, {"128", 128}, {"0", 0}};
  for (const auto& [text, opacity] : cases) EXPECT_EQ(Watermark::ParseOpacity(text), opacity) << text;
}

class WatermarkPicture : public ::testing::Test {
 protected:
  // A 20 x 10 picture: white with a red left half.
  void SetUp() override {
    picture_ = dir_.File("mark.bmp");
    ASSERT_TRUE(test::MagickRun("-size 20x10 xc:white -fill red -draw 'rectangle 0,0 9,9' -type TrueColor BMP3:'" +
                                picture_ + "'"));
  }
  qmImage Apply(std::map<std::string, std::string> properties) {
    qmImage image(100, 50, 24);
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 100; ++x) image.setPixelColor(x, y, qmMakeColor(0, 0, 200));
    Watermark([&](const std::string& name) { return properties[name]; }).Apply(image);
    return image;
  }
  test::TempDir dir_;
  std::string picture_;
};

// "center" puts the picture at (40, 20); the opacity mixes it with what lies below; with
// transparency the top-left pixel's colour (red) leaves the image as it was.
TEST_F(WatermarkPicture, CenteredPictureIsBlendedByOpacityAndKeyColour) {
  const qmRGBQuad blue = qmMakeColor(0, 0, 200), red = qmMakeColor(255, 0, 0), white = qmMakeColor(255, 255, 255);
  qmImage opaque = Apply({{"waterMarkOption", "center"}, {"waterMarkImage", picture_}});
  EXPECT_TRUE(opaque.getPixelColor(45, 25) == red);
  EXPECT_TRUE(opaque.getPixelColor(55, 25) == white);
  EXPECT_TRUE(opaque.getPixelColor(39, 25) == blue);
  EXPECT_TRUE(opaque.getPixelColor(45, 30) == blue);

  qmImage keyed = Apply({{"waterMarkOption", "CENTER"},
                         {"waterMarkImage", picture_},
                         {"waterMarkOpaque", "128"},
                         {"waterMarkTransparent", "yes"}});
  EXPECT_TRUE(keyed.getPixelColor(45, 25) == blue);
  const qmRGBQuad mixed = keyed.getPixelColor(55, 25);
  EXPECT_NEAR(mixed.red, 128, 2);
  EXPECT_NEAR(mixed.blue, (255 * 128 + 200 * 127) / 255, 2);
}

// Without an option nothing is drawn; a picture that cannot be loaded gives way to the
// built-in one.
TEST_F(WatermarkPicture, NoOptionDrawsNothingAndAMissingPictureFallsBackToTheBuiltInOne) {
  qmImage untouched = Apply({{"waterMarkImage", picture_}});
  EXPECT_TRUE(untouched.getPixelColor(45, 25) == qmMakeColor(0, 0, 200));
  qmImage fallback = Apply({{"waterMarkOption", "stretch"}, {"waterMarkImage", dir_.File("missing.png")}});
  int changed = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) changed += !(fallback.getPixelColor(x, y) == qmMakeColor(0, 0, 200));
  EXPECT_GT(changed, 4000);
}

}  // namespace
}  // namespace zolvex
