#include "apps/ktqtool/PyramidBuilder.h"

#include <algorithm>
#include <cstring>

#include "tiles/KtqFormat.h"

namespace zolvex::ktqtool {
std::vector<PyramidBuilder::Size> PyramidBuilder::LevelSizes(int width, int height, int tileSize) {
  std::vector<Size> sizes{{width, height}};
  while (sizes.back().width > tileSize || sizes.back().height > tileSize) {
    sizes.push_back({(sizes.back().width + 1) / 2, (sizes.back().height + 1) / 2});
  }
  std::reverse(sizes.begin(), sizes.end());
  return sizes;
}

PyramidBuilder::PyramidBuilder(int width, int height, int tileSize)
    : tileSize_(tileSize), levels_(LevelSizes(width, height, tileSize)) {}

std::int64_t PyramidBuilder::TileCount() const {
  std::int64_t total = 0;
  for (const auto& level : levels_) {
    total += std::int64_t{TilesAcross(level.width, tileSize_)} * TilesAcross(level.height, tileSize_);
  }
  return total;
}

bool PyramidBuilder::Write(KtqWriter& writer, const std::string& path, const std::vector<std::uint8_t>& thumbnail,
                           const TileRenderer& render, const Progress& progress) const {
  std::int64_t done = 0;
  const std::int64_t total = TileCount();
  qmImage tile;
  return WriteTiles(writer, path, thumbnail, [&](int level, int column, int row) {
    tile.create(tileSize_, tileSize_, 24);
    render(level, column, row, tile);
    RepeatEdges(tile, levels_[level].width - column * tileSize_, levels_[level].height - row * tileSize_);
    if (!writer.AddTile(tile)) return false;
    if (progress) progress(++done, total);
    return true;
  });
}

bool PyramidBuilder::WriteStreams(KtqWriter& writer, const std::string& path,
                                  const std::vector<std::uint8_t>& thumbnail, const StreamSource& streams) const {
  std::vector<std::uint8_t> stream;
  return WriteTiles(writer, path, thumbnail, [&](int level, int, int) {
    return streams(level, stream) && writer.AddTileStream(stream.data(), stream.size());
  });
}

bool PyramidBuilder::WriteTiles(KtqWriter& writer, const std::string& path, const std::vector<std::uint8_t>& thumbnail,
                                const std::function<bool(int level, int column, int row)>& addTile) const {
  // The levels' real sizes travel with the file: readers that know them do not show the
  // edge tiles' filling.
  std::vector<KtqFormat::Extent> extents;
  for (const Size& level : levels_) extents.push_back({level.width, level.height});
  const std::vector<AttachedFile> attached{
      {std::string(KtqFormat::kExtentFileName), KtqFormat::EncodeExtents(extents)}};
  if (!writer.Begin(path, static_cast<int>(levels_.size()), thumbnail, attached)) return false;
  for (size_t level = 0; level < levels_.size(); ++level) {
    int columns = TilesAcross(levels_[level].width, tileSize_);
    int rows = TilesAcross(levels_[level].height, tileSize_);
    if (!writer.BeginLevel(rows, columns)) return false;
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        if (!addTile(static_cast<int>(level), column, row)) return false;
      }
    }
  }
  return writer.Finish();
}

// The part of an edge tile beyond the picture repeats the picture's last column and row, so
// that a reader that shows whole tiles, or smooths across the edge, shows no dark band.
void PyramidBuilder::RepeatEdges(qmImage& tile, int width, int height) {
  width = std::min(width, tile.getWidth());
  height = std::min(height, tile.getHeight());
  if (width <= 0 || height <= 0) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = tile.getRow(y);
    for (int x = width; x < tile.getWidth(); ++x) std::memcpy(row + x * 3, row + (width - 1) * 3, 3);
  }
  const std::uint8_t* last = tile.getRow(height - 1);
  for (int y = height; y < tile.getHeight(); ++y) std::memcpy(tile.getRow(y), last, static_cast<size_t>(tile.getWidth()) * 3);
}

void PyramidBuilder::CopyRegion(const qmImage& source, int left, int top, qmImage& tile) {
  int width = std::min(tile.getWidth(), source.getWidth() - left);
  int height = std::min(tile.getHeight(), source.getHeight() - top);
  for (int y = 0; y < height; ++y) {
    std::memcpy(tile.getRow(y), source.getRow(top + y) + static_cast<size_t>(left) * 3, static_cast<size_t>(width) * 3);
  }
}

}  // namespace zolvex::ktqtool
