#pragma once
#include <cstdint>

#include "platform/Geometry.h"
#include "platform/Surface.h"

namespace zolvex {

// Pixel formats of a back buffer, by the small code the view keeps for them.
enum PixelFormatCode : int {
  kPixelFormat555 = 0,     // 16-bit, 5 bits per channel
  kPixelFormat565 = 1,     // 16-bit, 6 bits of green
  kPixelFormatOther16 = 2, // another 16-bit layout
  kPixelFormat24 = 3,
  kPixelFormat32 = 4,
  kPixelFormatUnknown = 5,
};

// The key the transitions pass: white in the 16-bit formats, no pixel in the others.
constexpr std::uint32_t kNoBlendKey = 0xFFFFFFFFu;

// Blends srcArea of source onto destination with its top-left corner at (x, y): each
// channel d of a destination pixel becomes d + (s - d) * alpha / 256 in the channel's
// precision for the format (5 or 6 bits in the 16-bit formats, 8 bits otherwise); alpha is
// clamped to 0..256, 256 being the source alone. Source pixels equal to the key are left
// out: in the 16-bit formats the key is a colour value converted to the format; in formats
// 3 and 4 it is compared, unconverted, with the pixel's 0x00RRGGBB value, so a key with
// bits above the 24th matches nothing. Format 2 blends every pixel. Answers false, drawing
// nothing, for a format it cannot blend (5 and unknown codes).
bool SurfaceBlend(platform::Surface& destination, const platform::Surface& source, int x, int y,
                  const platform::Rect& srcArea, int alpha, int format, std::uint32_t key);

}  // namespace zolvex
