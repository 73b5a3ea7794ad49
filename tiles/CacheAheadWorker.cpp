#include "tiles/CacheAheadWorker.h"

#include <algorithm>
#include <chrono>

#include "tiles/TileCache.h"

namespace zolvex {

CacheAheadWorker::CacheAheadWorker(TileCache& cache) : cache_(cache) {}

CacheAheadWorker::~CacheAheadWorker() { Stop(); }

void CacheAheadWorker::Start() {
  std::lock_guard lock(listLock_);
  if (active_) return;
  active_ = true;
  thread_ = std::thread([this] { Run(); });
}

void CacheAheadWorker::Stop() {
  {
    std::lock_guard lock(listLock_);
    active_ = false;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool CacheAheadWorker::IsRunning() const {
  std::lock_guard lock(listLock_);
  return active_;
}

void CacheAheadWorker::SetRectangle(int level, int firstColumn, int firstRow, int columns, int rows) {
  const Rect rect{level, firstColumn, firstRow, columns, rows};
  {
    std::lock_guard lock(listLock_);
    if (rect == rect_) return;
    rect_ = rect;
    items_.clear();
    items_.reserve(16 * static_cast<std::size_t>(std::max(columns, 0) + std::max(rows, 0)) + 64);
    for (int ring = 1; ring <= kRings; ++ring) AddRing(ring);
    next_ = 0;
  }
  wake_.notify_all();
}

// Ring k lies k tiles outside the rectangle; its corners belong to its columns.
void CacheAheadWorker::AddRing(int ring) {
  const int left = rect_.column - ring, right = rect_.column + rect_.columns - 1 + ring;
  const int top = rect_.row - ring, bottom = rect_.row + rect_.rows - 1 + ring;
  for (int row = top; row <= bottom; ++row) items_.push_back({rect_.level, right, row});
  for (int row = top; row <= bottom; ++row) items_.push_back({rect_.level, left, row});
  for (int column = left + 1; column < right; ++column) items_.push_back({rect_.level, column, bottom});
  for (int column = left + 1; column < right; ++column) items_.push_back({rect_.level, column, top});
}

std::vector<CacheAheadWorker::Item> CacheAheadWorker::PendingItems() const {
  std::lock_guard lock(listLock_);
  return {items_.begin() + static_cast<std::ptrdiff_t>(next_), items_.end()};
}

bool CacheAheadWorker::TakeNext(Item& item) {
  std::unique_lock lock(listLock_);
  if (!active_) return false;
  if (next_ >= items_.size()) {
    // Nothing left: look again after a while, or as soon as a new rectangle or Stop comes.
    wake_.wait_for(lock, std::chrono::milliseconds(kIdleMs));
    if (!active_ || next_ >= items_.size()) return false;
  }
  item = items_[next_++];
  return true;
}

void CacheAheadWorker::Run() {
  for (;;) {
    Item item{};
    if (TakeNext(item)) {
      // The request runs without the list lock: the view's own requests take precedence.
      cache_.OnRequestAhead(item.level, item.column, item.row, 0);
    } else if (!IsRunning()) {
      return;
    }
  }
}

}  // namespace zolvex
