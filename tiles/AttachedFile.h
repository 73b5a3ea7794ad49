#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zolvex {

// A named file attached to an image: by a server to its image description, or inside a
// local tiled file.
struct AttachedFile {
  std::string name;  // 8-bit characters
  std::vector<std::uint8_t> data;
  friend bool operator==(const AttachedFile&, const AttachedFile&) = default;
};

// Appends the count, then per file the name length, the name, the data length and the data;
// append32 writes an integer in the byte order of the container.
template <typename Append32>
void AppendAttachedFiles(std::vector<std::uint8_t>& out, const std::vector<AttachedFile>& files, Append32 append32) {
  append32(out, static_cast<std::int32_t>(files.size()));
  for (const AttachedFile& file : files) {
    append32(out, static_cast<std::int32_t>(file.name.size()));
    out.insert(out.end(), file.name.begin(), file.name.end());
    append32(out, static_cast<std::int32_t>(file.data.size()));
    out.insert(out.end(), file.data.begin(), file.data.end());
  }
}

}  // namespace zolvex
