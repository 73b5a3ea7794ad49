#include "platform/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace zolvex::platform {

namespace {

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), s.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

// "%20" and friends in file URLs.
std::string PercentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

std::string NativePath(const std::string& path) {
  std::string p = path;
  if (StartsWithNoCase(p, "file:")) {
    p = PercentDecode(p.substr(5));
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.rfind("//", 0) == 0) {
      // file://host/path: the host part is dropped ("localhost" or empty).
      size_t slash = p.find('/', 2);
      p = slash == std::string::npos ? "/" : p.substr(slash);
    }
  }
  std::replace(p.begin(), p.end(), '\\', '/');
  // Collapse doubled separators but keep a leading "/".
  std::string out;
  for (char c : p) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return out;
}

std::string FullPath(const std::string& path) {
  std::filesystem::path p(NativePath(path));
  std::error_code ec;
  auto absolute = std::filesystem::absolute(p, ec);
  return ec ? p.string() : absolute.lexically_normal().string();
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in || !FileExists(path)) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string TempFolder() {
  std::error_code ec;
  auto dir = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : dir.string();
}

std::string MakeTempFile(const std::string& suffix) {
  std::string pattern = TempFolder() + "/zolvex-XXXXXX" + suffix;
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkstemps(buffer.data(), static_cast<int>(suffix.size()));
  if (fd < 0) return {};
  ::close(fd);
  return buffer.data();
}

std::optional<std::int64_t> FileModificationTime(const std::string& path) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::int64_t>(st.st_mtime);
}

}  // namespace zolvex::platform
