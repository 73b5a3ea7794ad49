#include "platform/MemoryFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace zolvex::platform {

MemoryFile::MemoryFile() {
  descriptor_ = memfd_create("zolvex-memory-file", MFD_CLOEXEC);
  if (descriptor_ >= 0) path_ = "/proc/self/fd/" + std::to_string(descriptor_);
}

MemoryFile::~MemoryFile() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool MemoryFile::Replace(const std::uint8_t* data, std::size_t size) {
  if (descriptor_ < 0 || ftruncate(descriptor_, 0) != 0) return false;
  std::size_t written = 0;
  while (written < size) {
    ssize_t step = pwrite(descriptor_, data + written, size - written, static_cast<off_t>(written));
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) return false;
    written += static_cast<std::size_t>(step);
  }
  return true;
}

}  // namespace zolvex::platform
