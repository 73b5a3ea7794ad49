#include "tiles/TileCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include <limits>

#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "tiles/CacheAheadWorker.h"
#include "tiles/TileSource.h"

namespace zolvex {

namespace {
constexpr long long kOtherLevelDistance = 1'000'000'000;
// Drafts from a coarser source are kept at down to 1/128 of a tile's resolution.
constexpr int kMostDraftReduction = 128;
}

TileCache::TileCache(TileSource& source, platform::Color background, bool drafts)
    : source_(source), background_(background), drafts_(drafts), clock_(platform::TickCountMs) {}

TileCache::~TileCache() = default;

void TileCache::Configure(int capacity, int lowWater, int pinned) {
  std::lock_guard lock(mapLock_);
  // A hostile description may declare levels of billions of tiles: the sums saturate.
  constexpr std::int64_t kMost = std::numeric_limits<int>::max();
  std::int64_t pinnedTiles = 0;
  for (int level = 0; level < pinned && pinnedTiles < kMost; ++level) {
    pinnedTiles += std::int64_t{std::max(source_.GetColumns(level), 0)} * std::max(source_.GetRows(level), 0);
  }
  capacity_ = static_cast<int>(std::clamp(capacity + pinnedTiles, std::int64_t{0}, kMost));
  lowWater_ = static_cast<int>(std::clamp(lowWater + pinnedTiles, std::int64_t{0}, kMost));
  pinned_ = pinned;
  evictAt_ = static_cast<std::size_t>(capacity_);
}

void TileCache::SetClock(Clock clock) {
  std::lock_guard lock(mapLock_);
  clock_ = std::move(clock);
}

int TileCache::Capacity() const {
  std::lock_guard lock(mapLock_);
  return capacity_;
}

int TileCache::LowWater() const {
  std::lock_guard lock(mapLock_);
  return lowWater_;
}

std::vector<TilePosition> TileCache::CentreFirst(int firstColumn, int firstRow, int columns, int rows) {
  std::vector<TilePosition> order;
  if (columns <= 0 || rows <= 0) return order;
  order.reserve(static_cast<size_t>(columns) * rows);
  const int lastColumn = firstColumn + columns - 1, lastRow = firstRow + rows - 1;
  const int c0 = firstColumn + (columns - 1) / 2, r0 = firstRow + (rows - 1) / 2;
  for (int d = 0; r0 - d >= firstRow || r0 + d <= lastRow; ++d) {
    const bool upper = r0 - d >= firstRow;
    const bool lower = d > 0 && r0 + d <= lastRow;
    auto addColumn = [&](int column) {
      if (upper) order.emplace_back(column, r0 - d);
      if (lower) order.emplace_back(column, r0 + d);
    };
    for (int i = 0; c0 - i >= firstColumn || c0 + i <= lastColumn; ++i) {
      if (c0 - i >= firstColumn) addColumn(c0 - i);
      if (i > 0 && c0 + i <= lastColumn) addColumn(c0 + i);
    }
  }
  return order;
}

bool TileCache::InsideLevel(int level, int column, int row) const {
  return column >= 0 && row >= 0 && column < source_.GetColumns(level) && row < source_.GetRows(level);
}

std::vector<TileHandle> TileCache::GetTiles(int level, const std::vector<TilePosition>& tiles, bool notify) {
  std::lock_guard lock(mapLock_);
  neededLevel_ = level;
  needed_ = {tiles.begin(), tiles.end()};
  std::vector<TileHandle> result(tiles.size());
  // First what is at hand; the tiles to ask for are gathered, centre first, and asked for
  // together.
  std::vector<std::size_t> asked;
  for (size_t j = 0; j < tiles.size(); ++j) {
    auto [column, row] = tiles[j];
    if (!InsideLevel(level, column, row)) continue;
    const TileKey key{level, column, row};
    TileHandle entry = Lookup(key);
    if (entry && !entry->IsDraft()) {
      result[j] = std::move(entry);
      continue;
    }
    const Retry retry = RetryState(key);
    if (retry != Retry::Ask) {
      result[j] = retry == Retry::GiveUp ? ShowForGood(key) : std::move(entry);
      continue;
    }
    asked.push_back(j);
  }
  if (asked.empty()) {
    CountMissing(level, tiles, result);
    return result;
  }
  if (notify) {
    std::vector<int> columns, rows;
    columns.reserve(tiles.size());
    rows.reserve(tiles.size());
    for (auto [c, r] : tiles) {
      columns.push_back(c);
      rows.push_back(r);
    }
    source_.SetNeededTiles(level, columns, rows);
  }
  std::unique_lock<std::mutex> workerPaused;
  if (worker_) workerPaused = worker_->PauseWhileRequesting();
  std::vector<TilePosition> positions;
  positions.reserve(asked.size());
  for (std::size_t j : asked) positions.push_back(tiles[j]);
  std::vector<std::unique_ptr<ViewImage>> images = source_.RequestTiles(level, positions, 1);
  for (std::size_t k = 0; k < asked.size(); ++k) {
    const std::size_t j = asked[k];
    auto [column, row] = tiles[j];
    TileHandle entry = Lookup(TileKey{level, column, row});
    std::unique_ptr<ViewImage> image = k < images.size() ? std::move(images[k]) : nullptr;
    if (!entry) {
      if (image) {
        entry = Insert(level, column, row, std::move(image), false);
      } else if (Draft draft = MakeDraft(level, column, row, kMostDraftReduction); draft.image) {
        entry = Insert(level, column, row, std::move(draft.image), true, draft.reduction);
      }
    } else if (image) {
      entry = Insert(level, column, row, std::move(image), false);
    }
    result[j] = std::move(entry);
  }
  CountMissing(level, tiles, result);
  return result;
}

void TileCache::CountMissing(int level, const std::vector<TilePosition>& tiles, const std::vector<TileHandle>& found) {
  neededMissing_ = 0;
  for (size_t j = 0; j < tiles.size(); ++j) {
    if (InsideLevel(level, tiles[j].first, tiles[j].second) && (!found[j] || found[j]->IsDraft())) ++neededMissing_;
  }
}

bool TileCache::CountArrival(const TileKey& key) {
  if (neededMissing_ <= 0 || !Needed(key.level, key.column, key.row)) return false;
  return --neededMissing_ == 0;
}

bool TileCache::Needed(int level, int column, int row) const {
  std::lock_guard lock(mapLock_);
  return level == neededLevel_ && needed_.count(TilePosition{column, row}) > 0;
}

TileHandle TileCache::Lookup(const TileKey& key) const {
  auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : found->second;
}

TileCache::Retry TileCache::RetryState(const TileKey& key) const {
  auto found = failures_.find(key);
  if (found == failures_.end()) return Retry::Ask;
  if (found->second.count >= kMaxTileFailures) return Retry::GiveUp;
  return clock_() < found->second.retryAtMs ? Retry::Wait : Retry::Ask;
}

void TileCache::RecordFailure(const TileKey& key) {
  std::lock_guard lock(mapLock_);
  Failure& failure = failures_[key];
  ++failure.count;
  failure.retryAtMs = clock_() + (kFirstRetryPauseMs << std::min(failure.count - 1, 16));
}

bool TileCache::GaveUp(int level, int column, int row) const {
  std::lock_guard lock(mapLock_);
  return RetryState(TileKey{level, column, row}) == Retry::GiveUp;
}

// A tile that failed for good keeps its draft (or the background) as its final picture,
// so that it is neither asked for again nor waited for.
TileHandle TileCache::ShowForGood(const TileKey& key) {
  TileHandle entry = Lookup(key);
  if (entry && !entry->IsDraft()) return entry;
  std::unique_ptr<ViewImage> image = MakeDraft(key.level, key.column, key.row, 1).image;
  if (!image) image = BackgroundTile(key.level);
  if (!image) return entry;
  if (!entry) return Insert(key.level, key.column, key.row, std::move(image), false);
  entry->SetImage(std::move(image), false, rotation_);
  return entry;
}

void TileCache::SetCentre(int level, int column, int row) {
  std::lock_guard lock(mapLock_);
  centreLevel_ = level;
  centreColumn_ = column;
  centreRow_ = row;
}

void TileCache::SetOffset(int x, int y) {
  std::lock_guard lock(mapLock_);
  offsetX_ = x;
  offsetY_ = y;
  for (auto& [key, entry] : entries_) entry->SetOffset(x, y);
}

void TileCache::SetScale(double sx, double sy) {
  std::lock_guard lock(mapLock_);
  scaleX_ = sx;
  scaleY_ = sy;
  for (auto& [key, entry] : entries_) entry->SetScale(sx, sy);
}

void TileCache::SetRotation(int degrees) {
  std::lock_guard lock(mapLock_);
  rotation_ = degrees;
  for (auto& [key, entry] : entries_) entry->SetRotation(degrees);
}

TileHandle TileCache::Insert(int level, int column, int row, std::unique_ptr<ViewImage> image, bool draft,
                             int reduction) {
  std::lock_guard lock(mapLock_);
  const TileKey key{level, column, row};
  if (!draft) failures_.erase(key);
  auto found = entries_.find(key);
  if (found != entries_.end()) {
    TileHandle existing = found->second;
    // A final tile never goes back to a draft, nor is it replaced.
    if (existing->IsDraft()) {
      existing->SetImage(std::move(image), draft, rotation_, reduction);
    }
    return existing;
  }
  if (entries_.size() >= evictAt_) Evict();
  auto entry = std::make_shared<CComponentTile>(level, column, row, source_.GetTileWidth(level),
                                                source_.GetTileHeight(level), source_.GetLevelWidth(level),
                                                source_.GetLevelHeight(level));
  entry->SetImage(std::move(image), draft, rotation_, reduction);
  entry->SetOffset(offsetX_, offsetY_);
  entry->SetScale(scaleX_, scaleY_);
  entries_[key] = entry;
  return entry;
}

long long TileCache::Distance(const CComponentTile& entry) const {
  if (entry.Level() != centreLevel_) return kOtherLevelDistance;
  if (entry.Level() == neededLevel_ && needed_.count(TilePosition{entry.Column(), entry.Row()})) return 0;
  long long dr = centreRow_ - entry.Row(), dc = centreColumn_ - entry.Column();
  return dr * dr + dc * dc;
}

// Removes, in one pass, the entries farthest from the view down to the low-water mark;
// pinned levels and the tiles the view needs stay. Entries still held by a frame live on
// in their handles.
void TileCache::Evict() {
  const size_t count = entries_.size() - std::min<size_t>(entries_.size(), static_cast<size_t>(std::max(lowWater_, 0)));
  std::vector<std::pair<long long, TileKey>> candidates;
  for (const auto& [key, entry] : entries_) {
    if (entry->Level() <= pinned_) continue;
    long long distance = Distance(*entry);
    if (distance > 0) candidates.emplace_back(distance, key);
  }
  size_t take = std::min(count, candidates.size());
  std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(take), candidates.end(),
                    [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t i = 0; i < take; ++i) entries_.erase(candidates[i].second);
  evictAt_ = std::max(static_cast<size_t>(std::max(capacity_, 1)), 2 * entries_.size());
}

std::unique_ptr<ViewImage> TileCache::BackgroundTile(int level, int reduction) const {
  const int tileWidth = CeilDiv(source_.GetTileWidth(level), reduction);
  const int tileHeight = CeilDiv(source_.GetTileHeight(level), reduction);
  if (tileWidth <= 0 || tileHeight <= 0) return nullptr;
  auto draft = std::make_unique<ViewImage>(tileWidth, tileHeight, 24);
  if (!draft->isValid()) return nullptr;
  const qmRGBQuad fill = qmMakeColor(platform::RedOf(background_), platform::GreenOf(background_),
                                     platform::BlueOf(background_));
  // One row is filled pixel by pixel, the others are copies of it.
  std::uint8_t* first = draft->getRow(0);
  for (int x = 0; x < tileWidth; ++x) {
    first[x * 3] = fill.blue;
    first[x * 3 + 1] = fill.green;
    first[x * 3 + 2] = fill.red;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(tileWidth) * 3;
  for (int y = 1; y < tileHeight; ++y) std::memcpy(draft->getRow(y), first, rowBytes);
  return draft;
}

TileCache::Draft TileCache::MakeDraft(int level, int column, int row, int mostReduction) {
  if (!drafts_) return {BackgroundTile(level), 1};
  // The next finer level first (its tiles are sharper), then the coarser ones downwards.
  const int levels = source_.GetLevelCount();
  std::vector<int> candidates;
  candidates.push_back(level + 1 < levels ? level + 1 : levels - 1);
  for (int n = level - 1; n >= 0; --n) candidates.push_back(n);
  std::lock_guard lock(mapLock_);
  for (int candidate : candidates) {
    if (candidate == level || candidate < 0) continue;
    if (Draft draft = CopyFromLevel(level, column, row, candidate, mostReduction); draft.image) return draft;
  }
  return CopyFromThumbnail(level, column, row, mostReduction);
}

// The largest power of two, at most mostReduction, by which a source enlarged this much
// can be kept smaller than the tile with no detail lost (a tile keeps one pixel at least).
int TileCache::ReductionFor(int level, double enlargeX, double enlargeY, int mostReduction) const {
  const double most = std::min({enlargeX, enlargeY, double(source_.GetTileWidth(level)),
                                double(source_.GetTileHeight(level)), double(mostReduction)});
  int reduction = 1;
  while (reduction * 2 <= most) reduction *= 2;
  return reduction;
}

void TileCache::SetThumbnail(std::shared_ptr<const ViewImage> thumbnail) {
  std::lock_guard lock(mapLock_);
  thumbnail_ = std::move(thumbnail);
}

// The part of the thumbnail that the tile covers, stretched to the tile; the part of an
// edge tile beyond the level stays background.
TileCache::Draft TileCache::CopyFromThumbnail(int level, int column, int row, int mostReduction) const {
  if (!thumbnail_ || !thumbnail_->isValid()) return {};
  const int levelWidth = source_.GetLevelWidth(level), levelHeight = source_.GetLevelHeight(level);
  const int tileWidth = source_.GetTileWidth(level), tileHeight = source_.GetTileHeight(level);
  const int width = std::min(tileWidth, levelWidth - column * tileWidth);
  const int height = std::min(tileHeight, levelHeight - row * tileHeight);
  if (width <= 0 || height <= 0) return {};
  const double rx = double(thumbnail_->getWidth()) / levelWidth, ry = double(thumbnail_->getHeight()) / levelHeight;
  const int left = std::min(static_cast<int>(rx * column * tileWidth), thumbnail_->getWidth() - 1);
  const int top = std::min(static_cast<int>(ry * row * tileHeight), thumbnail_->getHeight() - 1);
  const int right = std::clamp(static_cast<int>(std::ceil(rx * (double(column) * tileWidth + width))), left + 1,
                               thumbnail_->getWidth());
  const int bottom = std::clamp(static_cast<int>(std::ceil(ry * (double(row) * tileHeight + height))), top + 1,
                                thumbnail_->getHeight());
  auto part = thumbnail_->subImage(left, top, right - left, bottom - top);
  if (!part || !part->increaseBpp(24)) return {};
  const int reduction = ReductionFor(level, 1 / rx, 1 / ry, mostReduction);
  Draft draft{BackgroundTile(level, reduction), reduction};
  const int drawnWidth = CeilDiv(width, reduction), drawnHeight = CeilDiv(height, reduction);
  qmImage scaled;
  if (!draft.image || !part->resize(drawnWidth, drawnHeight, 1, &scaled) ||
      !scaled.drawToImage(0, 0, drawnWidth, drawnHeight, *draft.image, 0, 0, 0)) {
    return {};
  }
  return draft;
}

// The draft of (level, column, row) from the tiles of another level that cover its area;
// none unless every covering tile is loaded.
TileCache::Draft TileCache::CopyFromLevel(int level, int column, int row, int candidate, int mostReduction) {
  const int tileWidth = source_.GetTileWidth(level), tileHeight = source_.GetTileHeight(level);
  const int candidateTileWidth = source_.GetTileWidth(candidate), candidateTileHeight = source_.GetTileHeight(candidate);
  const double rx = double(source_.GetLevelWidth(candidate)) / source_.GetLevelWidth(level);
  const double ry = double(source_.GetLevelHeight(candidate)) / source_.GetLevelHeight(level);
  if (tileWidth <= 0 || tileHeight <= 0 || candidateTileWidth <= 0 || candidateTileHeight <= 0 || !(rx > 0) ||
      !(ry > 0)) {
    return {};
  }
  // The target area in pixels of the candidate level.
  const double ax = rx * column * tileWidth, ay = ry * row * tileHeight;
  const double aw = rx * tileWidth, ah = ry * tileHeight;
  const int firstColumn = static_cast<int>(std::floor(ax / candidateTileWidth));
  const int firstRow = static_cast<int>(std::floor(ay / candidateTileHeight));
  const int lastColumn = std::min(static_cast<int>(std::ceil((ax + aw) / candidateTileWidth)) - 1,
                                  source_.GetColumns(candidate) - 1);
  const int lastRow = std::min(static_cast<int>(std::ceil((ay + ah) / candidateTileHeight)) - 1,
                               source_.GetRows(candidate) - 1);
  if (lastColumn < firstColumn || lastRow < firstRow) return {};
  std::vector<CComponentTile*> covering;
  for (int r = firstRow; r <= lastRow; ++r) {
    for (int c = firstColumn; c <= lastColumn; ++c) {
      auto found = entries_.find(TileKey{candidate, c, r});
      if (found == entries_.end() || !found->second->IsLoaded()) return {};
      covering.push_back(found->second.get());
    }
  }
  const int reduction = ReductionFor(level, 1 / rx, 1 / ry, mostReduction);
  Draft draft{BackgroundTile(level, reduction), reduction};
  if (!draft.image) return {};
  ViewImage& target = *draft.image;
  // Candidate pixels per pixel of the draft.
  const double px = rx * reduction, py = ry * reduction;
  for (CComponentTile* tile : covering) {
    const int turns = CComponentTile::QuarterTurns(tile->Rotation());
    tile->WithImage([&](const ViewImage* turned) {
      if (!turned) return;
      // Drafts are made upright; the cache turns them like every other entry.
      std::optional<qmImage> upright;
      if (turns != 0) {
        upright.emplace(*turned);
        if (!upright->rotateQuarter(-turns)) return;
      }
      const qmImage* image = upright ? &*upright : turned;
      // Overlap of this tile with the target area, in candidate-level pixels.
      const double tx = double(tile->Column()) * candidateTileWidth, ty = double(tile->Row()) * candidateTileHeight;
      const double left = std::max(ax, tx), top = std::max(ay, ty);
      const double right = std::min(ax + aw, tx + image->getWidth()), bottom = std::min(ay + ah, ty + image->getHeight());
      const int srcLeft = static_cast<int>(left - tx), srcTop = static_cast<int>(top - ty);
      const int srcWidth = static_cast<int>(std::ceil(right - tx)) - srcLeft;
      const int srcHeight = static_cast<int>(std::ceil(bottom - ty)) - srcTop;
      if (srcWidth <= 0 || srcHeight <= 0) return;
      const int dstLeft = static_cast<int>(std::lround((left - ax) / px));
      const int dstTop = static_cast<int>(std::lround((top - ay) / py));
      const int dstWidth = std::max(1, static_cast<int>(std::lround(srcWidth / px)));
      const int dstHeight = std::max(1, static_cast<int>(std::lround(srcHeight / py)));
      auto part = image->subImage(srcLeft, srcTop, srcWidth, srcHeight);
      if (!part || !part->increaseBpp(24)) return;
      qmImage scaled;
      if (!part->resize(dstWidth, dstHeight, 1, &scaled)) return;
      scaled.drawToImage(0, 0, std::min(dstWidth, target.getWidth() - dstLeft),
                         std::min(dstHeight, target.getHeight() - dstTop), target, dstLeft, dstTop, 0);
    });
  }
  return draft;
}

void TileCache::Attach(TileCacheOwner* owner) {
  std::lock_guard lock(linkLock_);
  owner_ = owner;
}

void TileCache::Detach() {
  std::lock_guard lock(linkLock_);
  owner_ = nullptr;
}

std::size_t TileCache::Size() const {
  std::lock_guard lock(mapLock_);
  return entries_.size();
}

TileHandle TileCache::Find(int level, int column, int row) const {
  std::lock_guard lock(mapLock_);
  return Lookup(TileKey{level, column, row});
}

void TileCache::OnTileArrived(std::unique_ptr<ViewImage> image, const std::string&, int level, int column, int row) {
  // A failed tile (none, or one that did not decode) keeps its draft and is asked for
  // again, after a pause, by a later frame.
  if (!image) return RecordFailure(TileKey{level, column, row});
  const TileKey key{level, column, row};
  bool last = false;
  TileHandle entry;
  {
    std::lock_guard lock(mapLock_);
    const TileHandle before = Lookup(key);
    const bool wasMissing = !before || before->IsDraft();
    entry = Insert(level, column, row, std::move(image), false);
    last = wasMissing && CountArrival(key);
  }
  std::lock_guard link(linkLock_);
  if (!owner_) return;
  owner_->OnTileEntryArrived(entry.get());
  if (last) owner_->OnFrameTilesArrived();
}

void TileCache::OnFileArrived(const std::string&, const std::uint8_t*, std::size_t) {
  std::lock_guard link(linkLock_);
  if (owner_) owner_->OnTileEntryArrived(nullptr);
}

void TileCache::OnError(int code, const std::string& message) {
  std::lock_guard link(linkLock_);
  if (owner_) owner_->OnCacheError(code, message);
}

void TileCache::OnServerMessage(const std::string& name, const std::string& value) {
  std::lock_guard link(linkLock_);
  if (owner_) owner_->OnCacheServerMessage(name, value);
}

void TileCache::SetWorker(CacheAheadWorker* worker) {
  std::lock_guard lock(mapLock_);
  worker_ = worker;
}

void TileCache::OnRequestAhead(int level, int column, int row, int priority) {
  if (Find(level, column, row) || !InsideLevel(level, column, row)) return;
  auto image = source_.RequestTile("", level, column, row, priority);
  if (image) Insert(level, column, row, std::move(image), false);
}

}  // namespace zolvex
