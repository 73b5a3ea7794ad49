#include "tiles/TileSource.h"

#include <algorithm>

#include "image/ViewImage.h"
#include "net/FetchUrl.h"
#include "platform/TextValues.h"

namespace zolvex {

std::string TileSource::GetAuthString() const {
  std::lock_guard lock(mutex_);
  return authString_;
}

void TileSource::SetAuthString(const std::string& text) {
  std::lock_guard lock(mutex_);
  authString_ = text;
}

void TileSource::SetListener(TileSourceListener* listener) {
  std::lock_guard lock(mutex_);
  listener_ = listener;
}

TileSourceListener* TileSource::Listener() const {
  std::lock_guard lock(mutex_);
  return listener_;
}

bool TileSource::FindStoredFile(const std::string& name, std::vector<std::uint8_t>& data) const {
  std::lock_guard lock(mutex_);
  for (const StoredFile& file : files_) {
    if (EqualsNoCase(file.name, name)) {
      data = file.data;
      return true;
    }
  }
  return false;
}

void TileSource::AddWaiter(const std::string& name, TileSourceListener* listener) {
  std::lock_guard lock(mutex_);
  waiters_.push_back({name, listener});
}

bool TileSource::GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener*) {
  return FindStoredFile(name, data);
}

void TileSource::StoreFile(const std::string& name, const std::uint8_t* data, std::size_t length) {
  std::vector<TileSourceListener*> waiting;
  {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> bytes = data ? std::vector<std::uint8_t>(data, data + length) : std::vector<std::uint8_t>{};
    bool replaced = false;
    for (StoredFile& file : files_) {
      if (EqualsNoCase(file.name, name)) {
        file.data = bytes;
        replaced = true;
      }
    }
    if (!replaced) files_.push_back({name, std::move(bytes)});
    std::erase_if(waiters_, [&](const Waiter& w) {
      if (!EqualsNoCase(w.name, name)) return false;
      waiting.push_back(w.listener);
      return true;
    });
  }
  // Listeners hear of the file outside the lock: they may ask the source for more.
  for (TileSourceListener* listener : waiting) listener->OnFileArrived(name, data, length);
}

std::vector<std::unique_ptr<ViewImage>> TileSource::RequestTiles(int level, const std::vector<std::pair<int, int>>& tiles,
                                                                 int priority) {
  std::vector<std::unique_ptr<ViewImage>> images;
  images.reserve(tiles.size());
  for (auto [column, row] : tiles) images.push_back(RequestTile("", level, column, row, priority));
  return images;
}

int TileSource::GetTileWidth(int level) const { return LevelAt(level) ? LevelAt(level)->tileWidth : -1; }
int TileSource::GetTileHeight(int level) const { return LevelAt(level) ? LevelAt(level)->tileHeight : -1; }
int TileSource::GetRows(int level) const { return LevelAt(level) ? LevelAt(level)->rows : -1; }
int TileSource::GetColumns(int level) const { return LevelAt(level) ? LevelAt(level)->columns : -1; }
int TileSource::GetLevelWidth(int level) const { return LevelAt(level) ? LevelAt(level)->width : -1; }
int TileSource::GetLevelHeight(int level) const { return LevelAt(level) ? LevelAt(level)->height : -1; }

bool TileSource::FetchDirect(const std::string& name, std::vector<std::uint8_t>& data) {
  FetchResult fetched = FetchUrl(name);
  if (!fetched.Ok()) return false;
  data = std::move(*fetched.bytes);
  return true;
}

std::optional<std::string> TileSource::ServerFileName(const std::string& name, const std::string& host,
                                                      const std::string& directory) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  // Only a name with a scheme names a host; "sub/c.png" is a path relative to the image.
  size_t scheme = path.find("://");
  if (scheme != std::string::npos) {
    path = path.substr(scheme + 3);
    size_t slash = path.find('/');
    std::string named = path.substr(0, slash);
    if (!named.empty() && !EqualsNoCase(named.substr(0, named.find(':')), host)) return std::nullopt;
    path = slash == std::string::npos ? std::string("/") : path.substr(slash);
  }
  return path.rfind('/', 0) == 0 ? path : directory + "/" + path;
}

}  // namespace zolvex
