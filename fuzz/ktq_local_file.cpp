// A local tiled image file: the bytes are written to a private temporary file, opened, and
// a few tiles of every level are read and decoded.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "image/qmImage.h"
#include "tiles/KtqLocalFile.h"

namespace {

std::string TemporaryPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/zolvex-fuzz-" + std::to_string(getpid()) + ".ktq";
}

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

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
  static const std::string path = TemporaryPath();
  if (!WriteFile(path, data, size)) return 0;
  zolvex::KtqLocalFile ktq;
  if (ktq.Open(path)) {
    for (int level = 0; level < std::min(ktq.LevelCount(), 64); ++level) ReadSomeTiles(ktq, level);
  } else {
    zolvex::fuzz::Require(!ktq.LastError().empty(), "a refused file says why");
  }
  std::remove(path.c_str());
  return 0;
}
