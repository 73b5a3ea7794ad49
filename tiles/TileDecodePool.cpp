#include "tiles/TileDecodePool.h"

#include <algorithm>
#include <system_error>

namespace zolvex {

TileDecodePool::TileDecodePool(int threads, std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {
  try {
    for (int i = 0; i < std::max(threads, 1); ++i) threads_.emplace_back([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread to spare: the threads there are do the work, or the callers themselves.
  }
}

TileDecodePool::~TileDecodePool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  space_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

TileDecodePool& TileDecodePool::Shared() {
  static TileDecodePool pool(
      static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, static_cast<unsigned>(kMostThreads))),
      kQueueCapacity);
  return pool;
}

void TileDecodePool::Submit(Job job) {
  {
    std::unique_lock lock(mutex_);
    if (!threads_.empty()) {
      space_.wait(lock, [this] { return stopping_ || queue_.size() < capacity_; });
      if (!stopping_) {
        queue_.push_back(std::move(job));
        lock.unlock();
        work_.notify_one();
        return;
      }
    }
  }
  job();
}

void TileDecodePool::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    space_.notify_one();
    try {
      job();
    } catch (...) {
      // A job reports its own failures; the thread must live on for the next one.
    }
  }
}

TileDecodeGroup::TileDecodeGroup(TileDecodePool& pool) : pool_(pool) {}

TileDecodeGroup::~TileDecodeGroup() { Close(); }

bool TileDecodeGroup::Submit(std::function<void()> job) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->closed) return false;
  }
  // The job keeps the group's state alive, so that it may still be queued when the group
  // is gone: it then only finds the group closed.
  pool_.Submit([state = state_, job = std::move(job)] {
    {
      std::lock_guard lock(state->mutex);
      if (state->closed) return;
      ++state->running;
    }
    try {
      job();
    } catch (...) {
      // Counted out below all the same, so that closing never waits for it.
    }
    {
      std::lock_guard lock(state->mutex);
      --state->running;
    }
    state->idle.notify_all();
  });
  return true;
}

void TileDecodeGroup::Close() {
  std::unique_lock lock(state_->mutex);
  state_->closed = true;
  state_->idle.wait(lock, [this] { return state_->running == 0; });
}

}  // namespace zolvex
