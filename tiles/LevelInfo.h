#pragma once
#include <cstdint>

namespace zolvex {

// One resolution level of a tiled image. Tiles of the last column and row may reach past
// width and height; width and height give the real extent.
struct LevelInfo {
  std::int32_t width = 0;       // pixels
  std::int32_t height = 0;      // pixels
  std::int32_t tileWidth = 0;   // pixels
  std::int32_t tileHeight = 0;  // pixels
  std::int32_t rows = 0;        // tile rows
  std::int32_t columns = 0;     // tile columns

  // Tiles are indexed row-major.
  std::int64_t TileCount() const { return std::int64_t{rows} * columns; }
  std::int64_t TileIndex(int column, int row) const { return std::int64_t{row} * columns + column; }
  bool HasTile(int column, int row) const { return column >= 0 && row >= 0 && column < columns && row < rows; }
  friend bool operator==(const LevelInfo&, const LevelInfo&) = default;
};

}  // namespace zolvex
