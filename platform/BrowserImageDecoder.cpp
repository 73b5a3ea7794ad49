#include "platform/BrowserImageDecoder.h"

namespace zolvex::platform {

// Outside a browser there is no decoder to hand streams to.
bool BrowserImageDecoder::CanDecodeJpeg() { return false; }

bool BrowserImageDecoder::DecodeJpeg(const std::uint8_t*, std::size_t, int, int, Pixel*, int) { return false; }

}  // namespace zolvex::platform
