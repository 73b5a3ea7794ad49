#include "view/FrameTileWait.h"

namespace zolvex {

bool FrameTileWait::HoldsBack(int missing, std::int64_t nowMs, bool mayHold) {
  if (missing <= 0) {
    Learn(nowMs);
    return false;
  }
  if (waitingSinceMs_ < 0) waitingSinceMs_ = nowMs;
  const bool tilesAreQuick = typicalWaitMs_ >= 0 && typicalWaitMs_ <= kMostWaitMs;
  return mayHold && tilesAreQuick && nowMs < DeadlineMs();
}

// The time from the first frame that missed tiles to the first that missed none, smoothed
// so that one slow tile does not stop the holding, nor one quick one start it.
void FrameTileWait::Learn(std::int64_t nowMs) {
  if (waitingSinceMs_ < 0) return;
  const std::int64_t waited = nowMs - waitingSinceMs_;
  typicalWaitMs_ = typicalWaitMs_ < 0 ? waited : (3 * typicalWaitMs_ + waited) / 4;
  waitingSinceMs_ = -1;
}

}  // namespace zolvex
