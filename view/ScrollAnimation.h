#pragma once
#include <cstdint>

#include "platform/Geometry.h"

namespace zolvex {

// The glide of an animated scroll: a number of steps from the old position to the new
// one, the last landing exactly on it. Moves shorter than two pages take proportionally
// fewer steps.
class ScrollAnimation {
 public:
  static constexpr int kDefaultSteps = 15;
  static constexpr int kDefaultDelayMs = 10;

  // steps: the wanted number ("scrollstep"; below 1 means 15). page: the page size in
  // pixels of the level, or 0 × 0 without a page grid.
  ScrollAnimation(platform::Point from, platform::Point to, int steps, platform::Size page);

  int Steps() const { return steps_; }
  // The position of step k, 1 … Steps().
  platform::Point StepPosition(int k) const;
  // "scrolldelay": below 1 means 10 milliseconds.
  static int DelayMs(int delay) { return delay < 1 ? kDefaultDelayMs : delay; }

 private:
  platform::Point to_;
  long long dx_;
  long long dy_;
  int steps_;
};

// The pan that brings a page into the window before a snap zoom: a second for the whole
// shift, but never slower than 0.2 pixels per millisecond along the slower moving axis.
class SnapPan {
 public:
  static constexpr std::uint32_t kStepPauseMs = 50;

  explicit SnapPan(platform::Point shift);

  // Milliseconds the pan lasts; below 1 it jumps at once.
  int DurationMs() const { return durationMs_; }
  // How far the pan has moved after elapsedMs, never beyond the shift.
  platform::Point OffsetAt(std::uint64_t elapsedMs) const;
  double VelocityX() const { return vx_; }
  double VelocityY() const { return vy_; }

 private:
  platform::Point shift_;
  double vx_;
  double vy_;
  int durationMs_ = 0;
};

}  // namespace zolvex
