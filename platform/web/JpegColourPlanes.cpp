#include "platform/web/JpegColourPlanes.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zolvex::platform {

namespace {

constexpr int kScaleBits = 16;
constexpr std::int32_t kOneHalf = 1 << (kScaleBits - 1);
constexpr std::int32_t Fix(double x) { return static_cast<std::int32_t>(x * (1 << kScaleBits) + 0.5); }

// libjpeg's tables from chroma to colour offsets.
struct ColourTables {
  std::array<int, 256> crToRed{}, cbToBlue{};
  std::array<std::int32_t, 256> crToGreen{}, cbToGreen{};
  ColourTables() {
    for (int i = 0; i < 256; ++i) {
      const std::int32_t x = i - 128;
      crToRed[i] = (Fix(1.40200) * x + kOneHalf) >> kScaleBits;
      cbToBlue[i] = (Fix(1.77200) * x + kOneHalf) >> kScaleBits;
      crToGreen[i] = -Fix(0.71414) * x;
      cbToGreen[i] = -Fix(0.34414) * x + kOneHalf;
    }
  }
};

std::uint8_t Clamp(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

int HalfUp(int size) { return (size + 1) / 2; }

// One chroma row at full width, as libjpeg's triangle filter makes it: the near row weighs
// three times the far one (vertically), then the near column three times the far one.
void UpsampleRow(const std::uint8_t* near, const std::uint8_t* far, int halfWidth, std::uint8_t* out) {
  auto sum = [near, far](int x) { return near[x] * 3 + far[x]; };
  for (int x = 0; x < halfWidth; ++x) {
    const int self = sum(x);
    const int left = x > 0 ? sum(x - 1) : self;
    const int right = x + 1 < halfWidth ? sum(x + 1) : self;
    out[2 * x] = static_cast<std::uint8_t>((self * 3 + left + 8) >> 4);
    out[2 * x + 1] = static_cast<std::uint8_t>((self * 3 + right + 7) >> 4);
  }
}

}  // namespace

std::size_t JpegColourPlanes::Size(int width, int height) {
  return static_cast<std::size_t>(width) * height + 2 * static_cast<std::size_t>(HalfUp(width)) * HalfUp(height);
}

void JpegColourPlanes::ToPixels(const std::uint8_t* planes, int width, int height, Pixel* pixels, int stridePixels) {
  static const ColourTables tables;
  const int halfWidth = HalfUp(width), halfHeight = HalfUp(height);
  const std::uint8_t* luma = planes;
  const std::uint8_t* cb = luma + static_cast<std::size_t>(width) * height;
  const std::uint8_t* cr = cb + static_cast<std::size_t>(halfWidth) * halfHeight;
  std::vector<std::uint8_t> cbRow(2 * static_cast<std::size_t>(halfWidth)), crRow(cbRow.size());
  for (int y = 0; y < height; ++y) {
    // The chroma row nearest this row, and the next nearest: above for an even row, below for
    // an odd one, the edge row itself at the picture's edges.
    const int near = y / 2;
    const int far = std::clamp(y % 2 == 0 ? near - 1 : near + 1, 0, halfHeight - 1);
    UpsampleRow(cb + near * halfWidth, cb + far * halfWidth, halfWidth, cbRow.data());
    UpsampleRow(cr + near * halfWidth, cr + far * halfWidth, halfWidth, crRow.data());
    const std::uint8_t* lumaRow = luma + static_cast<std::size_t>(y) * width;
    Pixel* out = pixels + static_cast<std::size_t>(y) * stridePixels;
    for (int x = 0; x < width; ++x) {
      const int l = lumaRow[x], b = cbRow[x], r = crRow[x];
      const int red = l + tables.crToRed[r];
      const int green = l + ((tables.cbToGreen[b] + tables.crToGreen[r]) >> kScaleBits);
      const int blue = l + tables.cbToBlue[b];
      out[x] = 0xFF000000u | static_cast<Pixel>(Clamp(red)) << 16 | static_cast<Pixel>(Clamp(green)) << 8 | Clamp(blue);
    }
  }
}

}  // namespace zolvex::platform
