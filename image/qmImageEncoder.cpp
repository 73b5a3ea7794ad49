#include "image/qmImageEncoder.h"

#include <new>

#include "image/qmCodecError.h"

namespace zolvex {

bool qmImageEncoder::encode(const qmImage& image) {
  if (!image.isValid()) {
    lastError_ = "Empty image";
    return false;
  }
  return qmRunGuarded(lastError_, false, [&] {
    writeImage(image);
    return true;
  });
}

qmIIOStream& qmImageEncoder::stream() const {
  if (!stream_ || !stream_->isOpen()) throw qmCodecError("No stream");
  return *stream_;
}

void qmImageEncoder::writeBytes(const void* data, size_t length) const {
  if (length > 0 && stream().write(data, 1, length) != length) throw qmCodecError("Write error");
}

}  // namespace zolvex
