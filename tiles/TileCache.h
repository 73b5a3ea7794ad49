#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/Geometry.h"
#include "tiles/CComponentTile.h"
#include "tiles/TileKey.h"
#include "tiles/TileSourceListener.h"

namespace zolvex {

class CacheAheadWorker;
class TileSource;

// What the cache tells the document that owns it. Calls come from transport threads,
// under the cache's link lock.
class TileCacheOwner {
 public:
  virtual ~TileCacheOwner() = default;
  // A tile arrived (entry null: a named file arrived).
  virtual void OnTileEntryArrived(CComponentTile* entry) = 0;
  // The last tile that the last GetTiles found missing has arrived.
  virtual void OnFrameTilesArrived() {}
  virtual void OnCacheError(int code, const std::string& message) = 0;
  virtual void OnCacheServerMessage(const std::string& name, const std::string& value) = 0;
};

// A (column, row) pair of a level.
using TilePosition = std::pair<int, int>;

// An entry as the cache hands it out. The rule: whoever holds a handle may draw the tile
// for as long as it holds it; eviction only drops the cache's own reference.
using TileHandle = std::shared_ptr<CComponentTile>;

// The decoded tiles of one image, bounded in number: visible tiles are requested from the
// source centre first, missing ones stand in as drafts made from other levels, and when
// the cache is full the tiles farthest from the view go first. A tile that fails is asked
// for again after growing pauses, and after kMaxTileFailures failures its draft stands
// for good.
class TileCache : public TileSourceListener {
 public:
  static constexpr int kMaxTileFailures = 4;
  // The pause after the first failure; it doubles with each further one.
  static constexpr std::uint64_t kFirstRetryPauseMs = 250;
  using Clock = std::function<std::uint64_t()>;

  TileCache(TileSource& source, platform::Color background, bool drafts);
  ~TileCache() override;

  // Capacity and low-water mark; levels 0 to pinned are never evicted, and the tiles of
  // levels below pinned are added to both numbers.
  void Configure(int capacity, int lowWater, int pinned);
  int Capacity() const;
  int LowWater() const;

  // The entries of the given tiles of a level, in order; null where a tile is outside the
  // level or has nothing to show yet. Missing tiles are requested; with notify the source
  // first hears the new needed set.
  std::vector<TileHandle> GetTiles(int level, const std::vector<TilePosition>& tiles, bool notify);
  // Whether the tile failed for good: its draft is all it will show.
  bool GaveUp(int level, int column, int row) const;
  // The millisecond clock of the retry pauses (the platform's tick count by default).
  void SetClock(Clock clock);
  void SetCentre(int level, int column, int row);
  void SetOffset(int x, int y);
  void SetRotation(int degrees);
  void SetScale(double sx, double sy);

  // The picture of the whole image (upright): a tile that no other level covers yet is
  // drafted from its part of it, so a first frame shows the image blurred, not the
  // background. Null: none.
  void SetThumbnail(std::shared_ptr<const ViewImage> thumbnail);

  // The worker that asks for tiles ahead pauses while GetTiles issues requests.
  void SetWorker(CacheAheadWorker* worker);

  // The owner hears of arrivals until it detaches (under the link lock).
  void Attach(TileCacheOwner* owner);
  void Detach();
  std::size_t Size() const;
  TileHandle Find(int level, int column, int row) const;

  // Orders a rectangle of tiles from its centre outwards.
  static std::vector<TilePosition> CentreFirst(int firstColumn, int firstRow, int columns, int rows);

  // Listener of the source.
  void OnTileArrived(std::unique_ptr<ViewImage> image, const std::string& name, int level, int column,
                     int row) override;
  void OnFileArrived(const std::string& name, const std::uint8_t* data, std::size_t length) override;
  void OnError(int code, const std::string& message) override;
  void OnServerMessage(const std::string& name, const std::string& value) override;
  void OnRequestAhead(int level, int column, int row, int priority) override;

 private:
  // How a missing tile is to be treated now.
  enum class Retry { Ask, Wait, GiveUp };
  // A picture standing in for a missing tile, made from another level or the thumbnail.
  // When its source is coarser it is kept at 1/reduction of the tile's resolution: the
  // blit enlarges it on the screen to the same pixels, for a fraction of the work.
  struct Draft {
    std::unique_ptr<ViewImage> image;
    int reduction = 1;
  };
  struct Failure {
    int count = 0;
    std::uint64_t retryAtMs = 0;
  };

  bool InsideLevel(int level, int column, int row) const;
  // Whether the last frame asked for the tile.
  bool Needed(int level, int column, int row) const;
  TileHandle Lookup(const TileKey& key) const;
  Retry RetryState(const TileKey& key) const;
  void RecordFailure(const TileKey& key);
  TileHandle ShowForGood(const TileKey& key);
  TileHandle Insert(int level, int column, int row, std::unique_ptr<ViewImage> image, bool draft, int reduction = 1);
  void CountMissing(int level, const std::vector<TilePosition>& tiles, const std::vector<TileHandle>& found);
  // Counts in the picture of a tile that was missing; true when it was the last one
  // the view waited for.
  bool CountArrival(const TileKey& key);
  void Evict();
  long long Distance(const CComponentTile& entry) const;
  std::unique_ptr<ViewImage> BackgroundTile(int level, int reduction = 1) const;
  // mostReduction 1 asks for a picture at the tile's own resolution.
  Draft MakeDraft(int level, int column, int row, int mostReduction);
  Draft CopyFromLevel(int level, int column, int row, int candidate, int mostReduction);
  Draft CopyFromThumbnail(int level, int column, int row, int mostReduction) const;
  int ReductionFor(int level, double enlargeX, double enlargeY, int mostReduction) const;

  TileSource& source_;
  const platform::Color background_;
  const bool drafts_;
  std::shared_ptr<const ViewImage> thumbnail_;  // under the map lock
  int capacity_ = 200;
  int lowWater_ = 100;
  int pinned_ = -1;
  int offsetX_ = 0, offsetY_ = 0;
  int rotation_ = 0;
  double scaleX_ = 1.0, scaleY_ = 1.0;
  int neededLevel_ = -1;
  std::unordered_set<TilePosition, TilePositionHash> needed_;
  int neededMissing_ = 0;  // of needed_, the tiles still missing or drafts
  int centreLevel_ = -1, centreColumn_ = 0, centreRow_ = 0;
  std::unordered_map<TileKey, TileHandle, TileKeyHash> entries_;
  // The size at which the next eviction runs: the capacity, or twice what the last one had
  // to keep (when the view itself needs more tiles), so that it never runs per insert.
  std::size_t evictAt_ = 200;
  std::unordered_map<TileKey, Failure, TileKeyHash> failures_;
  Clock clock_;
  mutable std::recursive_mutex mapLock_;
  std::mutex linkLock_;
  TileCacheOwner* owner_ = nullptr;
  CacheAheadWorker* worker_ = nullptr;
};

}  // namespace zolvex
