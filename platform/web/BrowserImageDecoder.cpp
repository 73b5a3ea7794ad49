#include "platform/BrowserImageDecoder.h"

#include "platform/web/BrowserDecoderWorker.h"

namespace zolvex::platform {

bool BrowserImageDecoder::CanDecodeJpeg() { return BrowserDecoderWorker::Available(); }

bool BrowserImageDecoder::DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int width, int height,
                                     Pixel* pixels, int stridePixels) {
  return BrowserDecoderWorker::Decode(bytes, length, width, height, pixels, stridePixels);
}

}  // namespace zolvex::platform
