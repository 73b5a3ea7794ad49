#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "image/ViewImage.h"
#include "image/codecs/qmbmpcodec.h"
#include "image/codecs/qmgifcodec.h"
#include "image/codecs/qmtgacodec.h"
#include "image/qmBufferedStream.h"
#include "image/qmImageUtils.h"
#include "tests/image/ImageTestUtil.h"

namespace zolvex::test {
namespace {

// Pictures written by ImageMagick in every variant, shared by the tests of this file.
class CodecInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    ASSERT_TRUE(MagickRun("-size 37x23 -seed 7 plasma:fractal -depth 8 " + Path("base.png")));
    // A two-level and a graded alpha mask of the same size.
    ASSERT_TRUE(MagickRun("-size 23x37 gradient: -rotate 90 -threshold 50% " + Path("mask.png")));
    ASSERT_TRUE(MagickRun("-size 23x37 gradient: -rotate 90 " + Path("ramp.png")));
  }
  static void TearDownTestSuite() { dir_.reset(); }
  static std::string Path(const std::string& name) { return dir_->File(name); }
  static std::string WithMask(const std::string& mask) {
    return Path("base.png") + " " + Path(mask) + " -alpha off -compose copy_opacity -composite ";
  }
  static std::unique_ptr<TempDir> dir_;
};

std::unique_ptr<TempDir> CodecInterop::dir_;

struct Variant {
  const char* file;       // output name; its extension picks our decoder
  std::string arguments;  // ImageMagick arguments before the output
  int page;
  int tolerance;
};

TEST_F(CodecInterop, DecodesWhatImageMagickWrites) {
  const std::string base = Path("base.png") + " ";
  const std::string binaryAlpha = WithMask("mask.png");
  const Variant variants[] = {
      {"bmp24.bmp", base + "-type truecolor BMP3:", 0, 0},
      {"bmp24v5.bmp", base + "-type truecolor BMP:", 0, 0},
      {"bmp8.bmp", base + "-colors 200 -type palette BMP3:", 0, 0},
      {"bmp4.bmp", base + "-colors 16 -type palette BMP3:", 0, 0},
      {"bmp1.bmp", base + "-monochrome BMP3:", 0, 0},
      {"bmprle8.bmp", base + "-colors 200 -type palette -compress RLE BMP3:", 0, 0},
      {"bmp565.bmp", base + "-define bmp:subtype=RGB565 BMP:", 0, 0},
      {"bmp555.bmp", base + "-define bmp:subtype=RGB555 BMP:", 0, 0},
      {"bmp32.bmp", binaryAlpha + "BMP:", 0, 0},
      {"tga24.tga", base + "-type truecolor ", 0, 0},
      {"tgarle.tga", base + "-type truecolor -compress RLE ", 0, 0},
      {"tgamap.tga", base + "-colors 100 -type palette ", 0, 0},
      {"tgamaprle.tga", base + "-colors 100 -type palette -compress RLE ", 0, 0},
      {"tgagrey.tga", base + "-type grayscale ", 0, 0},
      {"tgagreyrle.tga", base + "-type grayscale -compress RLE ", 0, 0},
      {"tga32.tga", binaryAlpha, 0, 0},
      {"tgatopdown.tga", base + "-orient TopLeft -compress RLE ", 0, 0},
      {"gif89.gif", base + "-colors 64 ", 0, 0},
      {"gif87.gif", base + "-colors 64 GIF87:", 0, 0},
      {"gifinterlaced.gif", base + "-colors 64 -interlace Line ", 0, 0},
      {"giftransparent.gif", binaryAlpha + "-colors 32 ", 0, 0},
      {"gifframes.gif", base + "\\( " + base + "-negate \\) \\( " + base + "-flip \\) -colors 64 ", 1, 0},
      {"gifframes.gif", "", 2, 0},
      {"rgb.png", base + "PNG24:", 0, 0},
      {"rgba.png", WithMask("ramp.png") + "PNG32:", 0, 0},
      {"palette.png", base + "-colors 50 PNG8:", 0, 0},
      {"palettetrns.png", binaryAlpha + "-colors 50 PNG8:", 0, 0},
      {"grey.png", base + "-type grayscale PNG:", 0, 0},
      // 16-bit samples: we round v / 257, ImageMagick's 8-bit output truncates it.
      {"grey16.png", base + "-type grayscale -depth 16 PNG:", 0, 1},
      {"rgb16.png", base + "-depth 16 PNG48:", 0, 0},
      {"interlaced.png", base + "-interlace PNG PNG24:", 0, 0},
      {"mono.png", base + "-monochrome PNG:", 0, 0},
      {"baseline.jpg", base + "-quality 90 ", 0, 2},
      {"grey.jpg", base + "-type grayscale ", 0, 2},
      {"progressive.jpg", base + "-interlace Plane -quality 80 ", 0, 2},
      {"plain.tif", base + "-compress None ", 0, 0},
      {"lzw.tif", base + "-compress LZW ", 0, 0},
      {"zip.tif", base + "-compress Zip ", 0, 0},
      {"alpha.tif", binaryAlpha + "-compress LZW ", 0, 0},
      {"gradedalpha.tif", WithMask("ramp.png") + "-compress LZW ", 0, 0},
      // libtiff's RGBA interface truncates 16-bit colour map entries to 8 bits where
      // ImageMagick rounds them.
      {"palette.tif", base + "-colors 50 -type palette ", 0, 1},
      {"grey.tif", base + "-type grayscale ", 0, 0},
      {"jpeg.tif", base + "-compress JPEG ", 0, 3},
      {"pages.tif", base + "\\( " + base + "-negate \\) ", 1, 0},
      {"lossless.webp", base + "-define webp:lossless=true ", 0, 0},
      {"alpha.webp", WithMask("ramp.png") + "-define webp:lossless=true ", 0, 0},
      {"lossy.webp", base + "-quality 95 ", 0, 0},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.file);
    const std::string file = Path(v.file);
    if (!v.arguments.empty()) {
      ASSERT_TRUE(MagickRun(v.arguments + file));
    }
    const auto expected = MagickReadOriented(file + "[" + std::to_string(v.page) + "]");
    ASSERT_TRUE(expected);
    auto image = qmImageUtils::loadImage(file, v.page);
    ASSERT_TRUE(image);
    EXPECT_LE(VisibleDifference(ToMagick(*image), *expected), v.tolerance);
    const auto bytes = ReadBytes(file);
    auto fromMemory = qmImageUtils::decodeFromMemory(bytes.data(), bytes.size(),
                                                     qmImageUtils::formatFromExtension(file), v.page);
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(VisibleDifference(ToMagick(*fromMemory), ToMagick(*image)), 0);
  }
}

