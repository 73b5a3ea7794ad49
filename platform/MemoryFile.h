#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zolvex::platform {

// A file that lives in memory only: it has a path that the ordinary file functions open,
// and it goes with the object. Tools and fuzzing feed bytes to code that reads files by
// path without touching a disk.
class MemoryFile {
 public:
  MemoryFile();
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  bool IsOpen() const { return descriptor_ >= 0; }
  // Makes the file's content exactly these bytes; false when the system refuses.
  bool Replace(const std::uint8_t* data, std::size_t size);
  // A path that opens the file, valid while this object lives; empty when not open.
  const std::string& Path() const { return path_; }

 private:
  int descriptor_ = -1;
  std::string path_;
};

}  // namespace zolvex::platform
