#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "image/ViewImage.h"
#include "image/qmBufferedStream.h"
#include "image/qmFileStream.h"
#include "image/qmImage.h"
#include "image/qmImageDecodeParam.h"
#include "image/qmImageUtils.h"
#include "tests/image/ImageTestUtil.h"

namespace zolvex::test {
namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }

TEST(ImageModel, DepthIsNormalisedWithMatchingPaletteAndStride) {
  struct Case { int requested, width, bpp, palette, stride; };
  const Case cases[] = {{0, 3, 1, 2, 4}, {1, 3, 1, 2, 4}, {2, 3, 4, 16, 4}, {4, 9, 4, 16, 8}, {5, 3, 8, 256, 4},
                        {8, 5, 8, 256, 8}, {16, 3, 24, 0, 12}, {32, 3, 24, 0, 12}, {24, 4, 24, 0, 12}};
  for (const Case& c : cases) {
    qmImage image(c.width, 2, c.requested);
    ASSERT_TRUE(image.isValid()) << c.requested;
    EXPECT_EQ(image.getBitsPerPixel(), c.bpp) << c.requested;
    EXPECT_EQ(image.getPaletteSize(), c.palette) << c.requested;
    EXPECT_EQ(image.getStride(), c.stride) << c.requested;
    EXPECT_EQ(image.getDibSize(), 40u + c.palette * 4u + c.stride * 2u);
  }
}

TEST(ImageModel, HeaderIsALaidOutBitmapInfoHeader) {
  qmImage image(5, 3, 8);
  image.setResolution(96, 300);
  const std::uint8_t* h = image.getDib();
  EXPECT_EQ(le32(h), 40u);
  EXPECT_EQ(le32(h + 4), 5u);
  EXPECT_EQ(le32(h + 8), 3u);
  EXPECT_EQ(h[12] | h[13] << 8, 1);
  EXPECT_EQ(h[14] | h[15] << 8, 8);
  EXPECT_EQ(le32(h + 16), 0u);
  EXPECT_EQ(le32(h + 20), 24u);    // 3 rows of 8 bytes
  EXPECT_EQ(le32(h + 24), 3780u);  // 96 dpi in pixels per metre
  EXPECT_EQ(le32(h + 28), 11811u);
  // Rows are stored bottom-up: the top row is the last one in the block.
  image.setPixelIndex(0, 0, 7);
  EXPECT_EQ(image.getBits()[2 * 8], 7);
  EXPECT_EQ(image.info().colorType, 1);
  EXPECT_EQ(qmImage(1, 1, 24).info().colorType, 2);
}

TEST(ImageModel, PackedPixelsUseHighBitsForTheLeftPixel) {
  qmImage four(3, 1, 4);
  four.setPixelIndex(0, 0, 0xA);
  four.setPixelIndex(1, 0, 0x5);
  EXPECT_EQ(four.getRow(0)[0], 0xA5);
  qmImage one(9, 1, 1);
  one.setPixelIndex(0, 0, 1);
  one.setPixelIndex(8, 0, 1);
  EXPECT_EQ(one.getRow(0)[0], 0x80);
  EXPECT_EQ(one.getRow(0)[1], 0x80);
  EXPECT_EQ(one.getPixelIndex(8, 0), 1);
  EXPECT_EQ(one.getPixelIndex(7, 0), 0);
}

TEST(ImageModel, RefusesEmptyAndOversizedImagesBeforeAllocating) {
  EXPECT_FALSE(qmImage(0, 5, 24).isValid());
  EXPECT_FALSE(qmImage(-3, 5, 24).isValid());
  EXPECT_FALSE(qmImage(1 << 20, 1 << 20, 24).isValid());  // 2^40 pixels
  EXPECT_FALSE(qmImage(0x7FFFFFFF, 2, 24).isValid());
  const auto saved = qmImage::maxPixels();
  qmImage::setMaxPixels(100);
  EXPECT_FALSE(qmImage(11, 10, 8).isValid());
  EXPECT_TRUE(qmImage(10, 10, 8).isValid());
  qmImage::setMaxPixels(saved);
}

