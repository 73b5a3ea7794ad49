#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace zolvex::platform {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle with exclusive right and bottom edges, as window systems hold them.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static Rect FromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Intersect(const Rect& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
  }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The parts of area that none of covers reaches, as rectangles that do not overlap.
std::vector<Rect> UncoveredParts(const Rect& area, const std::vector<Rect>& covers);

// A colour value with red in the low byte, green in the next and blue in the third
// (0x00BBGGRR). -1 (kNoColor) means "none" where an operation allows it.
using Color = std::int32_t;
constexpr Color kNoColor = -1;

constexpr Color MakeColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr int RedOf(Color c) { return c & 0xFF; }
constexpr int GreenOf(Color c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(Color c) { return (c >> 16) & 0xFF; }

// Pixels of a surface are 32-bit 0xAARRGGBB words (cairo's ARGB32 in native order).
using Pixel = std::uint32_t;
constexpr Pixel PixelFromColor(Color c, int alpha = 0xFF) {
  return (static_cast<Pixel>(alpha & 0xFF) << 24) | (static_cast<Pixel>(RedOf(c)) << 16) |
         (static_cast<Pixel>(GreenOf(c)) << 8) | static_cast<Pixel>(BlueOf(c));
}
constexpr Color ColorFromPixel(Pixel p) {
  return MakeColor(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
}

}  // namespace zolvex::platform
