#include "tiles/FileTileSource.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "documents/CReaderException.h"
#include "documents/MessageTable.h"
#include "image/qmImageUtils.h"
#include "net/FetchUrl.h"
#include "platform/TextValues.h"

namespace zolvex {

FileTileSource::FileTileSource(const std::string& path, const std::string& messageFile) {
  messageFile_ = messageFile;
  if (!file_.Open(path)) {
    switch (file_.LastErrorKind()) {
      case KtqLocalFile::ErrorKind::CannotDecodeTile: throw CReaderException(KtqLocalFile::kCannotDecodeTileMessage);
      // A file that exists but is not a usable tiled image says what is wrong with it.
      case KtqLocalFile::ErrorKind::NotKtq:
      case KtqLocalFile::ErrorKind::Damaged: throw CReaderException("1. " + path + ": " + file_.LastError());
      default: throw CReaderException(GetMessageText(401, messageFile, path));
    }
  }
  loaded_ = file_.LevelCount() > 0;
  active_ = true;
  // Files attached to the image answer by name, as a server's attached files do.
  for (const auto& [name, data] : file_.AttachedFiles()) StoreFile(name, data.data(), data.size());
}

std::optional<LevelInfo> FileTileSource::LevelAt(int level) const {
  if (level < 0 || level >= file_.LevelCount()) return std::nullopt;
  return file_.Level(level);
}

int FileTileSource::GetLevelCount() const { return file_.LevelCount(); }

std::unique_ptr<ViewImage> FileTileSource::RequestTile(const std::string&, int level, int column, int row, int) {
  auto info = LevelAt(level);
  if (!info || !info->HasTile(column, row)) return nullptr;
  std::unique_ptr<ViewImage> tile;
  {
    std::lock_guard lock(readLock_);
    tile = file_.DecodeTile(level, column, row);
  }
  // A tile that does not decode is reported like a failed remote one, so that the cache
  // stops asking for it after a few tries.
  if (!tile) {
    if (TileSourceListener* listener = Listener()) listener->OnTileArrived(nullptr, "", level, column, row);
  }
  return tile;
}

std::vector<std::unique_ptr<ViewImage>> FileTileSource::RequestTiles(int level,
                                                                     const std::vector<std::pair<int, int>>& tiles,
                                                                     int) {
  std::vector<std::unique_ptr<ViewImage>> images(tiles.size());
  auto info = LevelAt(level);
  if (!info) return images;
  // The file is read-only once open, so its tiles decode on several threads at once; each
  // thread takes the next tile not yet taken.
  std::atomic<std::size_t> next = 0;
  auto decode = [&] {
    for (std::size_t i; (i = next++) < tiles.size();) {
      auto [column, row] = tiles[i];
      if (!info->HasTile(column, row)) continue;
      images[i] = file_.DecodeTile(level, column, row);
    }
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t working = std::min<std::size_t>({cores, kDecodeThreads, tiles.size()});
  std::vector<std::thread> threads;
  try {
    for (std::size_t i = 1; i < working; ++i) threads.emplace_back(decode);
  } catch (const std::system_error&) {
    // No thread to spare: the threads there are (at least this one) decode everything.
  }
  decode();
  for (std::thread& thread : threads) thread.join();
  // A tile that does not decode is reported like a failed remote one (see RequestTile).
  TileSourceListener* listener = Listener();
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    auto [column, row] = tiles[i];
    if (!images[i] && info->HasTile(column, row) && listener) listener->OnTileArrived(nullptr, "", level, column, row);
  }
  return images;
}

std::unique_ptr<ViewImage> FileTileSource::GetThumbnail() {
  const ViewImage* thumbnail = file_.Thumbnail();
  return thumbnail ? std::make_unique<ViewImage>(*thumbnail) : nullptr;
}

// Named files: the store first; another local image answers with its thumbnail block;
// anything else is read from disk or fetched over HTTP and kept.
bool FileTileSource::GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener*) {
  if (FindStoredFile(name, data)) return true;
  if (EndsWithNoCase(name, ".ktq")) {
    data = KtqLocalFile::ReadThumbnailBlock(name);
  } else {
    FetchResult fetched = FetchUrl(name);
    if (!fetched.Ok()) return false;
    data = std::move(*fetched.bytes);
  }
  if (data.empty()) return false;
  StoreFile(name, data.data(), data.size());
  return true;
}

}  // namespace zolvex
