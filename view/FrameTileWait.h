#pragma once

#include <cstdint>

namespace zolvex {

// Whether a frame that misses tiles is held back for them. Where a server's tiles have
// lately arrived within a few milliseconds of being asked for, a frame shown at once would
// show coarse drafts only to be composed again a moment later: it is held instead, for at
// most kMostWaitMs from the first frame that missed them, and composed when they are in.
// Where tiles take longer (a slow network, a busy server) frames show drafts at once.
class FrameTileWait {
 public:
  static constexpr std::int64_t kMostWaitMs = 24;

  // A frame laid out at nowMs misses `missing` tiles; mayHold says whether its caller can
  // leave it for later. True when the frame is to be held back.
  bool HoldsBack(int missing, std::int64_t nowMs, bool mayHold);
  // When the held frame is composed anyway, drafts and all.
  std::int64_t DeadlineMs() const { return waitingSinceMs_ + kMostWaitMs; }

 private:
  void Learn(std::int64_t nowMs);
  std::int64_t waitingSinceMs_ = -1;  // when frames began to miss tiles; -1 while none do
  std::int64_t typicalWaitMs_ = -1;   // how long missing tiles lately took; -1 until known
};

}  // namespace zolvex
