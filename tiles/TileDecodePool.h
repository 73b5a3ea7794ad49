#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zolvex {

// Threads that decode the tiles the network sources receive, so that a burst of answers
// decodes side by side instead of one tile after another on the thread that reads the
// connection. Jobs run in the order they were handed in; a full queue makes the caller
// wait, which holds the connection back instead of piling up undecoded tiles.
//
//   TileDecodeGroup decodes(TileDecodePool::Shared());
//   decodes.Submit([payload = std::move(bytes), this] { Deliver(Decode(payload)); });
//   ...
//   decodes.Close();  // no job of the group runs after this
class TileDecodePool {
 public:
  using Job = std::function<void()>;
  static constexpr int kMostThreads = 4;
  static constexpr std::size_t kQueueCapacity = 64;

  // threads at least 1; capacity at least 1 job.
  TileDecodePool(int threads, std::size_t capacity);
  // Runs what is queued, then joins the threads.
  ~TileDecodePool();
  TileDecodePool(const TileDecodePool&) = delete;
  TileDecodePool& operator=(const TileDecodePool&) = delete;

  // The pool every network source shares: a thread per core, at most kMostThreads.
  static TileDecodePool& Shared();

  // Queues job, waiting while capacity jobs are queued. A pool that could start no thread
  // runs the job at once on the caller's thread.
  void Submit(Job job);
  int Threads() const { return static_cast<int>(threads_.size()); }

 private:
  void Run();

  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable work_;   // a job was queued, or the pool stops
  std::condition_variable space_;  // a job left the queue
  std::deque<Job> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// The jobs one source hands to a pool. Closing waits for the group's running jobs and
// makes its queued ones skip, so that nothing reaches the source once it has closed.
class TileDecodeGroup {
 public:
  explicit TileDecodeGroup(TileDecodePool& pool);
  ~TileDecodeGroup();
  TileDecodeGroup(const TileDecodeGroup&) = delete;
  TileDecodeGroup& operator=(const TileDecodeGroup&) = delete;

  // Hands job to the pool; false (and job dropped) once the group is closed.
  bool Submit(std::function<void()> job);
  // Must not be called from one of the group's jobs.
  void Close();

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
    bool closed = false;
  };
  TileDecodePool& pool_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace zolvex
