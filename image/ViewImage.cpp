#include "image/ViewImage.h"

#include <algorithm>
#include <cstdint>

namespace zolvex {

using platform::Pixel;

ViewImage& ViewImage::operator=(const ViewImage& other) {
  if (this != &other) {
    qmImage::operator=(other);
    surface_.reset();
  }
  return *this;
}

platform::Surface* ViewImage::GetSurface() {
  if (surface_ || !isValid()) return surface_.get();
  auto surface = std::make_unique<platform::Surface>(getWidth(), getHeight(), platform::Surface::Uncleared{});
  Pixel* pixels = surface->Lock();
  const int stride = surface->StridePixels();
  for (int y = 0; y < getHeight(); ++y) {
    Pixel* out = pixels + static_cast<size_t>(y) * stride;
    if (getBitsPerPixel() == 24) {
      platform::Surface::ExpandBgrRow(getRow(y), out, getWidth());
    } else {
      for (int x = 0; x < getWidth(); ++x) {
        const qmRGBQuad c = getPaletteColor(getPixelIndex(x, y));
        out[x] = 0xFF000000u | (static_cast<Pixel>(c.red) << 16) |
                 (static_cast<Pixel>(c.green) << 8) | c.blue;
      }
    }
  }
  surface->Unlock();
  surface_ = std::move(surface);
  return surface_.get();
}

std::unique_ptr<ViewImage> ViewImage::FromSurface(const platform::Surface& surface) {
  auto image = std::make_unique<ViewImage>();
  if (!image->createUncleared(surface.Width(), surface.Height(), 24)) return nullptr;
  for (int y = 0; y < surface.Height(); ++y) {
    StoreRow(surface.Pixels() + static_cast<size_t>(y) * surface.StridePixels(), image->getRow(y), surface.Width());
  }
  return image;
}

// A row of pixels as blue, green, red bytes (alpha dropped).
void ViewImage::StoreRow(const Pixel* in, std::uint8_t* out, int width) {
  for (int x = 0; x < width; ++x, out += 3) {
    out[0] = static_cast<std::uint8_t>(in[x]);
    out[1] = static_cast<std::uint8_t>(in[x] >> 8);
    out[2] = static_cast<std::uint8_t>(in[x] >> 16);
  }
}

void ViewImage::DrawToSurface(platform::Surface& surface, int x, int y) const {
  if (!isValid()) return;
  Pixel* pixels = surface.Lock();
  const int stride = surface.StridePixels();
  for (int row = std::max(0, -y); row < getHeight() && y + row < surface.Height(); ++row) {
    Pixel* out = pixels + static_cast<size_t>(y + row) * stride;
    for (int col = std::max(0, -x); col < getWidth() && x + col < surface.Width(); ++col) {
      const qmRGBQuad c = getPixelColor(col, row);
      const int a = hasAlpha() ? getAlpha(col, row) : 255;
      if (a == 0) continue;
      Pixel& d = out[x + col];
      auto mix = [a](int dst, int src) { return dst + (src - dst) * a / 255; };
      const int r = mix(static_cast<int>((d >> 16) & 0xFF), c.red);
      const int g = mix(static_cast<int>((d >> 8) & 0xFF), c.green);
      const int b = mix(static_cast<int>(d & 0xFF), c.blue);
      d = 0xFF000000u | static_cast<Pixel>(r) << 16 | static_cast<Pixel>(g) << 8 | static_cast<Pixel>(b);
    }
  }
  surface.Unlock();
}

std::unique_ptr<ViewImage> ViewImage::FromSurface(std::unique_ptr<platform::Surface> surface) {
  if (!surface) return nullptr;
  auto image = std::make_unique<ViewImage>();
  if (!image->createUncleared(surface->Width(), surface->Height(), 24)) return nullptr;
  Pixel* pixels = surface->Lock();
  const int width = surface->Width();
  for (int y = 0; y < surface->Height(); ++y) {
    Pixel* in = pixels + static_cast<size_t>(y) * surface->StridePixels();
    for (int x = 0; x < width; ++x) in[x] |= 0xFF000000u;
    StoreRow(in, image->getRow(y), width);
  }
  surface->Unlock();
  image->surface_ = std::move(surface);
  return image;
}

}  // namespace zolvex
