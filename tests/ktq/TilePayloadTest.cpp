#include "tiles/TilePayload.h"

#include <gtest/gtest.h>

#include "tests/ktq/KtqTestFiles.h"
#include "tiles/KtqFormat.h"

namespace zolvex {
namespace {

const qmRGBQuad kBlue = qmMakeColor(20, 40, 220);

std::vector<std::uint8_t> Header(std::int32_t scrambled, std::int32_t codec, std::int32_t key) {
  std::vector<std::uint8_t> header;
  for (std::int32_t value : {scrambled, codec, key}) {
    auto v = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  return header;
}

void ExpectBlue(const std::unique_ptr<ViewImage>& image) {
  ASSERT_TRUE(image);
  EXPECT_EQ(image->getWidth(), 6);
  EXPECT_EQ(test::Rgb(image->getPixelColor(3, 2)), test::Rgb(kBlue));
}

TEST(TilePayload, Version10IsABareJpegStream) {
  auto jpeg = test::SolidStream(6, 4, kBlue, qmFormatJpeg);
  auto image = TilePayload::DecodeTilePayload(jpeg.data(), jpeg.size(), 10);
  ASSERT_TRUE(image);
  auto colour = image->getPixelColor(3, 2);
  EXPECT_NEAR(colour.blue, 220, 4);
  EXPECT_NEAR(colour.red, 20, 4);
  // Any other stream in a version-10 payload is still handed to the JPEG decoder.
  auto png = test::SolidStream(6, 4, kBlue, qmFormatPng);
  EXPECT_FALSE(TilePayload::DecodeTilePayload(png.data(), png.size(), 10));
}

// A tile is never allowed more than its level's tile size: a larger stream is refused, and
// one whose header declares 16384 x 16384 is refused before the decoder allocates for it.
TEST(TilePayload, AStreamLargerThanTheTileSizeIsRefusedBeforeAllocating) {
  auto stream = test::SolidStream(6, 4, kBlue, qmFormatPng);
  auto payload = TilePayload::Encode(stream.data(), stream.size(), 11, qmFormatPng);
  ExpectBlue(TilePayload::Decode(payload.data(), payload.size(), 11, 6, 4));
  EXPECT_FALSE(TilePayload::Decode(payload.data(), payload.size(), 11, 5, 4));
  EXPECT_FALSE(TilePayload::Decode(payload.data(), payload.size(), 11, 6, 3));
  for (int format : {qmFormatBmp, qmFormatTiff, qmFormatPng, qmFormatJpeg, qmFormatTga, qmFormatGif}) {
    qmImage big(512, 512, 24);
    auto bigStream = KtqFormat::EncodeStream(big, format);
    ASSERT_TRUE(bigStream) << format;
    auto bigPayload = TilePayload::Encode(bigStream->data(), bigStream->size(), 11, format);
    EXPECT_FALSE(TilePayload::Decode(bigPayload.data(), bigPayload.size(), 11, 256, 256)) << format;
  }
  auto bomb = test::BmpHeaderOnly(16384, 16384);
  auto bombPayload = TilePayload::Encode(bomb.data(), bomb.size(), 11, qmFormatBmp);
  std::unique_ptr<ViewImage> image;
  EXPECT_LT(test::PeakMemoryGrowthMb([&] { image = TilePayload::Decode(bombPayload.data(), bombPayload.size(), 11, 256, 256); }), 64);
  EXPECT_FALSE(image);
}

TEST(TilePayload, Version11UnscramblesWithTheKeysLowByte) {
  auto png = test::SolidStream(6, 4, kBlue, qmFormatPng);
  auto payload = Header(1, 4, 511);  // key byte 255
  auto stream = png;
  for (size_t i = 0; i < stream.size(); ++i) stream[i] ^= static_cast<std::uint8_t>((255 + i) % 256);
  EXPECT_EQ(stream[1], png[1]);  // (255 + 1) mod 256 = 0
  payload.insert(payload.end(), stream.begin(), stream.end());
  auto unwrapped = TilePayload::Unwrap(payload.data(), payload.size(), 11);
  ASSERT_TRUE(unwrapped);
  EXPECT_EQ(unwrapped->formatId, qmFormatPng);
  EXPECT_EQ(unwrapped->bytes, png);
  ExpectBlue(TilePayload::DecodeTilePayload(payload.data(), payload.size(), 11));

  // Only the low byte of each header word counts: 0x102 is plain, 0x7704 is PNG.
  auto plain = Header(0x0100 | 2, 0x7700 | 4, 0);
  plain.insert(plain.end(), png.begin(), png.end());
  ExpectBlue(TilePayload::DecodeTilePayload(plain.data(), plain.size(), 11));
}

TEST(TilePayload, UnknownCodecCodesAreSniffed) {
  auto png = test::SolidStream(6, 4, kBlue, qmFormatPng);
  auto payload = Header(0, 7, 0);
  payload.insert(payload.end(), png.begin(), png.end());
  EXPECT_EQ(TilePayload::Unwrap(payload.data(), payload.size(), 11)->formatId, -1);
  ExpectBlue(TilePayload::DecodeTilePayload(payload.data(), payload.size(), 11));

  // Nine bytes are too few to sniff.
  auto tiny = Header(0, 7, 0);
  tiny.insert(tiny.end(), png.begin(), png.begin() + 9);
  EXPECT_FALSE(TilePayload::DecodeTilePayload(tiny.data(), tiny.size(), 11));
}

TEST(TilePayload, MalformedPayloadsDecodeToNothing) {
  auto header = Header(1, 2, 3);
  EXPECT_FALSE(TilePayload::Unwrap(header.data(), 11, 11));
  EXPECT_TRUE(TilePayload::Unwrap(header.data(), 12, 11));  // an empty stream
  EXPECT_FALSE(TilePayload::DecodeTilePayload(header.data(), 12, 11));
  EXPECT_FALSE(TilePayload::Unwrap(header.data(), header.size(), 12));
  EXPECT_FALSE(TilePayload::DecodeTilePayload(header.data(), header.size(), 9));
  EXPECT_FALSE(TilePayload::DecodeTilePayload(nullptr, 0, 10));
}

TEST(TilePayload, EncodeMirrorsDecode) {
  auto bmp = test::SolidStream(6, 4, kBlue, qmFormatBmp);
  for (bool scrambled : {false, true}) {
    auto payload = TilePayload::Encode(bmp.data(), bmp.size(), 11, qmFormatBmp, scrambled, 0x1234);
    ASSERT_EQ(payload.size(), bmp.size() + 12);
    EXPECT_EQ(payload[3], scrambled ? 1 : 0);
    EXPECT_EQ(payload[7], 255);  // BMP has no code: sniffed by its signature
    EXPECT_EQ(payload[11], 0x34);
    EXPECT_EQ(TilePayload::Unwrap(payload.data(), payload.size(), 11)->bytes, bmp);
    ExpectBlue(TilePayload::DecodeTilePayload(payload.data(), payload.size(), 11));
  }
  auto jpeg = test::SolidStream(6, 4, kBlue, qmFormatJpeg);
  EXPECT_EQ(TilePayload::Encode(jpeg.data(), jpeg.size(), 10, qmFormatJpeg), jpeg);
  auto v11 = TilePayload::Encode(jpeg.data(), jpeg.size(), 11, qmFormatJpeg, true, 7);
  EXPECT_EQ(v11[7], 2);
  EXPECT_TRUE(TilePayload::DecodeTilePayload(v11.data(), v11.size(), 11));
}

}  // namespace
}  // namespace zolvex