TEST(ImageModel, PixelReadsOutsideAnswerTransparentColourOrFirstPixel) {
  qmImage image(2, 2, 24);
  image.setPixelColor(0, 0, qmMakeColor(10, 20, 30));
  image.setPixelColor(5, 5, qmMakeColor(1, 1, 1));  // ignored
  EXPECT_EQ(image.getPixelColor(-1, 0), qmMakeColor(10, 20, 30));
  image.info().transparentIndex = 3;
  image.info().transparentColor = qmMakeColor(9, 8, 7);
  EXPECT_EQ(image.getPixelColor(2, 0), qmMakeColor(9, 8, 7));
  EXPECT_EQ(image.getPixelColor(1, 1), qmMakeColor(0, 0, 0));
  qmImage empty;
  empty.info().transparentColor = qmMakeColor(4, 5, 6);
  EXPECT_EQ(empty.getPixelColor(0, 0), qmMakeColor(4, 5, 6));
}

TEST(ImageModel, PaletteColourWritesPickTheNearestEntry) {
  qmImage image(2, 1, 8);
  EXPECT_TRUE(image.isGreyScale());
  EXPECT_EQ(image.getPaletteColor(200), qmMakeColor(200, 200, 200));
  image.setPixelColor(1, 0, qmMakeColor(100, 102, 101));
  EXPECT_EQ(image.getPixelIndex(1, 0), 101);
}

TEST(ImageModel, SubImageCopiesPixelsPaletteAndTransparency) {
  qmImage image(5, 4, 4);
  image.setPaletteColor(3, qmMakeColor(1, 2, 3));
  image.info().transparentIndex = 3;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) image.setPixelIndex(x, y, (x + y) & 15);
  auto sub = image.subImage(3, 2, 10, 10);  // clipped to 2 x 2
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->getWidth(), 2);
  EXPECT_EQ(sub->getHeight(), 2);
  EXPECT_EQ(sub->getPixelIndex(0, 0), 5);
  EXPECT_EQ(sub->getPixelIndex(1, 1), 7);
  EXPECT_EQ(sub->getPaletteColor(3), qmMakeColor(1, 2, 3));
  EXPECT_EQ(sub->info().transparentIndex, 3);
  EXPECT_FALSE(image.subImage(5, 0, 2, 2));
  EXPECT_FALSE(image.subImage(0, 0, 0, 2));
}

TEST(ImageModel, FlipVerticalExchangesRowsAndAlpha) {
  qmImage image = MakeImage(3, 3, [](int, int y) -> std::uint32_t { return y * 40; });
  image.createAlpha();
  image.setAlpha(1, 0, 7);
  ASSERT_TRUE(image.flipVertical());
  EXPECT_EQ(image.getPixelColor(0, 0).blue, 80);
  EXPECT_EQ(image.getPixelColor(0, 2).blue, 0);
  EXPECT_EQ(image.getAlpha(1, 2), 7);
}

// A 3 x 2 picture whose pixels are numbered 0..5 row by row, turned each way: the
// expected rows of the result, top first.
TEST(ImageModel, QuarterTurnsMovePixelsPaletteIndicesAndAlpha) {
  struct Case {
    int turns;
    std::vector<std::vector<int>> rows;
  };
  const Case cases[] = {{1, {{3, 0}, {4, 1}, {5, 2}}},
                        {-1, {{2, 5}, {1, 4}, {0, 3}}},
                        {2, {{5, 4, 3}, {2, 1, 0}}},
                        {4, {{0, 1, 2}, {3, 4, 5}}}};
  for (const int depth : {8, 24}) {
    for (const Case& c : cases) {
      SCOPED_TRACE("depth " + std::to_string(depth) + ", turns " + std::to_string(c.turns));
      qmImage image(3, 2, depth);
      image.createAlpha();
      for (int i = 0; i < 6; ++i) {
        const std::uint8_t v = static_cast<std::uint8_t>(40 * i);
        if (depth == 8) image.setPixelIndex(i % 3, i / 3, v);
        else image.setPixelColor(i % 3, i / 3, qmMakeColor(v, v, v));
        image.setAlpha(i % 3, i / 3, static_cast<std::uint8_t>(i));
      }
      ASSERT_TRUE(image.rotateQuarter(c.turns));
      ASSERT_EQ(image.getHeight(), static_cast<int>(c.rows.size()));
      ASSERT_EQ(image.getWidth(), static_cast<int>(c.rows[0].size()));
      for (int y = 0; y < image.getHeight(); ++y) {
        for (int x = 0; x < image.getWidth(); ++x) {
          const int expected = c.rows[y][x];
          EXPECT_EQ(image.getPixelColor(x, y).red, 40 * expected) << x << "," << y;
          EXPECT_EQ(image.getAlpha(x, y), expected) << x << "," << y;
        }
      }
    }
  }
}

