#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tiles/LevelInfo.h"
#include "tiles/TileSourceListener.h"

namespace zolvex {



// Uniform access to one KTQ image, wherever it lives: a local file, a tile server over TCP
// or a tile server reached through HTTP requests. The base keeps what all three share: the
// settings of the connection and the store of named files that came with the image.
class TileSource {
 public:
  TileSource() = default;
  virtual ~TileSource() = default;
  TileSource(const TileSource&) = delete;
  TileSource& operator=(const TileSource&) = delete;

  virtual void SetNamedRequests(bool named) { namedRequests_ = named; }
  std::string GetAuthString() const;
  void SetAuthString(const std::string& text);
  // True with the bytes when the named file is at hand; otherwise false, and when a
  // listener is given the file is requested and arrives through it later.
  virtual bool GetFile(const std::string& name, std::vector<std::uint8_t>& data, TileSourceListener* listener);
  // Adds a named file to the store and tells the listeners waiting for that name.
  virtual void StoreFile(const std::string& name, const std::uint8_t* data, std::size_t length);
  virtual void StartWorkers() {}
  virtual void SetActive(bool active) { active_ = active; }
  bool IsActive() const { return active_; }

  // The geometry of one level, from LevelAt; -1 for a level the source does not have.
  virtual int GetTileWidth(int level) const;
  virtual int GetTileHeight(int level) const;
  // The decoded tile at once (local files), or null after queueing the request; the tile
  // then arrives through the listener. priority 3 marks a request that is never cancelled.
  virtual std::unique_ptr<ViewImage> RequestTile(const std::string& name, int level, int column, int row,
                                                 int priority) = 0;
  std::unique_ptr<ViewImage> RequestTile(const std::string& name, int level, int column, int row) {
    return RequestTile(name, level, column, row, 1);
  }
  // RequestTile for several tiles of a level, in the given order: the results in the same
  // order. A source that decodes at once may decode them side by side.
  virtual std::vector<std::unique_ptr<ViewImage>> RequestTiles(int level, const std::vector<std::pair<int, int>>& tiles,
                                                               int priority);
  virtual std::unique_ptr<ViewImage> GetThumbnail() = 0;
  virtual int GetRows(int level) const;
  virtual int GetLevelCount() const = 0;
  virtual int GetLevelWidth(int level) const;
  virtual int GetLevelHeight(int level) const;
  virtual int GetColumns(int level) const;
  // The level's description; none when the source is not loaded or has no such level.
  virtual std::optional<LevelInfo> LevelAt(int) const { return std::nullopt; }
  // Stops transfers and threads; no listener call follows.
  virtual void Close() = 0;
  // Cancels queued requests that are not among these tiles of this level.
  virtual void SetNeededTiles(int level, const std::vector<int>& columns, const std::vector<int>& rows) = 0;
  virtual void CancelTile(const std::string& name, int level, int column, int row) = 0;
  std::string GetMessageFile() const { return messageFile_; }

  void SetListener(TileSourceListener* listener);
  TileSourceListener* Listener() const;
  // "http:" and "file:" names are fetched where they are; true with their bytes.
  static bool FetchDirect(const std::string& name, std::vector<std::uint8_t>& data);
  // The path a server knows a file by: a leading "scheme://host" must name the server's
  // host (none otherwise), and a relative name is joined to the image's folder.
  static std::optional<std::string> ServerFileName(const std::string& name, const std::string& host,
                                                   const std::string& directory);
  bool IsLoaded() const { return loaded_; }
  bool IsFixedMode() const { return fixedMode_; }
  int TimeoutMs() const { return timeoutMs_; }

 protected:
  // Looks a name up in the file store (any case).
  bool FindStoredFile(const std::string& name, std::vector<std::uint8_t>& data) const;
  // Remembers that listener waits for name.
  void AddWaiter(const std::string& name, TileSourceListener* listener);

  bool fixedMode_ = false;
  int timeoutMs_ = 50000;
  bool active_ = false;
  bool loaded_ = false;
  bool namedRequests_ = false;
  std::string messageFile_;
  mutable std::recursive_mutex mutex_;  // the file store, the waiters and the listener

 private:
  struct StoredFile {
    std::string name;
    std::vector<std::uint8_t> data;
  };
  struct Waiter {
    std::string name;
    TileSourceListener* listener;
  };
  std::string authString_;
  std::vector<StoredFile> files_;
  std::vector<Waiter> waiters_;
  TileSourceListener* listener_ = nullptr;
};

}  // namespace zolvex
