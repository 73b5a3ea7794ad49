#include <gtest/gtest.h>

#include <random>

#include "image/ViewImage.h"
#include "image/qmBufferedStream.h"
#include "image/qmImageUtils.h"
#include "tests/image/ImageTestUtil.h"

namespace zolvex::test {
namespace {

struct Sample {
  const char* name;
  std::string arguments;  // ImageMagick arguments before the output file
  int format;
  std::vector<std::uint8_t> bytes;
};

// One valid file per format and variant, written by ImageMagick.
class HostileInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    const std::string base = dir_->File("base.png");
    ASSERT_TRUE(MagickRun("-size 29x17 -seed 3 plasma:fractal -depth 8 " + base));
    samples_ = {
        {"a.jpg", base + " -quality 85 ", qmFormatJpeg, {}},
        {"b.jpg", base + " -interlace Plane ", qmFormatJpeg, {}},
        {"a.png", base + " PNG24:", qmFormatPng, {}},
        {"b.png", base + " -colors 20 -interlace PNG PNG8:", qmFormatPng, {}},
        {"a.gif", base + " -colors 64 ", qmFormatGif, {}},
        {"b.gif", base + " -colors 64 -interlace Line ", qmFormatGif, {}},
        {"a.bmp", base + " -type truecolor BMP3:", qmFormatBmp, {}},
        {"b.bmp", base + " -colors 100 -type palette -compress RLE BMP3:", qmFormatBmp, {}},
        {"c.bmp", base + " -define bmp:subtype=RGB565 BMP:", qmFormatBmp, {}},
        {"a.tga", base + " -type truecolor ", qmFormatTga, {}},
        {"b.tga", base + " -colors 50 -type palette -compress RLE ", qmFormatTga, {}},
        {"a.tif", base + " -compress LZW ", qmFormatTiff, {}},
        {"b.tif", base + " -compress None ", qmFormatTiff, {}},
        {"a.webp", base + " -quality 80 ", qmFormatWebp, {}},
        {"b.webp", base + " -define webp:lossless=true ", qmFormatWebp, {}},
    };
    for (Sample& s : samples_) {
      const std::string file = dir_->File(s.name);
      ASSERT_TRUE(MagickRun(s.arguments + file)) << s.name;
      s.bytes = ReadBytes(file);
    }
  }
  static void TearDownTestSuite() { dir_.reset(); }

  static std::unique_ptr<ViewImage> Decode(const Sample& s, const std::vector<std::uint8_t>& bytes) {
    return qmImageUtils::decodeFromMemory(bytes.data(), bytes.size(), s.format);
  }

  static std::unique_ptr<TempDir> dir_;
  static std::vector<Sample> samples_;
};

std::unique_ptr<TempDir> HostileInput::dir_;
std::vector<Sample> HostileInput::samples_;

TEST_F(HostileInput, IntactSamplesDecode) {
  for (const Sample& s : samples_) EXPECT_TRUE(Decode(s, s.bytes)) << s.name;
}

TEST_F(HostileInput, TruncatedStreamsGiveNoImage) {
  for (const Sample& s : samples_) {
    // Cutting the last bytes of a TIFF may only lose trailing tag data, which libtiff
    // rightly tolerates; the other formats need their last bytes.
    const size_t nearEnd = s.format == qmFormatTiff ? s.bytes.size() / 3 : s.bytes.size() - 3;
    for (size_t length : {size_t{0}, size_t{5}, size_t{20}, s.bytes.size() / 2, s.bytes.size() * 3 / 4, nearEnd}) {
      std::vector<std::uint8_t> cut(s.bytes.begin(), s.bytes.begin() + static_cast<long>(length));
      EXPECT_FALSE(Decode(s, cut)) << s.name << " cut at " << length;
    }
  }
}

TEST_F(HostileInput, FlippedBitsNeverCrash) {
  std::mt19937 random(1234);
  for (const Sample& s : samples_) {
    std::vector<size_t> positions;
    for (size_t i = 0; i < std::min<size_t>(s.bytes.size(), 96); ++i) positions.push_back(i);
    for (int i = 0; i < 150; ++i) positions.push_back(random() % s.bytes.size());
    for (size_t position : positions) {
      std::vector<std::uint8_t> bad = s.bytes;
      bad[position] ^= static_cast<std::uint8_t>(1u << (random() % 8));
      auto image = Decode(s, bad);
      if (image) {
        ASSERT_GT(image->getWidth(), 0) << s.name << " at " << position;
        ASSERT_LE(static_cast<std::uint64_t>(image->getWidth()) * image->getHeight(), qmImage::maxPixels());
      }
    }
  }
}

