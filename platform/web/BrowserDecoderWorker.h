#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/Geometry.h"

namespace zolvex::platform {

// The page's JPEG decoder: a plain worker (zolvex-decoder.js beside the module) that
// shares the module's memory and decodes with the browser's own decoder (WebCodecs). A
// thread hands it a stream through a record in shared memory and waits on the record for
// the pixels, for a bounded time; the page's thread never waits, and decodes itself.
class BrowserDecoderWorker {
 public:
  // Starts the worker, once, from the page's thread (the module does at its start). It
  // takes streams once it has checked that the browser can decode them.
  static void Start();
  // Whether the worker takes streams now, and whether the calling thread may hand them over.
  static bool Ready();
  static bool Available();
  // See BrowserImageDecoder::DecodeJpeg.
  static bool Decode(const std::uint8_t* bytes, std::size_t length, int width, int height, Pixel* pixels,
                     int stridePixels);
  // Streams the worker delivered and refused since the start.
  static int Decoded();
  static int Refused();
};

}  // namespace zolvex::platform
