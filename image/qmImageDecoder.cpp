#include "image/qmImageDecoder.h"

#include <cstring>
#include <new>
#include <string>

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
  return qmRunGuarded(lastError_, std::unique_ptr<qmImage>(), [&] { return decodeSubImage(left, top, width, height); });
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

bool qmImageDecoder::beginRows() {
  return qmRunGuarded(lastError_, false, [this] {
    startRows();
    return true;
  });
}

int qmImageDecoder::readRows(std::uint8_t* const* rows, int count) {
  return qmRunGuarded(lastError_, -1, [&] { return nextRows(rows, count); });
}

void qmImageDecoder::startRows() {
  const qmImageHeaderInfo header = readHeaderInfo();
  if (!qmImage::sizeAllowed(header.width, header.height)) {
    throw qmCodecError(std::string(getFormatName()) + " pictures are read whole, and " + std::to_string(header.width) +
                       " x " + std::to_string(header.height) + " is more than the " +
                       std::to_string(qmImage::maxPixels()) + " pixels that can be held");
  }
  wholePicture_ = decodeImage();
  if (!wholePicture_ || !wholePicture_->isValid()) throw qmCodecError("Decode failed");
  if (wholePicture_->getBitsPerPixel() != 24 && !wholePicture_->increaseBpp(24)) throw qmCodecError("Out of memory");
  headerInfo_ = {wholePicture_->getWidth(), wholePicture_->getHeight(), 24, header.formatId};
  wholeRow_ = 0;
}

int qmImageDecoder::nextRows(std::uint8_t* const* rows, int count) {
  if (!wholePicture_) return 0;  // all given, or never begun
  const int width = wholePicture_->getWidth();
  int filled = 0;
  for (; filled < count && wholeRow_ < wholePicture_->getHeight(); ++filled, ++wholeRow_) {
    std::memcpy(rows[filled], wholePicture_->getRow(wholeRow_), static_cast<size_t>(width) * 3);
  }
  if (wholeRow_ == wholePicture_->getHeight()) wholePicture_.reset();
  return filled;
}

void qmImageDecoder::applyDecodeType(qmImage& image) const {
  if (param_.getDecodeType() == 1 && image.getBitsPerPixel() < 24) image.increaseBpp(24);
}

}  // namespace zolvex
