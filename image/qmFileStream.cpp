#include "image/qmFileStream.h"

namespace zolvex {

bool qmFileStream::open(const std::string& path, const char* mode) {
  file_.reset(std::fopen(path.c_str(), mode));
  return file_ != nullptr;
}

bool qmFileStream::close() {
  if (!file_) return false;
  return std::fclose(file_.release()) == 0;
}

size_t qmFileStream::read(void* buffer, size_t itemSize, size_t count) {
  if (!file_ || !buffer || itemSize == 0 || count == 0) return 0;
  return std::fread(buffer, itemSize, count, file_.get());
}

size_t qmFileStream::write(const void* buffer, size_t itemSize, size_t count) {
  if (!file_ || !buffer || itemSize == 0 || count == 0) return 0;
  return std::fwrite(buffer, itemSize, count, file_.get());
}

bool qmFileStream::seek(std::int64_t offset, int origin) {
  if (!file_ || origin < 0 || origin > 2) return false;
  const std::int64_t base = origin == 0 ? 0 : origin == 1 ? tell() : size();
  if (base + offset < 0) return false;
  static constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  return fseeko(file_.get(), static_cast<off_t>(offset), kOrigins[origin]) == 0;
}

std::int64_t qmFileStream::tell() const { return file_ ? static_cast<std::int64_t>(ftello(file_.get())) : -1; }

std::int64_t qmFileStream::size() const {
  if (!file_) return -1;
  std::fflush(file_.get());
  const off_t here = ftello(file_.get());
  fseeko(file_.get(), 0, SEEK_END);
  const off_t end = ftello(file_.get());
  fseeko(file_.get(), here, SEEK_SET);
  return end;
}

bool qmFileStream::isEOF() const { return !file_ || tell() >= size(); }
int qmFileStream::error() const { return !file_ ? -1 : (tell() > size() ? 1 : 0); }

}  // namespace zolvex
