#include "view/SurfaceBlend.h"

#include <algorithm>
#include <array>

namespace zolvex {

namespace {

using platform::Pixel;

// Bits kept of red, green and blue in each format.
std::array<int, 3> ChannelBits(int format) {
  if (format == kPixelFormat555) return {5, 5, 5};
  if (format == kPixelFormat565) return {5, 6, 5};
  return {8, 8, 8};
}

int Mix(int d, int s, int alpha) { return d + (s - d) * alpha / 256; }

// One pixel at reduced precision: each channel is cut to its bits, mixed there, and
// widened again the way the display widens it (the top bits repeated below).
Pixel MixReduced(Pixel d, Pixel s, int alpha, const std::array<int, 3>& bits) {
  Pixel out = 0xFF000000u;
  const int shifts[3] = {16, 8, 0};
  for (int i = 0; i < 3; ++i) {
    const int drop = 8 - bits[i];
    const int dc = static_cast<int>((d >> shifts[i]) & 0xFF) >> drop;
    const int sc = static_cast<int>((s >> shifts[i]) & 0xFF) >> drop;
    const int mixed = Mix(dc, sc, alpha) << drop;
    out |= static_cast<Pixel>((mixed | (mixed >> bits[i])) & 0xFF) << shifts[i];
  }
  return out;
}

// The 16-bit value of a pixel, or of a colour value converted to the format.
std::uint32_t Packed16(Pixel p, const std::array<int, 3>& bits) {
  const std::uint32_t r = ((p >> 16) & 0xFF) >> (8 - bits[0]);
  const std::uint32_t g = ((p >> 8) & 0xFF) >> (8 - bits[1]);
  const std::uint32_t b = (p & 0xFF) >> (8 - bits[2]);
  return (r << (bits[1] + bits[2])) | (g << bits[2]) | b;
}

// Full-precision rows without a key: byte by byte, which the compiler vectorises. The
// opaque alpha bytes of both rows mix to an opaque byte.
void MixRow(Pixel* to, const Pixel* from, int count, int alpha) {
  auto* d = reinterpret_cast<std::uint8_t*>(to);
  const auto* s = reinterpret_cast<const std::uint8_t*>(from);
  for (int i = 0; i < count * 4; ++i) d[i] = static_cast<std::uint8_t>(Mix(d[i], s[i], alpha));
}

}  // namespace

bool SurfaceBlend(platform::Surface& destination, const platform::Surface& source, int x, int y,
                  const platform::Rect& srcArea, int alpha, int format, std::uint32_t key) {
  if (format < kPixelFormat555 || format > kPixelFormat32) return false;
  alpha = std::clamp(alpha, 0, 256);
  // The part of the source rectangle that lies on both surfaces.
  platform::Rect area = srcArea.Intersect(source.Bounds());
  area = area.Intersect(destination.Bounds().Offset(srcArea.left - x, srcArea.top - y));
  if (area.IsEmpty()) return true;
  const int toX = x + (area.left - srcArea.left), toY = y + (area.top - srcArea.top);

  const bool reduced = format == kPixelFormat555 || format == kPixelFormat565;
  const auto bits = ChannelBits(format);
  const std::uint32_t key16 = reduced ? Packed16(platform::PixelFromColor(static_cast<platform::Color>(key)), bits) : 0;
  const bool keyMatchesNothing = format == kPixelFormatOther16 || (!reduced && key > 0x00FFFFFFu);
  auto isKey = [&](Pixel p) { return reduced ? Packed16(p, bits) == key16 : (p & 0x00FFFFFFu) == key; };

  const Pixel* from = source.Pixels();
  Pixel* to = destination.Lock();
  for (int row = 0; row < area.Height(); ++row) {
    const Pixel* fromRow = from + static_cast<size_t>(area.top + row) * source.StridePixels() + area.left;
    Pixel* toRow = to + static_cast<size_t>(toY + row) * destination.StridePixels() + toX;
    if (keyMatchesNothing && !reduced) {
      MixRow(toRow, fromRow, area.Width(), alpha);
      continue;
    }
    for (int column = 0; column < area.Width(); ++column) {
      const Pixel s = fromRow[column];
      if (!keyMatchesNothing && isKey(s)) continue;
      toRow[column] = MixReduced(toRow[column], s, alpha, bits);
    }
  }
  destination.Unlock();
  return true;
}

}  // namespace zolvex
