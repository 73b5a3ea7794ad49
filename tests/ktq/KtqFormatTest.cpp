#include "tiles/KtqFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ktq/KtqTestFiles.h"

namespace zolvex {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(KtqFormat, DetectFormatFollowsTheSignatureOrder) {
  struct Case {
    std::string bytes;
    int expected;
  };
  const Case cases[] = {
      {"BM34567", -1},                           // 7 bytes: too short to sniff
      {"BM3456789", -1},                         // 9 bytes: still too short
      {"BM34567890", qmFormatBmp},
      {"GIF89a....", qmFormatGif},
      {"II*.......", qmFormatTiff},
      {"MM.*......", qmFormatTiff},
      {"\x89PNG\r\n\x1a\n..", qmFormatPng},
      {"\xff\xd8\xff\xe0..JFIF..", qmFormatJpeg},
      {"\xff\xd8\xff\xe1..Exif..", qmFormatJpeg},
      {"\xff\xd8\xff\xdb..abcd..", qmFormatTga},  // a JPEG without either marker goes to TGA
      {"0123456789", qmFormatTga},
  };
  for (const auto& c : cases) {
    auto bytes = Bytes(c.bytes);
    EXPECT_EQ(KtqFormat::DetectFormat(bytes.data(), bytes.size()), c.expected) << c.bytes;
  }
  EXPECT_EQ(KtqFormat::DetectFormat(nullptr, 20), -1);
}

TEST(KtqFormat, ChoosesFormatByExtensionAndTileCode) {
  EXPECT_EQ(KtqFormat::FormatFromExtension("a.GIF"), qmFormatGif);
  EXPECT_EQ(KtqFormat::FormatFromExtension("a.tga"), qmFormatTga);
  EXPECT_EQ(KtqFormat::FormatFromExtension("dir/a.Bmp"), qmFormatBmp);
  EXPECT_EQ(KtqFormat::FormatFromExtension("a.png"), qmFormatJpeg);  // anything else is JPEG
  EXPECT_EQ(KtqFormat::FormatFromExtension("noextension"), qmFormatJpeg);

  const int byCode[] = {qmFormatTga, qmFormatGif, qmFormatJpeg, qmFormatTiff, qmFormatPng};
  for (int code = 0; code < 5; ++code) {
    EXPECT_EQ(KtqFormat::FormatFromTileCode(code), byCode[code]);
    EXPECT_EQ(KtqFormat::TileCodeFromFormat(byCode[code]), code);
  }
  EXPECT_EQ(KtqFormat::FormatFromTileCode(5), -1);
  EXPECT_EQ(KtqFormat::FormatFromTileCode(7), -1);
  EXPECT_EQ(KtqFormat::TileCodeFromFormat(qmFormatBmp), -1);
  EXPECT_EQ(KtqFormat::CanonicalFormat(qmFormatPngAlt), qmFormatPng);
  EXPECT_EQ(KtqFormat::CanonicalFormat(qmFormatGifAlt), qmFormatGif);
  EXPECT_EQ(KtqFormat::CanonicalFormat(qmFormatTgaAlt), qmFormatTga);
  EXPECT_EQ(KtqFormat::CanonicalFormat(qmFormatBmpAlt), qmFormatBmp);
  EXPECT_EQ(KtqFormat::CanonicalFormat(12345), -1);
}

TEST(KtqFormat, ScrambleXorsWithTheRunningOffsetAndIsItsOwnInverse) {
  std::vector<std::uint8_t> bytes(8, 0);
  KtqFormat::Scramble(bytes.data(), bytes.size(), 250);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{250, 251, 252, 253, 254, 255, 0, 1}));
  KtqFormat::Scramble(bytes.data(), bytes.size(), 250);
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(8, 0));
}

TEST(KtqFormat, DecodesByCodecOrBySignature) {
  auto png = test::SolidStream(5, 4, qmMakeColor(10, 200, 30), qmFormatPng);
  for (int codec : {qmFormatPng, qmFormatPngAlt, -1, 4242}) {
    auto image = KtqFormat::DecodeStream(png.data(), png.size(), codec);
    ASSERT_TRUE(image) << codec;
    EXPECT_EQ(image->getWidth(), 5);
    EXPECT_EQ(test::Rgb(image->getPixelColor(2, 2)), "10,200,30");
  }
  EXPECT_FALSE(KtqFormat::DecodeStream(png.data(), 9, -1));
  EXPECT_FALSE(KtqFormat::DecodeStream(png.data(), 0, qmFormatPng));
  EXPECT_FALSE(KtqFormat::DecodeStream(nullptr, 100, -1));
}

}  // namespace
}  // namespace zolvex
