#pragma once
#include <cstdio>
#include <memory>
#include <string>

#include "image/qmIIOStream.h"

namespace zolvex {

// A stream over a file opened with a stdio mode string ("rb" to read, "w+b" to write).
class qmFileStream : public qmIIOStream {
 public:
  qmFileStream() = default;
  qmFileStream(const std::string& path, const char* mode) { open(path, mode); }

  bool open(const std::string& path, const char* mode);
  bool close() override;
  size_t read(void* buffer, size_t itemSize, size_t count) override;
  size_t write(const void* buffer, size_t itemSize, size_t count) override;
  bool seek(std::int64_t offset, int origin) override;
  std::int64_t tell() const override;
  std::int64_t size() const override;
  bool isOpen() const override { return file_ != nullptr; }
  bool isEOF() const override;
  int error() const override;

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace zolvex