// Bitmaps that ImageMagick reads but does not write: top-down rows and RLE4.
TEST_F(CodecInterop, DecodesTopDownAndRunLength4Bitmaps) {
  const std::string bottomUp = Path("bottomup.bmp");
  ASSERT_TRUE(MagickRun(Path("base.png") + " -type truecolor BMP3:" + bottomUp));
  auto bytes = ReadBytes(bottomUp);
  const int height = 23, stride = 112;  // 37 pixels of 3 bytes, padded
  const size_t offset = bytes[10] | bytes[11] << 8;
  std::vector<std::uint8_t> flipped(bytes.begin(), bytes.begin() + static_cast<long>(offset));
  for (int row = height - 1; row >= 0; --row) {
    flipped.insert(flipped.end(), bytes.begin() + static_cast<long>(offset + row * stride),
                   bytes.begin() + static_cast<long>(offset + (row + 1) * stride));
  }
  const std::int32_t negative = -height;
  std::memcpy(&flipped[22], &negative, 4);
  const std::string topDown = Path("topdown.bmp");
  WriteBytes(topDown, flipped);
  auto image = qmImageUtils::loadImage(topDown);
  ASSERT_TRUE(image);
  EXPECT_EQ(VisibleDifference(ToMagick(*image), *MagickReadOriented(bottomUp)), 0);

  // 6 x 3, 4 bits: a run, an absolute run, a delta and end of line / bitmap codes.
  std::vector<std::uint8_t> rle = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 118, 0, 0, 0,
                                   40, 0, 0, 0, 6, 0, 0, 0, 3, 0, 0, 0, 1, 0, 4, 0, 2, 0, 0, 0,
                                   20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 16; ++i) {
    rle.insert(rle.end(), {static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i * 16),
                           static_cast<std::uint8_t>(i * 8), 0});
  }
  const std::uint8_t data[] = {6, 0x12, 0, 0,                    // row 0 (bottom): 1 2 1 2 1 2
                               0, 4, 0x34, 0x56, 2, 0xF7, 0, 0,  // row 1: 3 4 5 6 F 7
                               0, 2, 1, 0, 5, 0x9A, 0, 1};       // row 2: delta 1 then 9 A 9 A 9
  rle.insert(rle.end(), std::begin(data), std::end(data));
  const std::uint32_t fileSize = static_cast<std::uint32_t>(rle.size());
  std::memcpy(&rle[2], &fileSize, 4);
  const std::string rleFile = Path("rle4.bmp");
  WriteBytes(rleFile, rle);
  auto decoded = qmImageUtils::loadImage(rleFile, 0, 0, 0, 1, 0);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->getBitsPerPixel(), 4);
  EXPECT_EQ(decoded->getPixelIndex(5, 0), 0x9);  // top row is the last stored
  EXPECT_EQ(decoded->getPixelIndex(0, 0), 0);    // skipped by the delta
  EXPECT_EQ(decoded->getPixelIndex(4, 1), 0xF);
  const auto expected = MagickReadOriented(rleFile);
  ASSERT_TRUE(expected);
  EXPECT_EQ(VisibleDifference(ToMagick(*decoded), *expected), 0);
}

