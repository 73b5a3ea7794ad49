#pragma once
#include <cstdint>
#include <vector>

#include "image/qmCodecError.h"
#include "image/qmIIOStream.h"

namespace zolvex {

// Reads exact amounts from a stream and little- or big-endian integers; a short read is
// a truncated stream and throws.
class qmStreamReader {
 public:
  explicit qmStreamReader(qmIIOStream& stream) : stream_(stream) {}

  void readExact(void* buffer, size_t length) {
    if (length > 0 && stream_.read(buffer, 1, length) != length) throw qmCodecError("Unexpected end of data");
  }
  std::vector<std::uint8_t> readBytes(size_t length) {
    std::vector<std::uint8_t> bytes(length);
    readExact(bytes.data(), length);
    return bytes;
  }
  std::uint8_t u8() {
    const int c = stream_.getC();
    if (c < 0) throw qmCodecError("Unexpected end of data");
    return static_cast<std::uint8_t>(c);
  }
  std::uint16_t le16() {
    std::uint8_t b[2];
    readExact(b, 2);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
  }
  std::uint32_t le32() {
    std::uint8_t b[4];
    readExact(b, 4);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  void skip(std::int64_t length) {
    if (length > 0 && !stream_.seek(length, 1)) throw qmCodecError("Unexpected end of data");
  }
  qmIIOStream& stream() { return stream_; }

 private:
  qmIIOStream& stream_;
};

// Collects little-endian output in memory before it is written in one piece.
class qmByteWriter {
 public:
  void u8(int v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
  void le16(int v) {
    u8(v);
    u8(v >> 8);
  }
  void le32(std::uint32_t v) {
    le16(static_cast<int>(v & 0xFFFF));
    le16(static_cast<int>(v >> 16));
  }
  void append(const void* data, size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + length);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace zolvex
