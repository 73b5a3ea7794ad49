#include "apps/ktqtool/TileEncoderPool.h"

namespace zolvex::ktqtool {

TileEncoderPool::TileEncoderPool(int threads) {
  for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { WorkerLoop(); });
}

TileEncoderPool::~TileEncoderPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& worker : workers_) worker.join();
}

void TileEncoderPool::Submit(std::function<void()> job) {
  if (workers_.empty()) {
    job();
    return;
  }
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

// Takes the front job and runs it without the lock; false when none waits.
bool TileEncoderPool::RunOne(std::unique_lock<std::mutex>& lock) {
  if (jobs_.empty()) return false;
  auto job = std::move(jobs_.front());
  jobs_.pop_front();
  ++running_;
  lock.unlock();
  job();
  lock.lock();
  if (--running_ == 0 && jobs_.empty()) idle_.notify_all();
  return true;
}

void TileEncoderPool::HelpWhileMoreThan(size_t limit) {
  std::unique_lock lock(mutex_);
  while (jobs_.size() > limit && RunOne(lock)) {
  }
}

void TileEncoderPool::Finish() {
  std::unique_lock lock(mutex_);
  while (RunOne(lock)) {
  }
  idle_.wait(lock, [this] { return jobs_.empty() && running_ == 0; });
}

void TileEncoderPool::WorkerLoop() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (stopping_ && jobs_.empty()) return;
    RunOne(lock);
  }
}

}  // namespace zolvex::ktqtool