struct EncodeCase {
  const char* file;
  int tolerance;  // -1: compare by PSNR
};

TEST_F(CodecInterop, ImageMagickReadsWhatWeWrite) {
  // A true-colour picture, a palette picture, a 4-bit one, one with an alpha plane and a
  // true-colour one with few colours.
  auto trueColour = qmImageUtils::loadImage(Path("base.png"));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 200 -type palette BMP3:" + Path("p8.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 16 -type palette BMP3:" + Path("p4.bmp")));
  ASSERT_TRUE(MagickRun(WithMask("ramp.png") + "PNG32:" + Path("alpha.png")));
  auto palette8 = qmImageUtils::loadImage(Path("p8.bmp"), 0, 0, 0, 1, 0);
  auto palette4 = qmImageUtils::loadImage(Path("p4.bmp"), 0, 0, 0, 1, 0);
  auto alpha = qmImageUtils::loadImage(Path("alpha.png"));
  ASSERT_TRUE(trueColour && palette8 && palette4 && alpha);
  ASSERT_EQ(palette8->getBitsPerPixel(), 8);
  ASSERT_EQ(palette4->getBitsPerPixel(), 4);
  ViewImage fewColours(*palette8);
  ASSERT_TRUE(fewColours.increaseBpp(24));

  struct Input {
    const char* name;
    const qmImage* image;
    std::vector<EncodeCase> outputs;
  };
  const Input inputs[] = {
      {"24", trueColour.get(), {{"t.bmp", 0}, {"t.tga", 0}, {"t.png", 0}, {"t.tif", 0}, {"t.jpg", -1}}},
      {"8", palette8.get(), {{"p.bmp", 0}, {"p.tga", 0}, {"p.gif", 0}, {"p.png", 0}, {"p.tif", 0}}},
      {"4", palette4.get(), {{"q.bmp", 0}, {"q.gif", 0}, {"q.png", 0}, {"q.tif", 0}}},
      {"alpha", alpha.get(), {{"a.tga", 0}, {"a.png", 0}, {"a.tif", 0}}},
      {"few", &fewColours, {{"f.gif", 0}}},
  };
  for (const Input& input : inputs) {
    for (const EncodeCase& output : input.outputs) {
      SCOPED_TRACE(std::string(input.name) + " " + output.file);
      const std::string file = Path(output.file);
      ASSERT_TRUE(qmImageUtils::saveImage(*input.image, file));
      const auto read = MagickReadOriented(file);
      ASSERT_TRUE(read);
      const MagickPixels ours = ToMagick(*input.image);
      if (output.tolerance < 0) {
        EXPECT_GT(Psnr(ours, *read), 40.0);
      } else {
        EXPECT_LE(VisibleDifference(ours, *read), output.tolerance);
      }
    }
  }
}