TEST(ImageModel, IncreaseDepthKeepsColoursAndCarriesPaletteAlpha) {
  qmImage image(3, 1, 4);
  image.setPaletteColor(1, qmMakeColor(200, 100, 50, 255));
  image.setPaletteColor(2, qmMakeColor(1, 2, 3, 0));
  image.setPixelIndex(0, 0, 1);
  image.setPixelIndex(1, 0, 2);
  qmImage eight = image;
  ASSERT_TRUE(eight.increaseBpp(8));
  EXPECT_EQ(eight.getBitsPerPixel(), 8);
  EXPECT_EQ(eight.getPixelIndex(1, 0), 2);
  EXPECT_EQ(eight.getPaletteColor(1), qmMakeColor(200, 100, 50, 255));
  ASSERT_TRUE(image.increaseBpp(24));
  EXPECT_EQ(image.getBitsPerPixel(), 24);
  ASSERT_TRUE(image.hasAlpha());
  EXPECT_EQ(image.getPixelColor(0, 0), qmMakeColor(200, 100, 50, 255));
  EXPECT_EQ(image.getAlpha(1, 0), 0);
  EXPECT_TRUE(image.increaseBpp(24));
  EXPECT_FALSE(image.increaseBpp(8));
}

TEST(ImageModel, DrawToImageCopiesBlendsAndClips) {
  qmImage src = MakeImage(4, 4, [](int, int) -> std::uint32_t { return 0xFFFFFF; });
  qmImage dst(4, 4, 24);
  EXPECT_FALSE(src.drawToImage(0, 0, 4, 4, dst, 4, 0, 0));  // origin at the destination's width
  EXPECT_FALSE(src.drawToImage(0, 0, 4, 4, dst, -4, 0, 0));
  ASSERT_TRUE(src.drawToImage(0, 0, 4, 4, dst, -3, 2, 0));  // one column, two rows
  EXPECT_EQ(dst.getPixelColor(0, 2).red, 255);
  EXPECT_EQ(dst.getPixelColor(0, 3).red, 255);
  EXPECT_EQ(dst.getPixelColor(1, 2).red, 0);
  EXPECT_EQ(dst.getPixelColor(0, 1).red, 0);

  qmImage blank(2, 1, 24);
  src.createAlpha();
  src.setAlpha(0, 0, 128);
  src.setAlpha(1, 0, 0);
  ASSERT_TRUE(src.drawToImage(0, 0, 2, 1, blank, 0, 0, 0));
  EXPECT_EQ(blank.getPixelColor(0, 0).red, (255 * 128) >> 8);  // a = 128 * 256 >> 8
  EXPECT_EQ(blank.getPixelColor(1, 0).red, 0);
  src.info().opacity = 127;  // a = 255 * 128 >> 8 = 127 at a full alpha pixel
  qmImage half(1, 1, 24);
  src.setAlpha(0, 0, 255);
  src.drawToImage(0, 0, 1, 1, half, 0, 0, 0);
  EXPECT_EQ(half.getPixelColor(0, 0).red, (255 * 127) >> 8);
}

TEST(ImageModel, DrawToImageModeOneFillsBehindTheDestination) {
  qmImage src = MakeImage(3, 1, [](int, int) -> std::uint32_t { return 0xC80000; });
  qmImage dst = MakeImage(3, 1, [](int, int) -> std::uint32_t { return 0x640000; });
  EXPECT_FALSE(src.drawToImage(0, 0, 3, 1, dst, 0, 0, 1));  // no alpha plane: nothing drawn
  dst.createAlpha();
  dst.setAlpha(0, 0, 0);
  dst.setAlpha(1, 0, 255);
  dst.setAlpha(2, 0, 128);
  ASSERT_TRUE(src.drawToImage(0, 0, 3, 1, dst, 0, 0, 1));
  EXPECT_EQ(dst.getPixelColor(0, 0).red, 200);
  EXPECT_EQ(dst.getPixelColor(1, 0).red, 100);
  EXPECT_EQ(dst.getPixelColor(2, 0).red, (200 * (255 - 128) + 100 * 128) >> 8);
  EXPECT_EQ(dst.getAlpha(2, 0), 255);
}

