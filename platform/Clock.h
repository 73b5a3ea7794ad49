#pragma once
#include <atomic>
#include <cstdint>

namespace zolvex::platform {

// A millisecond clock. Durations and animation steps are measured with it, never by
// counting frames; tests advance a ManualClock instead of sleeping.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t NowMs() const = 0;
};

class SystemClock : public Clock {
 public:
  std::uint64_t NowMs() const override;
};

class ManualClock : public Clock {
 public:
  explicit ManualClock(std::uint64_t start = 0) : now_(start) {}
  std::uint64_t NowMs() const override { return now_.load(); }
  void Advance(std::uint64_t ms) { now_ += ms; }
  void Set(std::uint64_t ms) { now_ = ms; }

 private:
  std::atomic<std::uint64_t> now_;
};

// The process-wide tick count of the real clock.
std::uint64_t TickCountMs();

}  // namespace zolvex::platform