TEST_F(CodecInterop, SavePicksTheEncoderByExtensionAndCleansUpFailures) {
  qmImage image(4, 4, 24);
  EXPECT_FALSE(qmImageUtils::saveImage(image, Path("x.jpeg")));
  EXPECT_FALSE(std::filesystem::exists(Path("x.jpeg")));
  ASSERT_TRUE(qmImageUtils::saveImage(image, Path("x.JPG")));
  const auto bytes = ReadBytes(Path("x.JPG"));
  EXPECT_EQ(qmImageUtils::detectFormat(bytes.data(), bytes.size()), qmFormatJpeg);
  // TGA holds 16-bit sizes: the encoder fails and no partial file stays behind.
  qmImage tooWide(70000, 1, 24);
  EXPECT_FALSE(qmImageUtils::saveImage(tooWide, Path("wide.tga")));
  EXPECT_FALSE(std::filesystem::exists(Path("wide.tga")));
  EXPECT_FALSE(qmImageUtils::saveImage(image, Path("missing/dir/x.png")));
  // Depth conversion on save: a palette picture saved as 24 bits.
  qmImage grey(2, 2, 8);
  grey.setPixelIndex(1, 1, 200);
  ASSERT_TRUE(qmImageUtils::saveImage(grey, Path("g.bmp"), 24));
  auto back = qmImageUtils::loadImage(Path("g.bmp"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->getBitsPerPixel(), 24);
  EXPECT_EQ(back->getPixelColor(1, 1), qmMakeColor(200, 200, 200));
}

TEST_F(CodecInterop, DecodeFromMemoryEntryPoint) {
  ASSERT_TRUE(MagickRun(Path("base.png") + " -type grayscale " + Path("grey.jpg")));
  const auto jpeg = ReadBytes(Path("grey.jpg"));
  EXPECT_FALSE(qmImageUtils::decodeFromMemory(nullptr, 10, qmFormatJpeg));
  EXPECT_FALSE(qmImageUtils::decodeFromMemory(jpeg.data(), 0, qmFormatJpeg));
  EXPECT_FALSE(qmImageUtils::decodeFromMemory(jpeg.data(), jpeg.size(), 12345));
  auto detected = qmImageUtils::decodeFromMemory(jpeg.data(), jpeg.size(), -1);
  ASSERT_TRUE(detected);
  EXPECT_EQ(detected->getBitsPerPixel(), 24);
  auto keep = qmImageUtils::decodeFromMemory(jpeg.data(), jpeg.size(), qmFormatJpegAlt, 0, 0, 0, 1, 0);
  ASSERT_TRUE(keep);
  EXPECT_EQ(keep->getBitsPerPixel(), 8);
  EXPECT_TRUE(keep->isGreyScale());
  auto notResized = qmImageUtils::decodeFromMemory(jpeg.data(), jpeg.size(), qmFormatJpeg, 0, 100, 0);
  ASSERT_TRUE(notResized);
  EXPECT_EQ(notResized->getWidth(), 37);
  auto resized = qmImageUtils::decodeFromMemory(jpeg.data(), jpeg.size(), qmFormatJpeg, 0, 10, 5);
  ASSERT_TRUE(resized);
  EXPECT_EQ(resized->getWidth(), 10);
  EXPECT_EQ(resized->getHeight(), 5);
  EXPECT_EQ(qmImageUtils::loadImage(Path("base.png") + ".jpeg"), nullptr);
  EXPECT_EQ(qmImageUtils::loadImage(Path("nothing.png")), nullptr);
}

// A decoder writes each row up to its last pixel only; the bytes that pad rows to four
// must still be zeros (encoders write whole rows), whatever the memory held before.
TEST_F(CodecInterop, DecodedRowsArePaddedWithZeros) {
  ASSERT_TRUE(MagickRun(Path("base.png") + " " + Path("colour.jpg")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -type grayscale " + Path("grey8.jpg")));
  for (const auto& [file, bitsPerPixel] : {std::pair{"colour.jpg", 24}, {"grey8.jpg", 8}}) {
    const auto jpeg = ReadBytes(Path(file));
    {
      // Leaves a block of the picture's size full of ones for the allocator to hand out again.
      qmImage dirty(37, 23, bitsPerPixel);
      std::memset(dirty.getBits(), 0xFF, static_cast<size_t>(dirty.getStride()) * 23);
    }
    auto image = qmImageUtils::decodeFromMemory(jpeg.data(), jpeg.size(), qmFormatJpegAlt, 0, 0, 0, 1, 0);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getBitsPerPixel(), bitsPerPixel);
    const int used = 37 * bitsPerPixel / 8;
    ASSERT_LT(used, image->getStride());
    for (int y = 0; y < image->getHeight(); ++y) {
      for (int x = used; x < image->getStride(); ++x) ASSERT_EQ(image->getRow(y)[x], 0) << file << " row " << y;
    }
  }
}

TEST_F(CodecInterop, SignatureDetection) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    int format;
  };
  auto pad = [](std::string s) {
    s.resize(12, '\0');
    return std::vector<std::uint8_t>(s.begin(), s.end());
  };
  const Case cases[] = {{pad("BM"), qmFormatBmp},         {pad("GIF89a"), qmFormatGif},
                        {pad("II*"), qmFormatTiff},       {pad("MM"), qmFormatTiff},
                        {pad("\x89PNG"), qmFormatPng},    {pad("\xFF\xD8\xFF\xE0..JFIF"), qmFormatJpeg},
                        {pad("\xFF\xD8\xFF\xE1..Exif"), qmFormatJpeg}, {pad("\xFF\xD8\xFF\xDB"), qmFormatTga},
                        {std::vector<std::uint8_t>(9, 'B'), -1}};
  for (const Case& c : cases) EXPECT_EQ(qmImageUtils::detectFormat(c.bytes.data(), c.bytes.size()), c.format);
}

