#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/qmImage.h"
#include "tiles/KtqWriter.h"

namespace zolvex::ktqtool {

// Writes a pyramid of square tiles through a KtqWriter. The levels are the full size and
// then halves (rounded up) until one tile holds the level; each tile is rendered by the
// caller into a tileSize x tileSize 24-bit image, and the parts of edge tiles beyond the
// level repeat its last column and row. The file records every level's real size.
class PyramidBuilder {
 public:
  struct Size {
    int width = 0;
    int height = 0;
  };
  // Renders tile (column, row) of level (0 = smallest) into tile.
  using TileRenderer = std::function<void(int level, int column, int row, qmImage& tile)>;
  // Called after every tile with the tiles written so far and their total.
  using Progress = std::function<void(std::int64_t done, std::int64_t total)>;
  // Gives the encoded stream of the next tile of a level (row-major); false on failure.
  using StreamSource = std::function<bool(int level, std::vector<std::uint8_t>& stream)>;

  // Level sizes, smallest first.
  static std::vector<Size> LevelSizes(int width, int height, int tileSize);

  PyramidBuilder(int width, int height, int tileSize);
  const std::vector<Size>& Levels() const { return levels_; }
  std::int64_t TileCount() const;

  // Writes the file; false with writer.LastError() on failure.
  bool Write(KtqWriter& writer, const std::string& path, const std::vector<std::uint8_t>& thumbnail,
             const TileRenderer& render, const Progress& progress) const;
  // The same from tiles encoded already.
  bool WriteStreams(KtqWriter& writer, const std::string& path, const std::vector<std::uint8_t>& thumbnail,
                    const StreamSource& streams) const;

  // Fills the tile beyond width x height with copies of its last column and row.
  static void RepeatEdges(qmImage& tile, int width, int height);
  // Copies the part of source at (left, top) into tile (which keeps its size).
  static void CopyRegion(const qmImage& source, int left, int top, qmImage& tile);
  static int TilesAcross(int length, int tileSize) { return (length + tileSize - 1) / tileSize; }

 private:
  // Begins the file; calls addTile for every tile in the file's order.
  bool WriteTiles(KtqWriter& writer, const std::string& path, const std::vector<std::uint8_t>& thumbnail,
                  const std::function<bool(int level, int column, int row)>& addTile) const;

  int tileSize_;
  std::vector<Size> levels_;
};

}  // namespace zolvex::ktqtool
