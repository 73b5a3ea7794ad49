#include "apps/ktqserve/WebFolder.h"

#include <filesystem>

#include "platform/Files.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

// A path below the folder: no parent steps, no hidden names, no backslashes or NULs.
bool SafePath(const std::string& path) {
  if (path.find('\\') != std::string::npos || path.find('\0') != std::string::npos) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part[0] == '.') return false;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

}  // namespace

WebFolder::WebFolder(std::string folder) : folder_(std::move(folder)) {}

std::optional<WebFolder::File> WebFolder::Read(const std::string& path) const {
  if (path.empty() || path[0] != '/') return std::nullopt;
  const std::string relative = path == "/" ? "index.html" : path.substr(1);
  if (!SafePath(relative)) return std::nullopt;
  const std::filesystem::path file = std::filesystem::path(folder_) / relative;
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error) || std::filesystem::file_size(file, error) > kMaxFileBytes)
    return std::nullopt;
  auto bytes = platform::ReadFileBytes(file.string());
  if (!bytes) return std::nullopt;
  return File{std::move(*bytes), MediaType(relative), platform::FileModificationTime(file.string()).value_or(0)};
}

std::string WebFolder::MediaType(const std::string& path) {
  static const std::vector<std::pair<std::string, std::string>> types = {
      {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"}, {".wasm", "application/wasm"},
      {".css", "text/css; charset=utf-8"}, {".json", "application/json"},
      {".png", "image/png"}, {".jpg", "image/jpeg"}, {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"}, {".xml", "text/xml; charset=utf-8"}, {".txt", "text/plain; charset=utf-8"}};
  const std::string lower = ToLower(path);
  for (const auto& [suffix, type] : types) {
    if (lower.size() >= suffix.size() && lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0)
      return type;
  }
  return "application/octet-stream";
}

const std::vector<std::pair<std::string, std::string>>& WebFolder::IsolationHeaders() {
  static const std::vector<std::pair<std::string, std::string>> headers = {
      {"Cross-Origin-Opener-Policy", "same-origin"},
      {"Cross-Origin-Embedder-Policy", "require-corp"},
      {"Cross-Origin-Resource-Policy", "same-origin"}};
  return headers;
}

}  // namespace zolvex
