#include "platform/web/JpegColourPlanes.h"

#include <algorithm>
#include <vector>

namespace zolvex::platform {

namespace {

// libjpeg's fixed-point factors (16 fraction bits) from chroma to colour offsets; computed
// per pixel rather than looked up, the same values come out and the loop runs in vectors.
constexpr int kScaleBits = 16;
constexpr std::int32_t kOneHalf = 1 << (kScaleBits - 1);
constexpr std::int32_t Fix(double x) { return static_cast<std::int32_t>(x * (1 << kScaleBits) + 0.5); }
constexpr std::int32_t kCrToRed = Fix(1.40200), kCbToBlue = Fix(1.77200);
constexpr std::int32_t kCrToGreen = Fix(0.71414), kCbToGreen = Fix(0.34414);

int HalfUp(int size) { return (size + 1) / 2; }

// One chroma row at full width, as libjpeg's triangle filter makes it: the near row weighs
// three times the far one (vertically), then the near column three times the far one. sums
// has room for halfWidth values.
void UpsampleRow(const std::uint8_t* near, const std::uint8_t* far, int halfWidth, std::int32_t* sums,
                 std::int32_t* out) {
  for (int x = 0; x < halfWidth; ++x) sums[x] = near[x] * 3 + far[x];
  out[0] = (sums[0] * 4 + 8) >> 4;
  for (int x = 1; x < halfWidth; ++x) out[2 * x] = (sums[x] * 3 + sums[x - 1] + 8) >> 4;
  for (int x = 0; x + 1 < halfWidth; ++x) out[2 * x + 1] = (sums[x] * 3 + sums[x + 1] + 7) >> 4;
  out[2 * halfWidth - 1] = (sums[halfWidth - 1] * 4 + 7) >> 4;
}

void ConvertRow(const std::uint8_t* __restrict luma, const std::int32_t* __restrict cb,
                const std::int32_t* __restrict cr, int width, Pixel* __restrict out) {
  for (int x = 0; x < width; ++x) {
    const std::int32_t l = luma[x], b = cb[x] - 128, r = cr[x] - 128;
    const std::int32_t red = std::clamp(l + ((kCrToRed * r + kOneHalf) >> kScaleBits), 0, 255);
    const std::int32_t green = std::clamp(l + ((kOneHalf - kCbToGreen * b - kCrToGreen * r) >> kScaleBits), 0, 255);
    const std::int32_t blue = std::clamp(l + ((kCbToBlue * b + kOneHalf) >> kScaleBits), 0, 255);
    out[x] = 0xFF000000u | static_cast<Pixel>(red) << 16 | static_cast<Pixel>(green) << 8 | static_cast<Pixel>(blue);
  }
}

}  // namespace

std::size_t JpegColourPlanes::Size(int width, int height) {
  return static_cast<std::size_t>(width) * height + 2 * static_cast<std::size_t>(HalfUp(width)) * HalfUp(height);
}

void JpegColourPlanes::ToPixels(const std::uint8_t* planes, int width, int height, Pixel* pixels, int stridePixels) {
  const int halfWidth = HalfUp(width), halfHeight = HalfUp(height);
  const std::uint8_t* luma = planes;
  const std::uint8_t* cb = luma + static_cast<std::size_t>(width) * height;
  const std::uint8_t* cr = cb + static_cast<std::size_t>(halfWidth) * halfHeight;
  std::vector<std::int32_t> sums(halfWidth), cbRow(2 * static_cast<std::size_t>(halfWidth)), crRow(cbRow.size());
  for (int y = 0; y < height; ++y) {
    // The chroma row nearest this row, and the next nearest: above for an even row, below for
    // an odd one, the edge row itself at the picture's edges.
    const int near = y / 2;
    const int far = std::clamp(y % 2 == 0 ? near - 1 : near + 1, 0, halfHeight - 1);
    UpsampleRow(cb + near * halfWidth, cb + far * halfWidth, halfWidth, sums.data(), cbRow.data());
    UpsampleRow(cr + near * halfWidth, cr + far * halfWidth, halfWidth, sums.data(), crRow.data());
    ConvertRow(luma + static_cast<std::size_t>(y) * width, cbRow.data(), crRow.data(), width,
               pixels + static_cast<std::size_t>(y) * stridePixels);
  }
}

}  // namespace zolvex::platform