TEST(ImageModel, TransparentCopySkipsNearKeyColours) {
  qmImage src = MakeImage(3, 1, [](int x, int) -> std::uint32_t { return x == 0 ? 0x00FF00 : x == 1 ? 0x02FD01 : 0x123456; });
  src.info().transparentColor = qmMakeColor(0, 255, 0);
  qmImage dst(3, 1, 24);
  ASSERT_TRUE(src.copyTransparent(0, 0, 3, 1, dst, 0, 0, true));
  EXPECT_EQ(dst.getPixelColor(0, 0), qmMakeColor(0, 0, 0));
  EXPECT_EQ(dst.getPixelColor(1, 0), qmMakeColor(0, 0, 0));
  EXPECT_EQ(dst.getPixelColor(2, 0), qmMakeColor(0x12, 0x34, 0x56));
  qmImage palette(3, 1, 8);
  ASSERT_TRUE(src.copyTransparent(0, 0, 3, 1, palette, 0, 0, false));
  EXPECT_EQ(palette.getBitsPerPixel(), 24);
  EXPECT_EQ(palette.getPixelColor(1, 0), qmMakeColor(2, 253, 1));
}

TEST(ImageModel, ColourHelpers) {
  EXPECT_EQ(qmImageUtils::swapRedBlue(0x80123456u), 0x80563412u);
  EXPECT_EQ(qmImageUtils::compareLuminance(qmMakeColor(0, 255, 0), qmMakeColor(255, 0, 0)), 1);
  EXPECT_EQ(qmImageUtils::compareLuminance(qmMakeColor(0, 0, 255), qmMakeColor(0, 0, 255)), 0);
  EXPECT_EQ(qmImageUtils::compareLuminance(qmMakeColor(0, 0, 255), qmMakeColor(10, 0, 0)), 1);
  EXPECT_EQ(qmImageUtils::compareLuminance(qmMakeColor(3, 0, 0), qmMakeColor(0, 0, 9)), -1);  // 0 vs 1
}

TEST(ImageStreams, BufferedStreamFollowsTheStreamContract) {
  const std::uint8_t block[] = {1, 2, 3, 4, 5};
  qmBufferedStream in(block, sizeof block);
  std::uint8_t two[4];
  EXPECT_EQ(in.read(two, 2, 2), 2u);
  EXPECT_EQ(in.read(two, 2, 2), 0u);  // one byte left: no whole item
  EXPECT_EQ(in.read(nullptr, 1, 1), 0u);
  EXPECT_EQ(in.getC(), 5);
  EXPECT_EQ(in.getC(), -1);
  EXPECT_TRUE(in.isEOF());
  EXPECT_FALSE(in.seek(-6, 2));
  EXPECT_TRUE(in.seek(2, 2));
  EXPECT_EQ(in.tell(), 7);
  EXPECT_EQ(in.error(), 1);
  ASSERT_TRUE(in.seek(1, 0));
  EXPECT_TRUE(in.putC(9));  // copies, the caller's block stays untouched
  EXPECT_EQ(block[1], 2);
  EXPECT_EQ(in.data()[1], 9);
  EXPECT_TRUE(in.seek(0, 2));
  const std::uint8_t more[] = {6, 7};
  EXPECT_EQ(in.write(more, 1, 2), 2u);
  EXPECT_EQ(in.size(), 7);
  EXPECT_TRUE(in.close());
  EXPECT_EQ(in.tell(), -1);
  EXPECT_EQ(in.size(), -1);
  EXPECT_EQ(in.error(), -1);
  EXPECT_TRUE(in.isEOF());

  qmBufferedStream grown(3);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(grown.putC(static_cast<std::uint8_t>(i)));
  EXPECT_EQ(grown.size(), 100);
  grown.seek(50, 0);
  EXPECT_EQ(grown.getC(), 50);
}

TEST(ImageStreams, FileStreamReadsWhatItWrote) {
  TempDir dir;
  qmFileStream out(dir.File("a.bin"), "w+b");
  ASSERT_TRUE(out.isOpen());
  EXPECT_EQ(out.write("abcdef", 2, 3), 3u);
  EXPECT_EQ(out.size(), 6);
  ASSERT_TRUE(out.seek(-2, 2));
  EXPECT_EQ(out.getC(), 'e');
  EXPECT_TRUE(out.close());
  qmFileStream in(dir.File("a.bin"), "rb");
  char buffer[8] = {};
  EXPECT_EQ(in.read(buffer, 4, 2), 1u);
  EXPECT_STREQ(buffer, "abcdef");
  qmFileStream missing(dir.File("none"), "rb");
  EXPECT_FALSE(missing.isOpen());
  EXPECT_EQ(missing.tell(), -1);
}

