#pragma once
#include <cstddef>
#include <cstdint>

namespace zolvex {

// An abstract byte stream that decoders read and encoders write.
class qmIIOStream {
 public:
  virtual ~qmIIOStream() = default;

  // Releases the underlying buffer or file; true on success.
  virtual bool close() = 0;
  // Copies up to itemSize * count bytes from the current position; answers the number of
  // whole items read (0 for a null buffer or an empty request).
  virtual size_t read(void* buffer, size_t itemSize, size_t count) = 0;
  // Writes at the current position (overwriting or appending); answers the items written.
  virtual size_t write(const void* buffer, size_t itemSize, size_t count) = 0;
  // origin 0: from the start, 1: from the current position, 2: from the end. A negative
  // resulting position fails.
  virtual bool seek(std::int64_t offset, int origin) = 0;
  virtual std::int64_t tell() const = 0;  // -1 when not open
  virtual std::int64_t size() const = 0;  // -1 when not open
  virtual bool isOpen() const = 0;
  virtual bool isEOF() const = 0;  // also true when not open
  // 1 when the position is past the end, 0 otherwise, -1 when not open.
  virtual int error() const = 0;
  virtual bool putC(std::uint8_t byte) { return write(&byte, 1, 1) == 1; }
  // The next byte (0-255), or -1 at the end.
  virtual int getC() {
    std::uint8_t byte = 0;
    return read(&byte, 1, 1) == 1 ? byte : -1;
  }
};

}  // namespace zolvex
