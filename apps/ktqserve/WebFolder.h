#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvex {

// The files of a web page served beside the tunnel (ktqserve --web DIR): the page, its
// scripts and the WebAssembly module, so that one origin gives page, control and tiles.
// Only regular files inside the folder are served, by their path below it; "/" is
// "index.html". Every answer of the port carries the headers that isolate the page across
// origins, which the module's threads (shared memory) need.
class WebFolder {
 public:
  explicit WebFolder(std::string folder);

  struct File {
    std::vector<std::uint8_t> body;
    std::string contentType;
    std::int64_t lastModified = 0;
  };
  // The file the path names, or nothing (the path is then the tunnel's).
  std::optional<File> Read(const std::string& path) const;

  static std::string MediaType(const std::string& path);
  // Name and value of each header every answer carries.
  static const std::vector<std::pair<std::string, std::string>>& IsolationHeaders();

 private:
  std::string folder_;
};

}  // namespace zolvex
