#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "image/qmAreaShrinker.h"
#include "image/qmImage.h"

namespace zolvex::test {
namespace {

// A 24-bit image of one row per line of values, the value in all three channels.
qmImage Grey24(const std::vector<std::vector<int>>& rows) {
  qmImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 24);
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) {
      const int v = rows[y][x];
      image.setPixelColor(static_cast<int>(x), static_cast<int>(y), qmMakeColor(v, v, v));
    }
  return image;
}

std::vector<std::vector<int>> Values(const qmImage& image) {
  std::vector<std::vector<int>> rows(static_cast<size_t>(image.getHeight()));
  for (int y = 0; y < image.getHeight(); ++y)
    for (int x = 0; x < image.getWidth(); ++x) rows[y].push_back(image.getPixelColor(x, y).green);
  return rows;
}

using Rows = std::vector<std::vector<int>>;

TEST(Resize, TrueColourCasesComputedByHand) {
  struct Case {
    const char* name;
    Rows source;
    int width, height, mode;
    Rows expected;
  };
  const Case cases[] = {
      // Area averaging: pairs of pixels become their mean.
      {"halve", {{10, 20, 30, 40}}, 2, 1, 1, {{15, 35}}},
      {"halve both", {{0, 40}, {80, 120}}, 1, 1, 1, {{60}}},
      // 3 -> 2: shares 2730 and 1366 of 4096 for the first output pixel, 1365 and 2731 for
      // the second; 255 * 1366 / 4096 = 85.04, 255 * 1365 / 4096 = 84.98.
      {"three to two", {{0, 255, 0}}, 2, 1, 3, {{85, 84}}},
      // Enlargement: each output pixel mixes the source pixels it overlaps.
      {"double", {{0, 200}}, 4, 1, 1, {{0, 0, 200, 200}}},
      {"whole factors both ways",
       {{10, 20}, {30, 40}},
       6,
       4,
       1,
       {{10, 10, 10, 20, 20, 20}, {10, 10, 10, 20, 20, 20}, {30, 30, 30, 40, 40, 40}, {30, 30, 30, 40, 40, 40}}},
      {"two to three", {{0, 200}}, 3, 1, 1, {{0, 100, 200}}},
      {"two to three both ways", {{0, 200}, {200, 200}}, 3, 3, 1, {{0, 100, 200}, {100, 150, 200}, {200, 200, 200}}},
      // Growing one way and shrinking the other goes through two passes.
      {"wide to tall", {{10, 30}}, 1, 2, 1, {{20}, {20}}},
      // Nearest neighbour takes floor(x * old / new).
      {"nearest shrink", {{1, 2, 3, 4}}, 2, 1, 0, {{1, 3}}},
      {"nearest grow", {{1, 2, 3}}, 5, 1, 0, {{1, 1, 2, 2, 3}}},
  };
  for (const Case& c : cases) {
    qmImage image = Grey24(c.source);
    ASSERT_TRUE(image.resize(c.width, c.height, c.mode)) << c.name;
    EXPECT_EQ(Values(image), c.expected) << c.name;
  }
}

TEST(Resize, LargeSourcesStayExact) {
  // 5000 pixels wide takes the wide-sum path; a uniform picture must stay uniform, which
  // 32-bit sums of 20-bit shares could not deliver.
  qmImage wide(5000, 100, 24);
  for (int y = 0; y < 100; ++y) std::fill(wide.getRow(y), wide.getRow(y) + 15000, 255);
  ASSERT_TRUE(wide.resize(2500, 30, 1));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 2500; x += 97) ASSERT_EQ(wide.getPixelColor(x, y), qmMakeColor(255, 255, 255)) << x;
  qmImage narrow(3999, 3, 24);
  for (int y = 0; y < 3; ++y) std::fill(narrow.getRow(y), narrow.getRow(y) + 3 * 3999, 255);
  ASSERT_TRUE(narrow.resize(7, 1, 1));
  EXPECT_EQ(narrow.getPixelColor(6, 0), qmMakeColor(255, 255, 255));
}

