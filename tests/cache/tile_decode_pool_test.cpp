#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <vector>

#include "tiles/TileDecodePool.h"

using namespace zolvex;

namespace {

using namespace std::chrono_literals;

// A job that holds its thread until the test opens the gate.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  void Pass() {
    {
      std::lock_guard lock(mutex_);
      ++waiting_;
    }
    reached_.notify_all();
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }
  void WaitUntilReached() {
    std::unique_lock lock(mutex_);
    reached_.wait(lock, [this] { return waiting_ > 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_, reached_;
  bool open_ = false;
  int waiting_ = 0;
};

// What jobs did, in order, from any thread.
struct Journal {
  std::mutex mutex;
  std::vector<int> done;
  void Add(int job) {
    std::lock_guard lock(mutex);
    done.push_back(job);
  }
};

}  // namespace

// One thread and room for two jobs: a third waits for room, and all run in their order.
TEST(TileDecodePool, AFullQueueHoldsTheCallerBackAndJobsKeepTheirOrder) {
  Journal journal;
  Gate gate;
  {
    TileDecodePool pool(1, 2);
    pool.Submit([&] {
      gate.Pass();
      journal.Add(1);
    });
    gate.WaitUntilReached();
    pool.Submit([&] { journal.Add(2); });
    pool.Submit([&] { journal.Add(3); });
    auto fourth = std::async(std::launch::async, [&] { pool.Submit([&] { journal.Add(4); }); });
    EXPECT_EQ(fourth.wait_for(100ms), std::future_status::timeout) << "the queue was full";
    gate.Open();
    fourth.get();
  }  // the pool runs what is queued before it ends
  EXPECT_EQ(journal.done, (std::vector<int>{1, 2, 3, 4}));
}

// Closing waits for the group's running job, skips its queued ones and refuses new ones;
// another group's jobs run on.
TEST(TileDecodePool, ClosingAGroupWaitsForItsRunningJobAndDropsTheRest) {
  Journal journal;
  Gate gate;
  TileDecodePool pool(1, 8);
  TileDecodeGroup closing(pool), other(pool);
  ASSERT_TRUE(closing.Submit([&] {
    gate.Pass();
    journal.Add(1);
  }));
  gate.WaitUntilReached();
  ASSERT_TRUE(closing.Submit([&] { journal.Add(2); }));
  ASSERT_TRUE(other.Submit([&] { journal.Add(3); }));
  auto closed = std::async(std::launch::async, [&] { closing.Close(); });
  EXPECT_EQ(closed.wait_for(100ms), std::future_status::timeout) << "a job of the group was running";
  gate.Open();
  closed.get();
  EXPECT_FALSE(closing.Submit([&] { journal.Add(4); }));
  // One thread in order: once this job ran, so did every one before it.
  std::promise<void> drained;
  pool.Submit([&] { drained.set_value(); });
  drained.get_future().wait();
  EXPECT_EQ(journal.done, (std::vector<int>{1, 3}));
}
