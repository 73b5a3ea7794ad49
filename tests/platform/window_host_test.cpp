#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/headless/HeadlessWindowHost.h"

using namespace zolvex::platform;

TEST(HeadlessWindowHost, PostedMessagesKeepTheirOrderAcrossThreads) {
  HeadlessWindowHost host({100, 100}, std::make_shared<SystemClock>());
  constexpr int kThreads = 4, kPerThread = 500;
  std::vector<std::vector<int>> seen(kThreads);
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) host.Post([&, t, i] { seen[t].push_back(i); });
    });
  }
  for (auto& p : posters) p.join();
  host.Post([&] { host.Quit(); });
  EXPECT_FALSE(host.RunFor(5000));
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<size_t>(kPerThread));
    for (int i = 0; i < kPerThread; ++i) EXPECT_EQ(seen[t][i], i);
  }
}

TEST(HeadlessWindowHost, TimersFollowAManualClockExactly) {
  auto clock = std::make_shared<ManualClock>(1000);
  HeadlessWindowHost host({10, 10}, clock);
  int fast = 0, slow = 0;
  host.SetTimer(1, 100, [&] { ++fast; });
  host.SetTimer(2, 300, [&] { ++slow; });
  for (int step = 0; step < 30; ++step) {
    clock->Advance(10);
    host.RunPending();
  }
  EXPECT_EQ(fast, 3);
  EXPECT_EQ(slow, 1);
  host.KillTimer(1);
  clock->Advance(1000);
  host.RunPending();
  EXPECT_EQ(fast, 3);
  EXPECT_EQ(slow, 2);  // a late timer fires once, not once per missed period
}

TEST(HeadlessWindowHost, TimersFireAtTheirPeriodsOnTheRealClock) {
  HeadlessWindowHost host({10, 10}, std::make_shared<SystemClock>());
  std::vector<std::uint64_t> ticks;
  host.SetTimer(7, 50, [&] { ticks.push_back(TickCountMs()); });
  std::uint64_t start = TickCountMs();
  host.RunFor(520);
  // Not early beyond the tick's own jitter; on a busy machine a tick may come late, but
  // not most of them.
  ASSERT_GE(ticks.size(), 5u);
  ASSERT_LE(ticks.size(), 11u);
  EXPECT_GE(ticks.front() - start, 45u);
  for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], 45u);
}

TEST(HeadlessWindowHost, DrainingDropsQueuedInputButKeepsMessages) {
  HeadlessWindowHost host({10, 10}, std::make_shared<ManualClock>());
  struct Counter : WindowListener {
    int mouse = 0;
    void OnMouse(const MouseEvent&) override { ++mouse; }
  } listener;
  host.SetListener(&listener);
  int messages = 0;
  host.InjectMouse({});
  host.Post([&] { ++messages; });
  host.InjectMouse({});
  host.DrainPendingInput();
  host.RunPending();
  EXPECT_EQ(listener.mouse, 0);
  EXPECT_EQ(messages, 1);
  host.InjectMouse({});
  host.RunPending();
  EXPECT_EQ(listener.mouse, 1);
}

TEST(HeadlessWindowHost, RepaintRequestsCoalesceAndCaptureAndCursorAreRecorded) {
  HeadlessWindowHost host({10, 10}, std::make_shared<ManualClock>());
  host.Invalidate();
  host.Invalidate();
  host.RunPending();
  EXPECT_EQ(host.PaintCount(), 1);
  host.SetCapture();
  EXPECT_TRUE(host.HasCapture());
  host.ReleaseCapture();
  EXPECT_FALSE(host.HasCapture());
  host.SetCursor("grabbing");
  EXPECT_EQ(host.CurrentCursor(), "grabbing");
}
