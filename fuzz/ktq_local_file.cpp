// A local tiled image file: the bytes become an in-memory file, which is opened by its
// path, and a few tiles of every level are read and decoded.
#include <algorithm>

#include "fuzz/FuzzSupport.h"
#include "image/qmImage.h"
#include "platform/MemoryFile.h"
#include "tiles/KtqLocalFile.h"

using namespace zolvex;

namespace {

void ReadSomeTiles(const zolvex::KtqLocalFile& ktq, int level) {
  const zolvex::LevelInfo& info = ktq.Level(level);
  zolvex::fuzz::Require(info.columns >= 0 && info.rows >= 0, "level grid is not negative");
  // The corners and one tile past the grid on each side.
  const int columns[] = {0, info.columns - 1, info.columns, -1};
  const int rows[] = {0, info.rows - 1, info.rows, -1};
  for (int column : columns) {
    for (int row : rows) {
      auto bytes = ktq.ReadTile(level, column, row);
      if (!info.HasTile(column, row)) zolvex::fuzz::Require(!bytes, "no tile outside the grid");
      if (bytes && column == 0 && row == 0) ktq.DecodeTile(level, column, row);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool capped = (qmImage::setMaxPixels(std::uint64_t{1} << 18), true);
  (void)capped;
  static zolvex::platform::MemoryFile file;
  zolvex::fuzz::Require(file.Replace(data, size), "the in-memory file takes the input");
  zolvex::KtqLocalFile ktq;
  if (ktq.Open(file.Path())) {
    for (int level = 0; level < std::min(ktq.LevelCount(), 64); ++level) ReadSomeTiles(ktq, level);
  } else {
    zolvex::fuzz::Require(!ktq.LastError().empty(), "a refused file says why");
  }
  return 0;
}
