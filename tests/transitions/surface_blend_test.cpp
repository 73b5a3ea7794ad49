#include <gtest/gtest.h>

#include "view/SurfaceBlend.h"

using namespace zolvex;
using platform::MakeColor;

namespace {

constexpr platform::Color kRed = MakeColor(255, 0, 0);
constexpr platform::Color kBlue = MakeColor(0, 0, 255);
constexpr platform::Color kWhite = MakeColor(255, 255, 255);

platform::Color At(const platform::Surface& s, int x, int y) { return platform::ColorFromPixel(s.PixelAt(x, y)); }

struct Pair {
  Pair() : destination(4, 2), source(4, 2) {
    destination.Fill(destination.Bounds(), kBlue);
    source.Fill(source.Bounds(), kRed);
  }
  platform::Surface destination;
  platform::Surface source;
};

}  // namespace

TEST(SurfaceBlendTest, AlphaIsClampedAndMixesWithTheChannelFormula) {
  struct Case {
    int alpha;
    platform::Color expected;
  } cases[] = {
      {300, kRed},                      // as 256: the source alone
      {256, kRed},
      {-5, kBlue},                      // as 0: the destination stays
      {128, MakeColor(127, 0, 128)},    // 0 + 255*128/256, 255 + (-255*128)/256
      {255, MakeColor(254, 0, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alpha);
    Pair p;
    ASSERT_TRUE(SurfaceBlend(p.destination, p.source, 0, 0, p.source.Bounds(), c.alpha, kPixelFormat32, kNoBlendKey));
    EXPECT_EQ(At(p.destination, 0, 0), c.expected);
    EXPECT_EQ(At(p.destination, 3, 1), c.expected);
  }
}

TEST(SurfaceBlendTest, PlacesTheSourceRectangleAndClipsAtTheEdges) {
  Pair p;
  // Source column 1..2 placed at x = -1: only the source's column 2 lands, at x = 0.
  p.source.SetPixel(1, 0, kWhite);
  ASSERT_TRUE(SurfaceBlend(p.destination, p.source, -1, 1, {1, 0, 3, 2}, 256, kPixelFormat32, kNoBlendKey));
  EXPECT_EQ(At(p.destination, 0, 0), kBlue);
  EXPECT_EQ(At(p.destination, 0, 1), kRed);
  EXPECT_EQ(At(p.destination, 1, 1), kBlue);
  // Wholly outside: nothing, and no fault.
  EXPECT_TRUE(SurfaceBlend(p.destination, p.source, 10, 10, p.source.Bounds(), 256, kPixelFormat32, kNoBlendKey));
}

TEST(SurfaceBlendTest, TheTransitionKeySkipsWhiteOnlyInSixteenBitFormats) {
  for (int format : {kPixelFormat555, kPixelFormat565, kPixelFormat24, kPixelFormat32}) {
    SCOPED_TRACE(format);
    Pair p;
    p.source.SetPixel(0, 0, platform::PixelFromColor(kWhite));
    ASSERT_TRUE(SurfaceBlend(p.destination, p.source, 0, 0, p.source.Bounds(), 256, format, kNoBlendKey));
    const bool sixteen = format == kPixelFormat555 || format == kPixelFormat565;
    EXPECT_EQ(At(p.destination, 0, 0), sixteen ? kBlue : kWhite);
    EXPECT_EQ(At(p.destination, 1, 0), kRed);
  }
  // A 24-bit key matches its colour in the 32-bit format.
  Pair p;
  p.source.SetPixel(2, 1, platform::PixelFromColor(kWhite));
  ASSERT_TRUE(SurfaceBlend(p.destination, p.source, 0, 0, p.source.Bounds(), 256, kPixelFormat32, 0x00FFFFFFu));
  EXPECT_EQ(At(p.destination, 2, 1), kBlue);
}

TEST(SurfaceBlendTest, SixteenBitFormatsMixAtTheirChannelPrecision) {
  Pair p;
  p.destination.Fill(p.destination.Bounds(), MakeColor(0, 0, 0));
  p.source.Fill(p.source.Bounds(), MakeColor(200, 200, 200));
  ASSERT_TRUE(SurfaceBlend(p.destination, p.source, 0, 0, p.source.Bounds(), 128, kPixelFormat565, kNoBlendKey));
  // 200 has 25 of 31 steps in 5 bits and 50 of 63 in 6: half of each, widened again.
  const int red5 = (25 * 128 / 256) << 3, green6 = (50 * 128 / 256) << 2;
  EXPECT_EQ(At(p.destination, 0, 0), MakeColor(red5 | red5 >> 5, green6 | green6 >> 6, red5 | red5 >> 5));
}

TEST(SurfaceBlendTest, AnUnknownFormatFailsAndDrawsNothing) {
  Pair p;
  EXPECT_FALSE(SurfaceBlend(p.destination, p.source, 0, 0, p.source.Bounds(), 256, kPixelFormatUnknown, kNoBlendKey));
  EXPECT_EQ(At(p.destination, 0, 0), kBlue);
  // The other 16-bit layout blends every pixel, white included.
  p.source.SetPixel(0, 0, platform::PixelFromColor(kWhite));
  EXPECT_TRUE(SurfaceBlend(p.destination, p.source, 0, 0, p.source.Bounds(), 256, kPixelFormatOther16, kNoBlendKey));
  EXPECT_EQ(At(p.destination, 0, 0), kWhite);
}
