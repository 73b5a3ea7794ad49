#pragma once
#include <vector>

#include "image/qmIIOStream.h"

namespace zolvex {

// A stream over a memory block. Created without a block it owns a growing buffer;
// created over a caller's block it reads that block in place and never frees or modifies
// it (the first write copies the content into a buffer of its own).
class qmBufferedStream : public qmIIOStream {
 public:
  explicit qmBufferedStream(size_t growStep = 4096);
  qmBufferedStream(const std::uint8_t* data, size_t length);
  qmBufferedStream(const qmBufferedStream&) = delete;
  qmBufferedStream& operator=(const qmBufferedStream&) = delete;

  bool close() override;
  size_t read(void* buffer, size_t itemSize, size_t count) override;
  size_t write(const void* buffer, size_t itemSize, size_t count) override;
  bool seek(std::int64_t offset, int origin) override;
  std::int64_t tell() const override;
  std::int64_t size() const override;
  bool isOpen() const override { return open_; }
  bool isEOF() const override;
  int error() const override;

  // The current content (length bytes).
  const std::uint8_t* data() const { return data_; }
  size_t length() const { return length_; }
  bool ownsData() const { return owned_; }

 private:
  void makeOwned(size_t minimumCapacity);

  const std::uint8_t* data_ = nullptr;
  std::vector<std::uint8_t> storage_;
  size_t length_ = 0;
  size_t position_ = 0;
  size_t growStep_ = 4096;
  bool owned_ = true;
  bool open_ = true;
};

}  // namespace zolvex