TEST_F(HostileInput, BrokenSignaturesGiveNoImage) {
  for (const Sample& s : samples_) {
    std::vector<std::uint8_t> bad = s.bytes;
    // The first byte of every signature; for TGA (no signature) the image type.
    bad[s.format == qmFormatTga ? 2 : 0] ^= 0x40;
    EXPECT_FALSE(Decode(s, bad)) << s.name;
  }
}

TEST_F(HostileInput, PixelLimitRefusesEveryFormat) {
  const auto saved = qmImage::maxPixels();
  qmImage::setMaxPixels(29 * 17 - 1);
  for (const Sample& s : samples_) EXPECT_FALSE(Decode(s, s.bytes)) << s.name;
  qmImage::setMaxPixels(saved);
}

// Headers that claim huge pictures are refused before any pixel memory is taken (the
// sanitizer build would report an allocation of that size).
TEST_F(HostileInput, HugeDimensionsAreRefused) {
  auto find = [](const char* name) {
    for (const Sample& s : samples_)
      if (std::string(s.name) == name) return s;
    return Sample{};
  };
  struct Patch {
    const char* sample;
    size_t offset;
    std::vector<std::uint8_t> bytes;
  };
  const Patch patches[] = {
      {"a.bmp", 18, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}},  // 2^31-1 square
      {"a.bmp", 18, {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00}},  // 65536 square
      {"a.tga", 12, {0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Patch& p : patches) {
    Sample s = find(p.sample);
    std::copy(p.bytes.begin(), p.bytes.end(), s.bytes.begin() + static_cast<long>(p.offset));
    EXPECT_FALSE(Decode(s, s.bytes)) << p.sample;
  }
  // GIF frame descriptors and JPEG frame headers carry the size too.
  Sample gif = find("a.gif");
  for (size_t i = 13; i + 9 < gif.bytes.size(); ++i) {
    if (gif.bytes[i] == 0x2C && gif.bytes[i + 1] == 0 && gif.bytes[i + 2] == 0) {
      gif.bytes[i + 5] = gif.bytes[i + 6] = gif.bytes[i + 7] = gif.bytes[i + 8] = 0xFF;
      break;
    }
  }
  EXPECT_FALSE(Decode(gif, gif.bytes));
  Sample jpeg = find("a.jpg");
  for (size_t i = 2; i + 8 < jpeg.bytes.size(); ++i) {
    if (jpeg.bytes[i] == 0xFF && jpeg.bytes[i + 1] == 0xC0) {
      jpeg.bytes[i + 5] = jpeg.bytes[i + 6] = jpeg.bytes[i + 7] = jpeg.bytes[i + 8] = 0xFF;
      break;
    }
  }
  EXPECT_FALSE(Decode(jpeg, jpeg.bytes));
}


// What went wrong, and where, reaches the caller in the decoder's error text.
TEST(DecoderErrors, SayWhatWasWrongAndWhere) {
  // A GIF of one 2 x 1 frame: header, logical screen, a two-colour table, then the frame.
  auto gif = [](std::uint8_t codeSize, std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> bytes = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
    bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, codeSize});
    bytes.push_back(static_cast<std::uint8_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    bytes.insert(bytes.end(), {0, 0x3B});
    return bytes;
  };
  // A BMP file header and an information header of the given size, all zero.
  auto bmp = [](std::uint8_t headerSize) {
    std::vector<std::uint8_t> bytes(14 + 64, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    bytes[14] = headerSize;
    return bytes;
  };
  struct Case {
    int format;
    std::vector<std::uint8_t> bytes;
    std::string error;
  } cases[] = {
      {qmFormatGif, gif(12, {0}), "Corrupt GIF: LZW code size 12 outside 2 to 8"},
      {qmFormatGif, gif(2, {0x06}), "Corrupt GIF: LZW data starts with code 6, not a colour"},
      {qmFormatGif, gif(2, {0x05}), "Corrupt GIF: image data ends after 0 of 2 pixels"},
      {qmFormatBmp, bmp(20), "Error reading BMP info: information header of 20 bytes"},
      {qmFormatBmp, bmp(40), "Error reading BMP info: 0 x 0 pixels, 0 bits, compression 0"},
  };
  for (const Case& c : cases) {
    qmBufferedStream stream(c.bytes.data(), c.bytes.size());
    auto decoder = qmImageUtils::createDecoder(c.format);
    ASSERT_TRUE(decoder);
    decoder->setStream(&stream);
    EXPECT_EQ(decoder->decode(), nullptr);
    EXPECT_EQ(decoder->lastError(), c.error);
  }
}

}  // namespace
}  // namespace zolvex::test
