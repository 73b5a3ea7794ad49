#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/Geometry.h"

namespace zolvex::platform {

// A JPEG picture's colour planes as the browser's decoder gives them before it converts
// them to pixels (luma at full size, both chroma planes at half width and half height), and
// their conversion to pixels as libjpeg makes it: chroma enlarged by libjpeg's "fancy"
// triangle filter and converted by its fixed-point tables, so that a tile looks exactly as
// it does when this program decodes it (the browser's own conversion differs by a few
// levels, most at coloured edges).
class JpegColourPlanes {
 public:
  // Bytes the three planes of a width x height picture take.
  static std::size_t Size(int width, int height);
  // Writes the picture as opaque 0xAARRGGBB pixels in rows of stridePixels.
  static void ToPixels(const std::uint8_t* planes, int width, int height, Pixel* pixels, int stridePixels);
};

}  // namespace zolvex::platform
