#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "image/qmFormatId.h"

namespace zolvex {

// A colour as stored in palettes: blue, green, red, alpha.
struct qmRGBQuad {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t alpha = 0;
  friend bool operator==(const qmRGBQuad&, const qmRGBQuad&) = default;
};

constexpr qmRGBQuad qmMakeColor(int red, int green, int blue, int alpha = 0) {
  return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green), static_cast<std::uint8_t>(red),
          static_cast<std::uint8_t>(alpha)};
}

// Descriptive information kept beside the pixel block.
struct qmImageInfo {
  int width = 0;
  int height = 0;
  int stride = 0;            // bytes per row, a multiple of 4
  int jpegQuality = 75;
  int colorType = 0;         // 1 palette, 2 true colour
  int formatId = qmFormatUnknown;
  int transparentIndex = -1;  // -1: none
  qmRGBQuad transparentColor;
  int opacity = 255;          // global opacity 0..255
  bool paletteAlpha = false;  // honour the alpha bytes of the palette
  bool enabled = true;
  int dpiX = 72;
  int dpiY = 72;
  int page = 0;       // frame or directory this image was decoded from
  int pageCount = 1;  // frames or directories in its file
};

// A device-independent bitmap in one block: a 40-byte header, the palette (2, 16 or 256
// entries for 1, 4 and 8 bits per pixel), then the pixel rows bottom row first, each row
// padded to a multiple of 4 bytes. 24-bit pixels are blue, green, red. An optional alpha
// plane (one byte per pixel, same bottom-up order) lives beside the block.
class qmImage {
 public:
  static constexpr int kHeaderSize = 40;

  qmImage() = default;
  qmImage(int width, int height, int bitsPerPixel) { create(width, height, bitsPerPixel); }
  virtual ~qmImage() = default;
  qmImage(const qmImage& other) = default;
  qmImage& operator=(const qmImage& other) = default;
  qmImage(qmImage&& other) noexcept;
  qmImage& operator=(qmImage&& other) noexcept;

  // The largest pixel count an image may have; creation beyond it fails before any
  // allocation. Process-wide, 2^28 by default.
  static std::uint64_t maxPixels();
  static void setMaxPixels(std::uint64_t pixels);
  // Narrows, for the calling thread and for the scope's lifetime, what may be created to
  // width x height: a decoder told a small picture (a tile) then refuses a header that
  // declares a large one before it allocates anything. Scopes nest; the inner one holds.
  class SizeLimit {
   public:
    SizeLimit(int maxWidth, int maxHeight);
    ~SizeLimit();
    SizeLimit(const SizeLimit&) = delete;
    SizeLimit& operator=(const SizeLimit&) = delete;

   private:
    int savedWidth_, savedHeight_;
  };
  // Whether a picture of this size may be created on the calling thread (the pixel cap and
  // any SizeLimit in force); decoders ask before they allocate working memory.
  static bool sizeAllowed(std::int64_t width, std::int64_t height);
  // Bits per pixel after normalisation: <=1 -> 1, 2-4 -> 4, 5-8 -> 8, above -> 24.
  static int normaliseBitsPerPixel(int bitsPerPixel);
  // Bytes per row for a width and depth, or 0 when it would not fit in 31 bits.
  static std::int64_t strideFor(std::int64_t width, int bitsPerPixel);

  // (Re)creates the block; frees the old block and alpha plane. The information keeps
  // its descriptive fields (quality, format, transparency, resolution) but takes the new
  // size. Pixels start at 0; palette images get a grey palette. False (and an empty
  // image) for a size of 0, a negative size, more pixels than maxPixels() or a size beyond
  // the SizeLimit in force.
  bool create(int width, int height, int bitsPerPixel);
  // The same, but the pixels are left for the caller to write, every row of them (a
  // decoder that fills the whole picture or fails and drops it): the pixel block is not
  // cleared first. Only the bytes that pad each row are zeroed.
  bool createUncleared(int width, int height, int bitsPerPixel);
  void clear();  // back to an empty image
  // Takes over the other image's block, alpha plane and information.
  void assign(qmImage&& other);

  bool isValid() const { return !dib_.empty(); }
  int getWidth() const { return info_.width; }
  int getHeight() const { return info_.height; }
  int getBitsPerPixel() const { return bitsPerPixel_; }
  int getStride() const { return info_.stride; }
  qmImageInfo& info() { return info_; }
  const qmImageInfo& info() const { return info_; }

