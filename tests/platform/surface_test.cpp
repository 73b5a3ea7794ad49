#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Surface.h"

using namespace zolvex::platform;

namespace {
constexpr Color kRed = MakeColor(255, 0, 0);
constexpr Color kBlue = MakeColor(0, 0, 255);
constexpr Color kWhite = MakeColor(255, 255, 255);

Color At(const Surface& s, int x, int y) { return ColorFromPixel(s.PixelAt(x, y)); }
}  // namespace

TEST(Surface, ZeroSizeBecomesOnePixelAndStartsBlack) {
  Surface s(0, 0);
  EXPECT_EQ(s.Width(), 1);
  EXPECT_EQ(s.Height(), 1);
  EXPECT_EQ(s.PixelAt(0, 0), 0xFF000000u);
}

TEST(Surface, FillIsClippedToTheSurface) {
  Surface s(4, 4);
  s.Fill({-5, 2, 2, 10}, kRed);
  EXPECT_EQ(At(s, 0, 2), kRed);
  EXPECT_EQ(At(s, 1, 3), kRed);
  EXPECT_EQ(At(s, 2, 2), 0);
  EXPECT_EQ(At(s, 0, 1), 0);
}

TEST(Surface, BlitCopiesStretchesAndClips) {
  Surface src(2, 2);
  src.Fill({0, 0, 1, 1}, kRed);
  src.Fill({1, 1, 2, 2}, kBlue);
  Surface dst(8, 8);
  dst.Blit(src, src.Bounds(), {0, 0, 4, 4});  // 2x enlargement
  EXPECT_EQ(At(dst, 0, 0), kRed);
  EXPECT_EQ(At(dst, 1, 1), kRed);
  EXPECT_EQ(At(dst, 2, 2), kBlue);
  EXPECT_EQ(At(dst, 3, 3), kBlue);
  EXPECT_EQ(At(dst, 2, 0), 0);
  dst.Blit(src, src.Bounds(), {6, 6, 10, 10});  // hangs over the edge
  EXPECT_EQ(At(dst, 7, 7), kRed);
  Surface small(1, 1);
  small.Blit(dst, {0, 0, 4, 4}, {0, 0, 1, 1});  // shrink samples the covering pixel
  EXPECT_EQ(At(small, 0, 0), kBlue);
  // A source rectangle reaching past both sides of the source (4 columns, -1 … 2, over
  // 6): the columns that map outside it stay as they were.
  Surface row(6, 1);
  row.Fill(row.Bounds(), kWhite);
  row.Blit(src, {-1, 0, 3, 1}, row.Bounds());
  const Color expected[] = {kWhite, kRed, kRed, 0, kWhite, kWhite};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(At(row, x, 0), expected[x]) << x;
}

