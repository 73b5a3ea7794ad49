#include "image/qmBufferedStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zolvex {

qmBufferedStream::qmBufferedStream(size_t growStep) : growStep_(std::max<size_t>(growStep, 1)) {}

qmBufferedStream::qmBufferedStream(const std::uint8_t* data, size_t length)
    : data_(data), length_(data ? length : 0), owned_(false) {}

bool qmBufferedStream::close() {
  if (!open_) return false;
  storage_.clear();
  storage_.shrink_to_fit();
  data_ = nullptr;
  length_ = position_ = 0;
  open_ = false;
  return true;
}

size_t qmBufferedStream::read(void* buffer, size_t itemSize, size_t count) {
  if (!open_ || !buffer || itemSize == 0 || count == 0 || position_ >= length_) return 0;
  const size_t items = std::min(count, (length_ - position_) / itemSize);
  std::memcpy(buffer, data_ + position_, items * itemSize);
  position_ += items * itemSize;
  return items;
}

void qmBufferedStream::makeOwned(size_t minimumCapacity) {
  if (!owned_) {
    std::vector<std::uint8_t> copy(data_, data_ + length_);
    storage_.swap(copy);
    owned_ = true;
  }
  if (storage_.capacity() < minimumCapacity) {
    storage_.reserve((minimumCapacity / growStep_ + 1) * growStep_);
  }
  if (storage_.size() < minimumCapacity) storage_.resize(minimumCapacity);
  data_ = storage_.data();
}

size_t qmBufferedStream::write(const void* buffer, size_t itemSize, size_t count) {
  if (!open_ || !buffer || itemSize == 0 || count == 0) return 0;
  if (count > std::numeric_limits<size_t>::max() / itemSize) return 0;
  const size_t bytes = itemSize * count;
  const size_t end = position_ + bytes;
  makeOwned(std::max(end, length_));
  std::memcpy(storage_.data() + position_, buffer, bytes);
  position_ = end;
  length_ = std::max(length_, end);
  return count;
}

bool qmBufferedStream::seek(std::int64_t offset, int origin) {
  if (!open_) return false;
  std::int64_t base;
  switch (origin) {
    case 0: base = 0; break;
    case 1: base = static_cast<std::int64_t>(position_); break;
    case 2: base = static_cast<std::int64_t>(length_); break;
    default: return false;
  }
  if (offset < -base) return false;
  position_ = static_cast<size_t>(base + offset);
  return true;
}

std::int64_t qmBufferedStream::tell() const { return open_ ? static_cast<std::int64_t>(position_) : -1; }
std::int64_t qmBufferedStream::size() const { return open_ ? static_cast<std::int64_t>(length_) : -1; }
bool qmBufferedStream::isEOF() const { return !open_ || position_ >= length_; }
int qmBufferedStream::error() const { return !open_ ? -1 : (position_ > length_ ? 1 : 0); }

}  // namespace zolvex
