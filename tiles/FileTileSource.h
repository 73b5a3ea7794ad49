#pragma once
#include <mutex>
#include <string>

#include "tiles/KtqLocalFile.h"
#include "tiles/TileSource.h"

namespace zolvex {

// A KTQ image in a local file. Tiles are read and decoded at once, on the caller's thread;
// the tiles of a frame that are asked for together are decoded side by side.
class FileTileSource : public TileSource {
 public:
  static constexpr unsigned kDecodeThreads = 4;

  // Reads the file's index; raises CReaderException (message 401, or "7. Cannot decode
  // tile") when the file cannot be used.
  FileTileSource(const std::string& path, const std::string& messageFile);

  bool GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener* listener) override;
  std::unique_ptr<ViewImage> RequestTile(const std::string& name, int level, int column, int row,
                                         int priority) override;
  using TileSource::RequestTile;
  // Decodes on up to kDecodeThreads threads (the caller's among them).
  std::vector<std::unique_ptr<ViewImage>> RequestTiles(int level, const std::vector<std::pair<int, int>>& tiles,
                                                       int priority) override;
  std::unique_ptr<ViewImage> GetThumbnail() override;
  std::optional<LevelInfo> LevelAt(int level) const override;
  int GetLevelCount() const override;
  void Close() override {}
  void SetNeededTiles(int, const std::vector<int>&, const std::vector<int>&) override {}
  void CancelTile(const std::string&, int, int, int) override {}

 private:

  KtqLocalFile file_;
  std::mutex readLock_;
};

}  // namespace zolvex