TEST_F(CodecInterop, DecoderOperations) {
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 64 " + Path("one.gif")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -type truecolor BMP3:" + Path("sub.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 200 -type palette -compress RLE BMP3:" + Path("rle.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -type truecolor " + Path("sub.tga")));
  const auto gif = ReadBytes(Path("one.gif"));
  qmBufferedStream gifStream(gif.data(), gif.size());
  qmGifDecoder gifDecoder(&gifStream, qmImageDecodeParam(1, 1));
  EXPECT_STREQ(gifDecoder.getFormatName(), "GIF");
  EXPECT_FALSE(gifDecoder.decode());
  EXPECT_EQ(gifDecoder.lastError(), "Frame error!");
  gifDecoder.setDecodeParam(qmImageDecodeParam(1, 0));
  auto frame = gifDecoder.decode();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->info().pageCount, 1);
  EXPECT_EQ(frame->info().formatId, qmFormatGif);

  const auto bmp = ReadBytes(Path("sub.bmp"));
  qmBufferedStream bmpStream(bmp.data(), bmp.size());
  qmBmpDecoder bmpDecoder(&bmpStream);
  EXPECT_TRUE(bmpDecoder.checkHeader());
  const auto header = bmpDecoder.readHeader();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->width, 37);
  EXPECT_EQ(header->bitsPerPixel, 24);
  auto part = bmpDecoder.decodeAsSubImage(30, 20, 10, 10);
  ASSERT_TRUE(part);
  EXPECT_EQ(part->getWidth(), 7);
  EXPECT_EQ(part->getHeight(), 3);
  const auto whole = MagickReadOriented(Path("sub.bmp"));
  EXPECT_EQ(part->getPixelColor(6, 2).red, whole->R(36, 22));
  // Resources: the same bitmap without its file header.
  const std::vector<std::uint8_t> resource(bmp.begin() + 14, bmp.end());
  auto fromResource = qmImageUtils::decodeFromMemory(resource.data(), resource.size(), qmFormatBmp);
  ASSERT_TRUE(fromResource);
  EXPECT_EQ(VisibleDifference(ToMagick(*fromResource), *whole), 0);
  const auto rle = ReadBytes(Path("rle.bmp"));
  qmBufferedStream rleStream(rle.data(), rle.size());
  EXPECT_FALSE(qmBmpDecoder(&rleStream).checkHeader());

  const auto tga = ReadBytes(Path("sub.tga"));
  qmBufferedStream tgaStream(tga.data(), tga.size());
  qmTgaDecoder tgaDecoder(&tgaStream);
  EXPECT_TRUE(tgaDecoder.checkHeader());
  EXPECT_FALSE(tgaDecoder.decodeAsSubImage(0, 0, 2, 2));
  EXPECT_EQ(tgaDecoder.lastError(), "Tga does not support partial");
}


