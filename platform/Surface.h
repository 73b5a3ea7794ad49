#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace zolvex::platform {

class NativeSurface;

// A 32-bit software drawing surface. Pixels are reachable directly (Lock/Unlock around
// direct writes so that the canvas sees them); blits stretch, honour a colour key and
// clip to both surfaces. Surfaces are never lost.
class Surface {
 public:
  Surface(int width, int height);  // at least 1 x 1; cleared to opaque black
  // For callers that write every pixel straight away: the pixels start undefined.
  struct Uncleared {};
  Surface(int width, int height, Uncleared);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const;
  int Height() const;
  Rect Bounds() const { return Rect::FromSize(0, 0, Width(), Height()); }
  int StridePixels() const;  // pixels per row, row padding included

  // Direct pixel access. Lock flushes pending canvas drawing; Unlock tells the canvas
  // that the pixels changed.
  Pixel* Lock();
  void Unlock();
  const Pixel* Pixels() const;
  Pixel PixelAt(int x, int y) const;
  void SetPixel(int x, int y, Pixel p);

  void Fill(const Rect& area, Color color);
  // Per-pixel blend of a colour: d + (c - d) * alpha / 256 with alpha clamped to 0..256.
  void BlendFill(const Rect& area, Color color, int alpha);
  // Copies src's srcArea into dstArea, stretching (nearest pixel) when the sizes differ.
  // Pixels equal to colorKey (compared without alpha) are not drawn.
  void Blit(const Surface& src, const Rect& srcArea, const Rect& dstArea,
            std::optional<Color> colorKey = std::nullopt);
  // Copies srcArea of a picture held as rows of blue, green, red bytes, unscaled, with its
  // top left at dst, as opaque pixels. Rows lie rowStride bytes apart, a negative stride
  // for pictures stored bottom row first; topRow is the picture's top row and
  // pictureBounds its size, which srcArea is clipped to.
  void CopyBgrRows(const std::uint8_t* topRow, std::ptrdiff_t rowStride, const Rect& pictureBounds,
                   const Rect& srcArea, Point dst);
  // One row of blue, green, red bytes as opaque pixels.
  static void ExpandBgrRow(const std::uint8_t* in, Pixel* out, int width);
  // Blends src's srcArea at dst with d + (s - d) * alpha / 256 per channel.
  void Blend(const Surface& src, const Rect& srcArea, Point dst, int alpha);

  NativeSurface& Native() const { return *native_; }

 private:
  void CopyRows(const Pixel* from, int fromStride, const Rect& fromBounds, const Rect& srcArea, const Rect& dstArea,
                const Rect& visible);

  std::unique_ptr<NativeSurface> native_;
};

}  // namespace zolvex::platform
