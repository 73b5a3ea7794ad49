#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace zolvex::platform {

// A file opened once and read at any position, from several threads at once: each read
// names its own position, so threads share nothing. Reads keep seeing the file that was
// opened, even when its name is later given to another file.
class ReadOnlyFile {
 public:
  // Null when the path cannot be opened for reading or is not a regular file.
  static std::shared_ptr<const ReadOnlyFile> Open(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // The size when it was opened.
  std::int64_t Size() const { return size_; }
  // Reads up to length bytes at position; answers how many arrived (fewer at the end of
  // the file, none on a fault or for a position outside it).
  std::int64_t ReadAt(std::int64_t position, std::uint8_t* out, std::int64_t length) const;

 private:
  ReadOnlyFile(int descriptor, std::int64_t size) : descriptor_(descriptor), size_(size) {}

  int descriptor_;
  std::int64_t size_;
};

}  // namespace zolvex::platform
