#pragma once
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace zolvex {

class TileCache;

// Asks for the tiles just outside the view before the user pans to them: two rings
// around the last tile rectangle, the nearer ring first, each ring as its right column,
// its left column, its bottom row and its top row. The requests go to the cache one at a
// time on the worker's own thread, with the lowest priority.
class CacheAheadWorker {
 public:
  struct Item {
    int level, column, row;
    friend bool operator==(const Item&, const Item&) = default;
  };

  explicit CacheAheadWorker(TileCache& cache);
  ~CacheAheadWorker();
  CacheAheadWorker(const CacheAheadWorker&) = delete;
  CacheAheadWorker& operator=(const CacheAheadWorker&) = delete;

  void Start();
  // Returns once the thread has left its loop.
  void Stop();
  bool IsRunning() const;

  // The rectangle of tiles now in view; the same rectangle again changes nothing.
  void SetRectangle(int level, int firstColumn, int firstRow, int columns, int rows);
  // The list lock: the cache holds it while it issues the view's own requests, so that
  // the worker never competes with them.
  std::unique_lock<std::mutex> PauseWhileRequesting() { return std::unique_lock(listLock_); }
  // The tiles still to ask for, in order.
  std::vector<Item> PendingItems() const;

  static constexpr int kRings = 2;
  static constexpr int kIdleMs = 500;

 private:
  void Run();
  bool TakeNext(Item& item);
  void AddRing(int ring);

  TileCache& cache_;
  mutable std::mutex listLock_;
  std::condition_variable wake_;
  std::vector<Item> items_;
  std::size_t next_ = 0;
  struct Rect {
    int level = -1, column = 0, row = 0, columns = 0, rows = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
  } rect_;
  bool active_ = false;
  std::thread thread_;
};

}  // namespace zolvex
