#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/Geometry.h"

namespace zolvex::platform {

// The picture decoder of the browser a page build runs in: faster than ours compiled to
// WebAssembly, and it decodes off the calling thread's processor time. Desktop and
// headless builds have none and always answer that they cannot.
class BrowserImageDecoder {
 public:
  // Whether JPEG streams can go to the browser's decoder from the calling thread: only
  // threads that may wait (never the page's own thread), and only once the decoder is up.
  static bool CanDecodeJpeg();
  // Decodes a JPEG stream of exactly width x height into pixels (rows of stridePixels,
  // top row first) as opaque 0xAARRGGBB words. False, with the pixels undefined, when the
  // browser cannot decode it (a damaged stream, another size, no decoder, no answer in
  // time): the caller then decodes the stream itself.
  static bool DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int width, int height, Pixel* pixels,
                         int stridePixels);
};

}  // namespace zolvex::platform
