#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zolvex::ktqtool {

// Jobs run by threads - 1 workers and by the thread that submits them, which helps while
// too many wait, so that one thread's work (reading the picture) and the others' (encoding
// tiles) balance themselves. With one thread every job runs at once in Submit.
class TileEncoderPool {
 public:
  explicit TileEncoderPool(int threads);
  ~TileEncoderPool();
  TileEncoderPool(const TileEncoderPool&) = delete;
  TileEncoderPool& operator=(const TileEncoderPool&) = delete;

  void Submit(std::function<void()> job);
  // Runs waiting jobs on the calling thread until at most limit wait.
  void HelpWhileMoreThan(size_t limit);
  // Runs and waits until every job submitted so far has finished.
  void Finish();

 private:
  void WorkerLoop();
  bool RunOne(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> jobs_;
  int running_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace zolvex::ktqtool