// Rows of blue, green, red bytes stored bottom row first (a negative stride), copied
// unscaled: every part of the picture lands where its own pixels say, clipped by the
// picture and by the surface, and the rest of the surface stays as it was.
TEST(Surface, BgrRowsAreCopiedAsOpaquePixelsAndClipped) {
  constexpr int kWidth = 11, kHeight = 5, kStride = 36;  // 33 bytes of pixels, padded
  std::vector<std::uint8_t> bottomUp(kStride * kHeight, 0xEE);
  auto bytesOf = [&](int x, int y) { return bottomUp.data() + (kHeight - 1 - y) * kStride + 3 * x; };
  auto colourOf = [](int x, int y) { return MakeColor(20 * x, 40 * y, 200 - 10 * x); };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Color c = colourOf(x, y);
      std::uint8_t* at = bytesOf(x, y);
      const Pixel pixel = PixelFromColor(c);
      at[0] = static_cast<std::uint8_t>(pixel);  // blue, green, red
      at[1] = static_cast<std::uint8_t>(pixel >> 8);
      at[2] = static_cast<std::uint8_t>(pixel >> 16);
    }
  }
  struct Case {
    Rect source;
    Point at;
  };
  const Case cases[] = {
      {{0, 0, kWidth, kHeight}, {1, 2}},   // whole, inside
      {{3, 1, 10, 4}, {0, 0}},             // a part
      {{0, 0, kWidth, kHeight}, {-4, -2}}, // hanging over the top left
      {{0, 0, kWidth, kHeight}, {9, 6}},   // over the bottom right
      {{-2, -1, 6, 3}, {2, 2}},            // reaching outside the picture
  };
  const Rect picture = Rect::FromSize(0, 0, kWidth, kHeight);
  for (const Case& c : cases) {
    Surface s(14, 9);
    s.Fill(s.Bounds(), kWhite);
    s.CopyBgrRows(bytesOf(0, 0), -kStride, picture, c.source, c.at);
    for (int y = 0; y < s.Height(); ++y) {
      for (int x = 0; x < s.Width(); ++x) {
        const int px = x - c.at.x + c.source.left, py = y - c.at.y + c.source.top;
        const bool covered = c.source.Intersect(picture).Contains({px, py});
        ASSERT_EQ(s.PixelAt(x, y), PixelFromColor(covered ? colourOf(px, py) : kWhite))
            << "case at " << c.at.x << "," << c.at.y << " pixel " << x << "," << y;
      }
    }
  }
}

TEST(Surface, ColourKeyedBlitSkipsTheKeyColour) {
  Surface src(2, 1);
  src.Fill({0, 0, 1, 1}, kWhite);
  src.Fill({1, 0, 2, 1}, kRed);
  Surface dst(2, 1);
  dst.Fill(dst.Bounds(), kBlue);
  dst.Blit(src, src.Bounds(), dst.Bounds(), kWhite);
  EXPECT_EQ(At(dst, 0, 0), kBlue);
  EXPECT_EQ(At(dst, 1, 0), kRed);
}

TEST(Surface, PartialBlendMixesByTheFormula) {
  Surface s(1, 1);
  s.Fill(s.Bounds(), MakeColor(100, 0, 200));
  s.BlendFill(s.Bounds(), MakeColor(200, 255, 0), 128);
  // d + (c - d) * 128 / 256
  EXPECT_EQ(At(s, 0, 0), MakeColor(150, 127, 100));
  Surface src(1, 1);
  src.Fill(src.Bounds(), kWhite);
  Surface dst(1, 1);
  dst.Blend(src, src.Bounds(), {0, 0}, 64);
  EXPECT_EQ(At(dst, 0, 0), MakeColor(63, 63, 63));
}

// What the covers leave of an area: checked pixel by pixel against a painted mask, and the
// parts must not overlap (each pixel counted once).
TEST(Geometry, UncoveredPartsAreWhatNoCoverReachesAndDoNotOverlap) {
  const Rect area{0, 0, 12, 10};
  const struct Case {
    const char* name;
    std::vector<Rect> covers;
  } cases[] = {
      {"no cover", {}},
      {"covered whole", {{-5, -5, 20, 20}}},
      {"a grid of tiles with one missing",
       {{0, 0, 4, 5}, {4, 0, 8, 5}, {8, 0, 12, 5}, {0, 5, 4, 10}, {8, 5, 12, 10}}},
      {"overlapping and partly outside", {{-2, 2, 6, 6}, {3, 4, 9, 12}, {10, -3, 14, 1}}},
      {"empty and far-away covers", {{5, 5, 5, 9}, {30, 30, 40, 40}}},
  };
  for (const Case& c : cases) {
    int counted[10][12] = {};
    for (const Rect& part : UncoveredParts(area, c.covers)) {
      for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) ++counted[y][x];
    }
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 12; ++x) {
        const bool covered = std::any_of(c.covers.begin(), c.covers.end(), [&](const Rect& r) { return r.Contains({x, y}); });
        EXPECT_EQ(counted[y][x], covered ? 0 : 1) << c.name << " at " << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(UncoveredParts({3, 3, 3, 8}, {}).empty());
}
