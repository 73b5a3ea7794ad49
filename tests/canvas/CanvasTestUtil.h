#pragma once
#include <functional>
#include <set>
#include <utility>

#include "platform/Geometry.h"
#include "platform/Surface.h"

namespace zolvex::test {

using platform::Color;
using platform::Surface;

using PixelSet = std::set<std::pair<int, int>>;

inline Color ColorAt(const Surface& s, int x, int y) { return platform::ColorFromPixel(s.PixelAt(x, y)); }

// Every pixel of the surface that differs from the background colour.
inline PixelSet PaintedPixels(const Surface& s, Color background) {
  PixelSet painted;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      if (ColorAt(s, x, y) != background) painted.insert({x, y});
    }
  }
  return painted;
}

inline PixelSet PixelsWhere(int width, int height, const std::function<bool(int, int)>& wanted) {
  PixelSet pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (wanted(x, y)) pixels.insert({x, y});
    }
  }
  return pixels;
}

}  // namespace zolvex::test
