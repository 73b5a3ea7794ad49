#pragma once
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "apps/ktqtool/PyramidBuilder.h"
#include "apps/ktqtool/TileEncoderPool.h"
#include "image/qmAreaShrinker.h"
#include "image/qmImage.h"
#include "tiles/KtqWriter.h"

namespace zolvex::ktqtool {

// Builds a pyramid from a picture given row by row from the top, the way a picture too
// large to hold is read. Each level keeps one band of a tile's height; a full band is cut
// into tiles, which are encoded (on the pool's threads) and spooled to a file per level,
// and every row also passes to the area shrinker that makes the next smaller level. Memory
// is a few bands of each level, whatever the picture's height. The file, written once the
// last row is in, is the one that reducing the whole picture level by level with
// qmImage::resize and cutting every level into tiles gives.
class PyramidStream {
 public:
  struct Settings {
    KtqWriter::Options writer;
    int tileSize = 256;
    int thumbSize = 160;  // 0: no thumbnail
    int threads = 1;
  };

  // spoolBase: the path prefix of the level spools (removed when done).
  PyramidStream(int width, int height, const Settings& settings, std::string spoolBase,
                PyramidBuilder::Progress progress);
  ~PyramidStream();
  PyramidStream(const PyramidStream&) = delete;
  PyramidStream& operator=(const PyramidStream&) = delete;

  // The next row of the full picture (width x 3 bytes, blue-green-red).
  void AddRow(const std::uint8_t* row);
  // After the last row: writes the file. Throws ToolFailure.
  void Write(const std::string& path);

  // The thumbnail's size: the picture's proportions within thumbSize x thumbSize.
  static PyramidBuilder::Size ThumbnailSize(int width, int height, int thumbSize);

 private:
  struct Band;
  struct Level;

  void AddLevelRow(size_t index, const std::uint8_t* row);
  void FlushBand(Level& level);
  void EncodeTile(const Band& band, const Level& level, int column, std::vector<std::uint8_t>& stream) const;
  void DrainFinishedBands();
  void AddThumbnailRow(const std::uint8_t* row);
  std::vector<std::uint8_t> EncodeThumbnail();

  Settings settings_;
  PyramidBuilder builder_;
  std::string spoolBase_;
  PyramidBuilder::Progress progress_;
  std::vector<std::unique_ptr<Level>> levels_;  // smallest first, as in the file
  std::int64_t tilesDone_ = 0;
  std::int64_t tilesTotal_ = 0;
  // The thumbnail's source: the smallest level when it is large enough, else the full
  // picture, shrunk as it passes or (when the thumbnail is larger) held whole.
  bool thumbFromSmallest_ = true;
  PyramidBuilder::Size thumbSize_;
  qmImage thumbSource_;
  int thumbSourceRows_ = 0;
  std::unique_ptr<qmAreaShrinker> thumbShrinker_;
  std::unique_ptr<TileEncoderPool> pool_;  // last: its threads stop before the levels go
};

}  // namespace zolvex::ktqtool