TEST(Resize, SameSizeIsANoOpAndDestinationLeavesTheSource) {
  qmImage image = Grey24({{1, 2}, {3, 4}});
  const std::vector<std::uint8_t> before(image.getDib(), image.getDib() + image.getDibSize());
  EXPECT_TRUE(image.resize(2, 2, 1));
  EXPECT_EQ(std::vector<std::uint8_t>(image.getDib(), image.getDib() + image.getDibSize()), before);
  qmImage out;
  ASSERT_TRUE(image.resize(1, 1, 1, &out));
  EXPECT_EQ(Values(out), Rows{{2}});  // (1+2+3+4)/4 = 2.5, truncated
  EXPECT_EQ(image.getWidth(), 2);
  EXPECT_FALSE(image.resize(0, 3, 1));
}

TEST(Resize, PaletteImagesInterpolateThroughThePalette) {
  qmImage grey(2, 1, 8);
  grey.setPixelIndex(0, 0, 0);
  grey.setPixelIndex(1, 0, 255);
  qmImage bilinear, nearest;
  ASSERT_TRUE(grey.resize(3, 1, 3, &bilinear));
  EXPECT_EQ(bilinear.getBitsPerPixel(), 8);
  // Centres map to -1/6, 1/2 and 7/6 source pixels.
  EXPECT_EQ(Values(bilinear), Rows({{0, 128, 255}}));
  ASSERT_TRUE(grey.resize(3, 1, 1, &nearest));
  EXPECT_EQ(Values(nearest), Rows({{0, 0, 255}}));
  qmImage bicubic;
  ASSERT_TRUE(grey.resize(4, 1, 2, &bicubic));
  // B-spline weights at offset 0 are 1/6, 2/3, 1/6: 255 * (1/6) at x = 0 (neighbours
  // clamp to 0, 0, 255) = 42.5 -> 43.
  EXPECT_EQ(Values(bicubic)[0][0], 43);
}

TEST(Resize, AlphaPlaneFollowsByNearestNeighbour) {
  qmImage image = Grey24({{0, 0, 0, 0}});
  image.createAlpha();
  image.setAlpha(2, 0, 10);
  image.setAlpha(3, 0, 20);
  ASSERT_TRUE(image.resize(2, 1, 1));
  ASSERT_TRUE(image.hasAlpha());
  EXPECT_EQ(image.getAlpha(0, 0), 255);
  EXPECT_EQ(image.getAlpha(1, 0), 10);
}


// Shrinking row by row gives what shrinking the whole picture gives, bit for bit: exact
// halves, odd sizes whose pixels straddle two destination pixels, several rows to one, an
// unchanged axis, and sources large enough for the finer 64-bit weights.
TEST(Resize, ShrinkingRowByRowMatchesTheWholePicture) {
  struct Case {
    int width, height, newWidth, newHeight;
  };
  const Case cases[] = {{8, 6, 4, 3},   {7, 5, 4, 3},   {5, 9, 3, 5},     {10, 10, 3, 3},
                        {6, 4, 6, 2},   {9, 1, 5, 1},   {4001, 3, 2001, 2}, {4000, 4, 2000, 2},
                        {3, 4003, 2, 2002}};
  std::mt19937 random(7);
  for (const Case& c : cases) {
    qmImage source(c.width, c.height, 24);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width * 3; ++x) source.getRow(y)[x] = static_cast<std::uint8_t>(random());
    qmImage expected;
    ASSERT_TRUE(source.resize(c.newWidth, c.newHeight, 1, &expected));
    qmImage streamed(c.newWidth, c.newHeight, 24);
    int rowsOut = 0;
    qmAreaShrinker shrinker(c.width, c.height, c.newWidth, c.newHeight, [&](int y, const std::uint8_t* row) {
      ASSERT_EQ(y, rowsOut++);
      std::memcpy(streamed.getRow(y), row, static_cast<size_t>(c.newWidth) * 3);
    });
    for (int y = 0; y < c.height; ++y) shrinker.push(source.getRow(y));
    ASSERT_EQ(rowsOut, c.newHeight) << c.width << "x" << c.height;
    for (int y = 0; y < c.newHeight; ++y) {
      ASSERT_EQ(std::memcmp(streamed.getRow(y), expected.getRow(y), static_cast<size_t>(c.newWidth) * 3), 0)
          << c.width << "x" << c.height << " to " << c.newWidth << "x" << c.newHeight << ", row " << y;
    }
  }
}

}  // namespace
}  // namespace zolvex::test
