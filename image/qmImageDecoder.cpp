#include "image/qmImageDecoder.h"

#include <new>

#include "image/qmCodecError.h"

namespace zolvex {

qmImageDecoder::qmImageDecoder(qmIIOStream* stream, const qmImageDecodeParam& param)
    : stream_(stream), param_(param) {}

qmIIOStream& qmImageDecoder::stream() const {
  if (!stream_ || !stream_->isOpen()) throw qmCodecError("No stream");
  return *stream_;
}

std::optional<qmImageHeaderInfo> qmImageDecoder::readHeader() {
  try {
    headerInfo_ = readHeaderInfo();
    return headerInfo_;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return std::nullopt;
  }
}

std::unique_ptr<qmImage> qmImageDecoder::decode() {
  try {
    auto image = decodeImage();
    if (image && image->isValid()) return image;
    lastError_ = "Decode failed";
  } catch (const std::bad_alloc&) {
    lastError_ = "Out of memory";
  } catch (const std::exception& e) {
    lastError_ = e.what();
  }
  return nullptr;
}

std::unique_ptr<qmImage> qmImageDecoder::decodeAsSubImage(int left, int top, int width, int height) {
  try {
    return decodeSubImage(left, top, width, height);
  } catch (const std::bad_alloc&) {
    lastError_ = "Out of memory";
  } catch (const std::exception& e) {
    lastError_ = e.what();
  }
  return nullptr;
}

qmImageHeaderInfo qmImageDecoder::readHeaderInfo() {
  // Formats without a cheap header read decode the whole stream once.
  auto image = decodeImage();
  if (!image) throw qmCodecError("Decode failed");
  return {image->getWidth(), image->getHeight(), image->getBitsPerPixel(), headerInfo_.formatId};
}

std::unique_ptr<qmImage> qmImageDecoder::decodeSubImage(int, int, int, int) {
  lastError_ = "Partial decoding not supported";
  return nullptr;
}

void qmImageDecoder::applyDecodeType(qmImage& image) const {
  if (param_.getDecodeType() == 1 && image.getBitsPerPixel() < 24) image.increaseBpp(24);
}

}  // namespace zolvex
