#include "platform/Surface.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#elif defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

#include "platform/NativeSurface.h"

namespace zolvex::platform {

namespace {

int Channel(Pixel p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// d + (s - d) * alpha / 256 on each of the three colour channels; the result is opaque.
Pixel MixPixel(Pixel d, Pixel s, int alpha) {
  Pixel out = 0xFF000000u;
  for (int shift : {16, 8, 0}) {
    int dc = Channel(d, shift);
    int sc = Channel(s, shift);
    out |= static_cast<Pixel>((dc + (sc - dc) * alpha / 256) & 0xFF) << shift;
  }
  return out;
}

bool SameColour(Pixel a, Pixel b) { return (a & 0x00FFFFFFu) == (b & 0x00FFFFFFu); }

}  // namespace

Surface::Surface(int width, int height) : Surface(width, height, Uncleared{}) { Fill(Bounds(), MakeColor(0, 0, 0)); }

Surface::Surface(int width, int height, Uncleared)
    : native_(std::make_unique<NativeSurface>(std::max(width, 1), std::max(height, 1))) {}

Surface::~Surface() = default;

int Surface::Width() const { return cairo_image_surface_get_width(native_->surface); }
int Surface::Height() const { return cairo_image_surface_get_height(native_->surface); }
int Surface::StridePixels() const { return cairo_image_surface_get_stride(native_->surface) / 4; }

Pixel* Surface::Lock() {
  cairo_surface_flush(native_->surface);
  return reinterpret_cast<Pixel*>(cairo_image_surface_get_data(native_->surface));
}

void Surface::Unlock() { cairo_surface_mark_dirty(native_->surface); }

const Pixel* Surface::Pixels() const {
  cairo_surface_flush(native_->surface);
  return reinterpret_cast<const Pixel*>(cairo_image_surface_get_data(native_->surface));
}

Pixel Surface::PixelAt(int x, int y) const {
  if (!Bounds().Contains({x, y})) return 0;
  return Pixels()[static_cast<size_t>(y) * StridePixels() + x];
}

void Surface::SetPixel(int x, int y, Pixel p) {
  if (!Bounds().Contains({x, y})) return;
  Lock()[static_cast<size_t>(y) * StridePixels() + x] = p;
  Unlock();
}

void Surface::Fill(const Rect& area, Color color) {
  Rect r = area.Intersect(Bounds());
  if (r.IsEmpty()) return;
  const Pixel value = PixelFromColor(color);
  Pixel* pixels = Lock();
  const int stride = StridePixels();
  const int width = r.Width();
  for (int y = r.top; y < r.bottom; ++y) {
    Pixel* row = pixels + static_cast<size_t>(y) * stride + r.left;
    for (int x = 0; x < width; ++x) row[x] = value;
  }
  Unlock();
}

void Surface::BlendFill(const Rect& area, Color color, int alpha) {
  Rect r = area.Intersect(Bounds());
  if (r.IsEmpty()) return;
  alpha = std::clamp(alpha, 0, 256);
  Pixel source = PixelFromColor(color);
  Pixel* pixels = Lock();
  for (int y = r.top; y < r.bottom; ++y) {
    Pixel* row = pixels + static_cast<size_t>(y) * StridePixels();
    for (int x = r.left; x < r.right; ++x) row[x] = MixPixel(row[x], source, alpha);
  }
  Unlock();
}

void Surface::Blit(const Surface& src, const Rect& srcArea, const Rect& dstArea, std::optional<Color> colorKey) {
  if (srcArea.IsEmpty() || dstArea.IsEmpty()) return;
  Rect visible = dstArea.Intersect(Bounds());
  if (visible.IsEmpty()) return;
  const Pixel* from = src.Pixels();
  const int fromStride = src.StridePixels();
  if (!colorKey && srcArea.Width() == dstArea.Width() && srcArea.Height() == dstArea.Height()) {
    CopyRows(from, fromStride, src.Bounds(), srcArea, dstArea, visible);
    return;
  }
  const Pixel key = colorKey ? PixelFromColor(*colorKey) : 0;
  const int64_t sw = srcArea.Width(), sh = srcArea.Height();
  const int64_t dw = dstArea.Width(), dh = dstArea.Height();
  const int srcWidth = src.Width(), srcHeight = src.Height();
  // Column lookup computed once per blit: each destination column maps to the source
  // column whose span covers its centre. The lookup rises with x, so the columns that
  // land inside the source are one run, and the rows need no test per pixel.
  std::vector<int> columns(static_cast<size_t>(visible.Width()));
  for (int x = visible.left; x < visible.right; ++x) {
    columns[static_cast<size_t>(x - visible.left)] =
        srcArea.left + static_cast<int>(((x - dstArea.left) * 2 + 1) * sw / (dw * 2));
  }
  const auto first = std::partition_point(columns.begin(), columns.end(), [](int sx) { return sx < 0; });
  const auto last = std::partition_point(first, columns.end(), [srcWidth](int sx) { return sx < srcWidth; });
  const int left = visible.left + static_cast<int>(first - columns.begin());
  const int* lookup = columns.data() + (first - columns.begin());
  const size_t count = static_cast<size_t>(last - first);
  const int toStride = StridePixels();
  Pixel* to = Lock();
  const Pixel* previousRow = nullptr;  // the last row written, and the source row it shows
  int previousSy = -1;
  for (int y = visible.top; y < visible.bottom; ++y) {
    int sy = srcArea.top + static_cast<int>(((y - dstArea.top) * 2 + 1) * sh / (dh * 2));
    if (sy < 0 || sy >= srcHeight) continue;
    const Pixel* fromRow = from + static_cast<size_t>(sy) * fromStride;
    Pixel* toRow = to + static_cast<size_t>(y) * toStride + left;
    if (!colorKey) {
      // Enlarged, rows repeat: a repeat is a copy of the row above.
      if (sy == previousSy) std::memcpy(toRow, previousRow, count * sizeof(Pixel));
      else for (size_t i = 0; i < count; ++i) toRow[i] = fromRow[lookup[i]] | 0xFF000000u;
      previousRow = toRow;
      previousSy = sy;
      continue;
    }
    for (size_t i = 0; i < count; ++i) {
      const Pixel p = fromRow[lookup[i]];
      if (!SameColour(p, key)) toRow[i] = p | 0xFF000000u;
    }
  }
  Unlock();
}

// An unscaled copy: whole rows at a time, which the compiler turns into vector moves.
void Surface::CopyRows(const Pixel* from, int fromStride, const Rect& fromBounds, const Rect& srcArea,
                       const Rect& dstArea, const Rect& visible) {
  const int dx = srcArea.left - dstArea.left, dy = srcArea.top - dstArea.top;
  const Rect target = visible.Intersect(fromBounds.Offset(-dx, -dy));
  if (target.IsEmpty()) return;
  Pixel* to = Lock();
  const int toStride = StridePixels();
  const int width = target.Width();
  for (int y = target.top; y < target.bottom; ++y) {
    const Pixel* __restrict fromRow = from + static_cast<size_t>(y + dy) * fromStride + dx + target.left;
    Pixel* __restrict toRow = to + static_cast<size_t>(y) * toStride + target.left;
    for (int x = 0; x < width; ++x) toRow[x] = fromRow[x] | 0xFF000000u;
  }
  Unlock();
}

namespace {

// A row of blue, green, red bytes as opaque pixels, one at a time: each pixel is read as
// one four-byte word whose top byte, the next pixel's blue, the opaque alpha then covers;
// the last pixel is read byte by byte, so as not to read past the row.
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

// How far ahead of the row being copied its source rows are fetched into the cache.
constexpr int kRowsAhead = 4;

void PrefetchBytes(const std::uint8_t* from, std::ptrdiff_t bytes) {
  for (std::ptrdiff_t at = 0; at < bytes; at += 64) __builtin_prefetch(from + at);
  __builtin_prefetch(from + bytes - 1);
}

}  // namespace

void Surface::ExpandBgrRow(const std::uint8_t* in, Pixel* out, int width) {
#if defined(__wasm_simd128__)
  ExpandRowShuffled(in, out, width);
#elif defined(__x86_64__) || defined(__i386__)
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  shuffles ? ExpandRowShuffled(in, out, width) : ExpandRowScalar(in, out, width);
#else
  ExpandRowScalar(in, out, width);
#endif
}

// Pictures drawn at their own size are copied from their rows as they are, so that they
// need no 32-bit copy of their own.
void Surface::CopyBgrRows(const std::uint8_t* topRow, std::ptrdiff_t rowStride, const Rect& pictureBounds,
                          const Rect& srcArea, Point dst) {
  const Rect source = srcArea.Intersect(pictureBounds);
  const int dx = dst.x - srcArea.left, dy = dst.y - srcArea.top;
  const Rect target = source.Offset(dx, dy).Intersect(Bounds());
  if (target.IsEmpty()) return;
  Pixel* to = Lock();
  const int toStride = StridePixels();
  const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(target.Width());
  for (int y = target.top; y < target.bottom; ++y) {
    const std::uint8_t* fromRow = topRow + (y - dy) * rowStride + 3 * static_cast<std::ptrdiff_t>(target.left - dx);
    // The rows were mostly written by another thread a while ago and are no longer in this
    // core's cache; each is a short run that the hardware's prefetcher starts too late for,
    // so the rows a few ahead are asked for while this one is copied.
    Pixel* toRow = to + static_cast<size_t>(y) * toStride + target.left;
    if (y + kRowsAhead < target.bottom) {
      PrefetchBytes(fromRow + kRowsAhead * rowStride, rowBytes);
      PrefetchBytes(reinterpret_cast<const std::uint8_t*>(toRow + kRowsAhead * toStride), 4 * target.Width());
    }
    ExpandBgrRow(fromRow, toRow, target.Width());
  }
  Unlock();
}

void Surface::Blend(const Surface& src, const Rect& srcArea, Point dst, int alpha) {
  Rect target = Rect::FromSize(dst.x, dst.y, srcArea.Width(), srcArea.Height()).Intersect(Bounds());
  Rect source = srcArea.Intersect(src.Bounds());
  if (target.IsEmpty() || source.IsEmpty()) return;
  alpha = std::clamp(alpha, 0, 256);
  const Pixel* from = src.Pixels();
  Pixel* to = Lock();
  for (int y = target.top; y < target.bottom; ++y) {
    int sy = srcArea.top + (y - dst.y);
    if (sy < source.top || sy >= source.bottom) continue;
    const Pixel* fromRow = from + static_cast<size_t>(sy) * src.StridePixels();
    Pixel* toRow = to + static_cast<size_t>(y) * StridePixels();
    for (int x = target.left; x < target.right; ++x) {
      int sx = srcArea.left + (x - dst.x);
      if (sx < source.left || sx >= source.right) continue;
      toRow[x] = MixPixel(toRow[x], fromRow[sx], alpha);
    }
  }
  Unlock();
}

}  // namespace zolvex::platform
