#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

namespace zolvex {

// The address of one tile: level, column and row. Hashable, so that caches and request
// queues find a tile in constant time however many are in view.
struct TileKey {
  int level = 0;
  int column = 0;
  int row = 0;

  friend bool operator==(const TileKey&, const TileKey&) = default;
};

struct TileKeyHash {
  std::size_t operator()(const TileKey& key) const noexcept {
    // Columns and rows of a level stay far below 2^24; levels below 2^8.
    const std::uint64_t packed = (std::uint64_t(std::uint32_t(key.level)) << 48) ^
                                 (std::uint64_t(std::uint32_t(key.column)) << 24) ^ std::uint32_t(key.row);
    return std::hash<std::uint64_t>{}(packed);
  }
};

// A (column, row) pair of a level, hashable for sets of positions.
struct TilePositionHash {
  std::size_t operator()(const std::pair<int, int>& position) const noexcept {
    return TileKeyHash{}(TileKey{0, position.first, position.second});
  }
};

}  // namespace zolvex