// Rows read in strips are the rows of the whole decoded picture in true colour. Formats
// read whole refuse a picture beyond the pixel cap with a message saying so; JPEG, read by
// scanlines, does not hold the picture and is not bound by it.
TEST_F(CodecInterop, RowsInStripsAreTheDecodedPicture) {
  ASSERT_TRUE(MagickRun(Path("base.png") + " -quality 90 " + Path("rows.jpg")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colorspace gray -quality 90 " + Path("grey.jpg")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 64 " + Path("rows.gif")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -define tiff:rows-per-strip=4 " + Path("strips.tif")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -compress jpeg -define tiff:tile-geometry=16x16 " + Path("tiles.tif")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -define tiff:tile-geometry=16x16 -orient bottom-left " + Path("turned.tif")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 50 PNG8:" + Path("palette.png")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -depth 16 " + Path("deep.png")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colorspace gray " + Path("grey.png")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -interlace PNG " + Path("interlaced.png")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -type truecolor BMP3:" + Path("rows24.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 12 -type palette BMP3:" + Path("rows4.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -monochrome BMP3:" + Path("rows1.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -define bmp:subtype=RGB565 BMP:" + Path("rows565.bmp")));
  ASSERT_TRUE(MagickRun(Path("base.png") + " -colors 200 -type palette -compress RLE BMP3:" + Path("rowsrle.bmp")));
  const std::string files[] = {"rows.jpg",  "grey.jpg",  "rows.gif",    "base.png",      "palette.png",
                               "deep.png",  "grey.png",  "interlaced.png", "strips.tif", "tiles.tif", "turned.tif",
                               "rows24.bmp", "rows4.bmp", "rows1.bmp",   "rows565.bmp",   "rowsrle.bmp"};
  // The rows, top down, packed; empty when reading fails.
  auto readInStrips = [](qmImageDecoder& decoder) {
    std::vector<std::uint8_t> pixels;
    if (!decoder.beginRows()) return pixels;
    const size_t rowBytes = static_cast<size_t>(decoder.headerInfo().width) * 3;
    const int height = decoder.headerInfo().height;
    pixels.resize(rowBytes * static_cast<size_t>(height));
    for (int y = 0; y < height;) {
      std::uint8_t* strip[5];
      const int count = std::min(5, height - y);
      for (int i = 0; i < count; ++i) strip[i] = pixels.data() + rowBytes * static_cast<size_t>(y + i);
      const int filled = decoder.readRows(strip, count);
      if (filled <= 0) return std::vector<std::uint8_t>();
      y += filled;
    }
    std::uint8_t* beyond = nullptr;
    if (decoder.readRows(&beyond, 1) != 0) pixels.clear();
    return pixels;
  };
  for (const std::string& name : files) {
    const auto bytes = ReadBytes(Path(name));
    auto whole = qmImageUtils::decodeFromMemory(bytes.data(), bytes.size(), -1);
    ASSERT_TRUE(whole && whole->increaseBpp(24)) << name;
    qmBufferedStream stream(bytes.data(), bytes.size());
    auto decoder = qmImageUtils::createDecoder(qmImageUtils::detectFormat(bytes.data(), bytes.size()));
    decoder->setStream(&stream);
    const auto rows = readInStrips(*decoder);
    ASSERT_EQ(rows.size(), 37u * 23 * 3) << name << ": " << decoder->lastError();
    for (int y = 0; y < 23; ++y) ASSERT_EQ(std::memcmp(&rows[y * 37 * 3], whole->getRow(y), 37 * 3), 0) << name << " row " << y;
  }

  const auto savedCap = qmImage::maxPixels();
  qmImage::setMaxPixels(37 * 23 - 1);
  const auto gif = ReadBytes(Path("rows.gif"));
  qmBufferedStream gifStream(gif.data(), gif.size());
  qmGifDecoder gifDecoder(&gifStream);
  const bool gifBegun = gifDecoder.beginRows();
  const auto jpeg = ReadBytes(Path("rows.jpg"));
  qmBufferedStream jpegStream(jpeg.data(), jpeg.size());
  auto jpegDecoder = qmImageUtils::createDecoder(qmFormatJpeg);
  jpegDecoder->setStream(&jpegStream);
  const bool jpegRead = !readInStrips(*jpegDecoder).empty();
  qmImage::setMaxPixels(savedCap);
  EXPECT_FALSE(gifBegun);
  EXPECT_NE(gifDecoder.lastError().find("read whole, and 37 x 23 is more than the 850 pixels"), std::string::npos)
      << gifDecoder.lastError();
  EXPECT_TRUE(jpegRead) << jpegDecoder->lastError();
}

}  // namespace
}  // namespace zolvex::test