TEST(ImageStreams, DecodeParamKeepsItsFields) {
  qmImageDecodeParam param(0, 3, 640, 480, 99);
  param.setSubImageRect(1, 2, 3, 4);
  const qmImageDecodeParam copy = param;
  EXPECT_EQ(copy.getDecodeType(), 0);
  EXPECT_EQ(copy.getPage(), 3);
  EXPECT_EQ(copy.getWidth(), 640);
  EXPECT_EQ(copy.getHeight(), 480);
  EXPECT_EQ(copy.getScaleType(), 1);
  int l, t, w, h;
  copy.getSubImageRect(l, t, w, h);
  EXPECT_EQ(l + t * 10 + w * 100 + h * 1000, 4321);
}

TEST(ViewImageSurface, IsMadeOnceFromThePicture) {
  ViewImage image(3, 2, 8);
  image.setPaletteColor(5, qmMakeColor(10, 20, 30));
  image.setPixelIndex(2, 1, 5);
  platform::Surface* surface = image.GetSurface();
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->Width(), 3);
  EXPECT_EQ(surface->PixelAt(2, 1) & 0xFFFFFFu, 0x0A141Eu);
  EXPECT_EQ(image.GetSurface(), surface);
  auto back = ViewImage::FromSurface(*surface);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->getPixelColor(2, 1), qmMakeColor(10, 20, 30));
  image.ReleaseSurface();
  EXPECT_FALSE(image.HasSurface());
  EXPECT_EQ(ViewImage().GetSurface(), nullptr);
}

// Rows are converted four pixels at a time: every width around that grouping keeps each
// pixel's own colour, the last ones included.
TEST(ViewImageSurface, TrueColourRowsKeepEveryPixel) {
  for (int width : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 257}) {
    ViewImage image(width, 2, 24);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < width; ++x) image.setPixelColor(x, y, qmMakeColor(x * 7 % 256, (x + 40 * y) % 256, 255 - x % 256));
    }
    platform::Surface* surface = image.GetSurface();
    ASSERT_NE(surface, nullptr);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < width; ++x) {
        const platform::Pixel expected = 0xFF000000u | (static_cast<platform::Pixel>(x * 7 % 256) << 16) |
                                         (static_cast<platform::Pixel>((x + 40 * y) % 256) << 8) | (255 - x % 256);
        ASSERT_EQ(surface->PixelAt(x, y), expected) << "width " << width << " at " << x << "," << y;
      }
    }
  }
}

// Pixels decoded straight into a surface (with whatever the fourth byte holds) become the
// picture's display copy as they are, made opaque, beside 24-bit pixels of the same colours.
TEST(ViewImageSurface, DecodedSurfaceBecomesTheDisplayCopy) {
  auto surface = std::make_unique<platform::Surface>(3, 2, platform::Surface::Uncleared{});
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) surface->SetPixel(x, y, 0x00010203u * static_cast<platform::Pixel>(x + 3 * y + 1));
  }
  const platform::Surface* kept = surface.get();
  auto image = ViewImage::FromSurface(std::move(surface));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->getBitsPerPixel(), 24);
  EXPECT_EQ(image->GetSurface(), kept);
  EXPECT_EQ(image->getPixelColor(2, 1), qmMakeColor(6, 12, 18));
  EXPECT_EQ(kept->PixelAt(2, 1), 0xFF060C12u);
  EXPECT_EQ(kept->PixelAt(0, 0), 0xFF010203u);

  EXPECT_EQ(ViewImage::FromSurface(std::unique_ptr<platform::Surface>()), nullptr);
  qmImage::SizeLimit limit(2, 2);
  EXPECT_EQ(ViewImage::FromSurface(std::make_unique<platform::Surface>(3, 2)), nullptr);
}

TEST(ViewImageSurface, DrawBlendsByAlphaPlane) {
  ViewImage image(2, 1, 24);
  image.setPixelColor(0, 0, qmMakeColor(255, 255, 255));
  image.setPixelColor(1, 0, qmMakeColor(255, 255, 255));
  image.createAlpha();
  image.setAlpha(1, 0, 0);
  platform::Surface surface(3, 1);
  image.DrawToSurface(surface, 1, 0);
  EXPECT_EQ(surface.PixelAt(0, 0) & 0xFFFFFFu, 0u);
  EXPECT_EQ(surface.PixelAt(1, 0) & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(surface.PixelAt(2, 0) & 0xFFFFFFu, 0u);
}

}  // namespace
}  // namespace zolvex::test
