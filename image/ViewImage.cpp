#include "image/ViewImage.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#elif defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

namespace zolvex {

using platform::Pixel;

ViewImage& ViewImage::operator=(const ViewImage& other) {
  if (this != &other) {
    qmImage::operator=(other);
    surface_.reset();
  }
  return *this;
}

namespace {

// One row of blue, green, red bytes as opaque pixels; this runs for every pixel of every
// tile shown. Each pixel is read as one four-byte word whose top byte, the next pixel's
// blue, the opaque alpha then covers; the last pixel is read byte by byte, so as not to
// read past the row.
void ExpandRowScalar(const std::uint8_t* __restrict in, Pixel* __restrict out, int width) {
  static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");
  if (width <= 0) return;
  for (int x = 0; x + 1 < width; ++x) {
    Pixel word;
    std::memcpy(&word, in + 3 * x, sizeof word);
    out[x] = word | 0xFF000000u;
  }
  const std::uint8_t* last = in + 3 * (width - 1);
  out[width - 1] = 0xFF000000u | static_cast<Pixel>(last[2]) << 16 | static_cast<Pixel>(last[1]) << 8 | last[0];
}

// Four pixels at a time with a byte shuffle, which x86 has from SSSE3 on and WebAssembly
// with its 128-bit vectors: 12 bytes spread into 16, the gaps then filled with the alpha.
// Each step loads 16 bytes, so the vector loop stops where that would pass the row's end
// and the scalar loop does the rest.
#if defined(__x86_64__) || defined(__i386__)
#define ZOLVEX_SHUFFLE_TARGET __attribute__((target("ssse3")))
#else
#define ZOLVEX_SHUFFLE_TARGET
#endif

#if defined(__x86_64__) || defined(__i386__) || defined(__wasm_simd128__)
ZOLVEX_SHUFFLE_TARGET void ExpandRowShuffled(const std::uint8_t* __restrict in, Pixel* __restrict out, int width) {
  const int vectorPixels = width >= 6 ? ((width - 6) / 4 + 1) * 4 : 0;  // last load ends within the row
#if defined(__wasm_simd128__)
  const v128_t spread = wasm_i8x16_make(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const v128_t alpha = wasm_i32x4_splat(static_cast<int>(0xFF000000u));
  for (int x = 0; x < vectorPixels; x += 4) {
    const v128_t bytes = wasm_v128_load(in + 3 * x);
    wasm_v128_store(out + x, wasm_v128_or(wasm_i8x16_swizzle(bytes, spread), alpha));
  }
#else
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (int x = 0; x < vectorPixels; x += 4) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_shuffle_epi8(bytes, spread), alpha));
  }
#endif
  ExpandRowScalar(in + 3 * vectorPixels, out + vectorPixels, width - vectorPixels);
}
#endif

void ExpandRow(const std::uint8_t* in, Pixel* out, int width) {
#if defined(__wasm_simd128__)
  ExpandRowShuffled(in, out, width);
#elif defined(__x86_64__) || defined(__i386__)
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  shuffles ? ExpandRowShuffled(in, out, width) : ExpandRowScalar(in, out, width);
#else
  ExpandRowScalar(in, out, width);
#endif
}

}  // namespace

platform::Surface* ViewImage::GetSurface() {
  if (surface_ || !isValid()) return surface_.get();
  auto surface = std::make_unique<platform::Surface>(getWidth(), getHeight(), platform::Surface::Uncleared{});
  Pixel* pixels = surface->Lock();
  const int stride = surface->StridePixels();
  for (int y = 0; y < getHeight(); ++y) {
    Pixel* out = pixels + static_cast<size_t>(y) * stride;
    if (getBitsPerPixel() == 24) {
      ExpandRow(getRow(y), out, getWidth());
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
  if (!image->create(surface.Width(), surface.Height(), 24)) return nullptr;
  const Pixel* pixels = surface.Pixels();
  for (int y = 0; y < surface.Height(); ++y) {
    const Pixel* in = pixels + static_cast<size_t>(y) * surface.StridePixels();
    std::uint8_t* out = image->getRow(y);
    for (int x = 0; x < surface.Width(); ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(in[x]);
      out[1] = static_cast<std::uint8_t>(in[x] >> 8);
      out[2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
  }
  return image;
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

}  // namespace zolvex