  // The whole block (header, palette, rows) as the display routines take it.
  const std::uint8_t* getDib() const { return dib_.data(); }
  size_t getDibSize() const { return dib_.size(); }
  // The pixel rows, bottom row first.
  std::uint8_t* getBits() { return dib_.empty() ? nullptr : dib_.data() + pixelOffset(); }
  const std::uint8_t* getBits() const { return dib_.empty() ? nullptr : dib_.data() + pixelOffset(); }
  // Row y of the picture counted from the top (y = 0 is the top row).
  std::uint8_t* getRow(int y) { return getBits() + rowOffset(y); }
  const std::uint8_t* getRow(int y) const { return getBits() + rowOffset(y); }

  // Resolution in dots per inch; the header holds pixels per metre.
  void setResolution(int dpiX, int dpiY);

  // Palette.
  int getPaletteSize() const { return paletteEntries_; }  // entries
  qmRGBQuad* getPalette();
  const qmRGBQuad* getPalette() const;
  qmRGBQuad getPaletteColor(int index) const;
  void setPaletteColor(int index, qmRGBQuad color);
  void setPalette(const qmRGBQuad* colors, int count);
  void setGreyPalette();  // entry i = (i, i, i) scaled over the palette's size
  bool isGreyScale() const;
  int getNearestIndex(qmRGBQuad color) const;

  // Pixels. Reads outside the image answer the transparent colour when a transparent
  // index is set, else pixel (0, 0); writes outside are ignored. On palette images
  // setPixelColor stores the nearest palette entry.
  qmRGBQuad getPixelColor(int x, int y) const;
  void setPixelColor(int x, int y, qmRGBQuad color);
  int getPixelIndex(int x, int y) const;  // palette images; 0 outside
  void setPixelIndex(int x, int y, int index);

  // Alpha plane.
  bool createAlpha();  // every pixel opaque
  void deleteAlpha() { alpha_.clear(); }
  bool hasAlpha() const { return !alpha_.empty(); }
  std::uint8_t getAlpha(int x, int y) const;  // 255 without a plane or outside
  void setAlpha(int x, int y, std::uint8_t value);
  std::uint8_t* getAlphaRow(int y);  // top-down row y; null without a plane
  const std::uint8_t* getAlphaRow(int y) const;

  // Operations.
  std::unique_ptr<qmImage> subImage(int left, int top, int width, int height) const;
  bool flipVertical();
  // Turns the picture by quarter turns: 1 = 90 degrees clockwise, -1 counter-clockwise,
  // 2 = half a turn (any count is taken modulo 4). Width and height swap for odd counts.
  bool rotateQuarter(int turns);
  // Raises the depth to 4, 8 or 24 bits; the same depth succeeds unchanged, a lower one
  // fails.
  bool increaseBpp(int bitsPerPixel);
  // Resize to newWidth x newHeight. mode 0: nearest neighbour; otherwise for 24-bit
  // images area averaging when shrinking and area-weighted 2 x 2 mixing when growing, for
  // palette images 1: nearest, 2: bicubic, other: bilinear. With a destination the
  // result goes there and this image stays as it is.
  bool resize(int newWidth, int newHeight, int mode, qmImage* destination = nullptr);
  // Composites a rectangle of this image onto a 24-bit destination (see the .cpp).
  bool drawToImage(int srcLeft, int srcTop, int width, int height, qmImage& destination, int dstLeft,
                   int dstTop, int mode) const;
  // Copies a rectangle; with skipTransparent the pixels within 2 of the transparent
  // colour are left out, otherwise everything is copied and a destination below 24 bits
  // is first raised to 24 bits.
  bool copyTransparent(int srcLeft, int srcTop, int width, int height, qmImage& destination, int dstLeft,
                       int dstTop, bool skipTransparent) const;

 private:
  size_t pixelOffset() const { return kHeaderSize + static_cast<size_t>(paletteEntries_) * 4; }
  size_t rowOffset(int y) const {
    return static_cast<size_t>(info_.height - 1 - y) * static_cast<size_t>(info_.stride);
  }
  void writeHeader();
  bool resizeNearest(int newWidth, int newHeight, qmImage& out) const;
  bool resizeInterpolated(int newWidth, int newHeight, int mode, qmImage& out) const;
  bool resizeArea(int newWidth, int newHeight, qmImage& out) const;
  void resizeAlphaNearest(qmImage& out) const;

  // Grows without clearing the new bytes: create clears them itself, createUncleared
  // leaves them to the decoder that writes them.
  template <typename T>
  struct UnclearedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = UnclearedAllocator<U>;
    };
    UnclearedAllocator() = default;
    template <typename U>
    UnclearedAllocator(const UnclearedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* at) noexcept {
      ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
      ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
  };
  bool allocate(int width, int height, int bitsPerPixel, bool cleared);

  std::vector<std::uint8_t, UnclearedAllocator<std::uint8_t>> dib_;
  std::vector<std::uint8_t> alpha_;
  qmImageInfo info_;
  int bitsPerPixel_ = 0;
  int paletteEntries_ = 0;
};

}  // namespace zolvex
