#pragma once
#include <memory>

#include "image/qmImage.h"
#include "platform/Surface.h"

namespace zolvex {

// The viewer's picture: a qmImage that also keeps the display surface its renderer blits
// from. The surface is made on first use and dropped whenever the pixels may change
// through this class.
class ViewImage : public qmImage {
 public:
  ViewImage() = default;
  explicit ViewImage(qmImage&& image) : qmImage(std::move(image)) {}
  ViewImage(int width, int height, int bitsPerPixel) : qmImage(width, height, bitsPerPixel) {}
  ViewImage(const ViewImage& other) : qmImage(other) {}
  ViewImage& operator=(const ViewImage& other);
  ViewImage(ViewImage&&) noexcept = default;
  ViewImage& operator=(ViewImage&&) noexcept = default;

  // The display surface: the picture's colours as opaque pixels (transparency is drawn
  // through the colour key or DrawToSurface). Null for an empty image. Made once and kept
  // until ReleaseSurface.
  platform::Surface* GetSurface();
  bool HasSurface() const { return surface_ != nullptr; }
  // Drops the surface (after pixel changes, or when the display's surfaces are rebuilt).
  void ReleaseSurface() { surface_.reset(); }

  // A 24-bit image of a surface's pixels (alpha dropped).
  static std::unique_ptr<ViewImage> FromSurface(const platform::Surface& surface);
  // A picture decoded straight into display pixels: the image keeps the surface as its
  // display copy (made opaque) and makes from it the 24-bit pixels every other reader
  // uses, so that GetSurface has nothing left to expand. None for a null or oversized one.
  static std::unique_ptr<ViewImage> FromSurface(std::unique_ptr<platform::Surface> surface);
  // Writes the image into a surface at (x, y), blending by the alpha plane when present.
  void DrawToSurface(platform::Surface& surface, int x, int y) const;

 private:
  static void StoreRow(const platform::Pixel* in, std::uint8_t* out, int width);

  std::unique_ptr<platform::Surface> surface_;
};

}  // namespace zolvex
