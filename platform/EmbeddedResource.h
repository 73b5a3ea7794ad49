#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace zolvex::platform {

// Data compiled into the library from resources/data (bitmaps, cursors, WAVE sounds, texts).
struct EmbeddedResource {
  const char* name;
  const unsigned char* data;
  std::size_t size;
};

// The resource of that name (the file name without extension, compared in any case).
std::optional<std::span<const unsigned char>> FindResource(const std::string& name);

}  // namespace zolvex::platform
