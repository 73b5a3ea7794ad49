#include "platform/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zolvex::platform {

std::shared_ptr<const ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(descriptor);
    return nullptr;
  }
  return std::shared_ptr<const ReadOnlyFile>(new ReadOnlyFile(descriptor, status.st_size));
}

ReadOnlyFile::~ReadOnlyFile() { close(descriptor_); }

std::int64_t ReadOnlyFile::ReadAt(std::int64_t position, std::uint8_t* out, std::int64_t length) const {
  if (position < 0 || length <= 0) return 0;
  std::int64_t done = 0;
  while (done < length) {
    const ssize_t got = pread(descriptor_, out + done, static_cast<size_t>(length - done), position + done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += got;
  }
  return done;
}

}  // namespace zolvex::platform
