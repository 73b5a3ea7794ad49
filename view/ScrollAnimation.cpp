#include "view/ScrollAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Numbers.h"

namespace zolvex {

namespace {

// Steps for one axis: n × distance ÷ page while the move is under two pages, else n.
long long AxisSteps(int n, long long distance, int page) {
  if (page <= 0 || distance >= 2LL * page) return n;
  return n * distance / page;
}

constexpr double kPanSpeedPerMs = 0.001;  // of the shift: the whole pan takes a second
constexpr double kMinimumSpeed = 0.2;     // pixels per millisecond

// Truncation towards zero of a quotient or product that is whole in exact arithmetic:
// 13 ÷ 0.013 must give 1000, not the 999.99… of binary fractions.
int TruncateExact(double value) { return SaturateToInt(value + std::copysign(1e-6, value)); }

}  // namespace

ScrollAnimation::ScrollAnimation(platform::Point from, platform::Point to, int steps, platform::Size page)
    : to_(to),
      dx_(static_cast<long long>(to.x) - from.x),
      dy_(static_cast<long long>(to.y) - from.y),
      steps_(steps < 1 ? kDefaultSteps : steps) {
  if (page.width > 0 && page.height > 0) {
    const long long shorter =
        std::max(AxisSteps(steps_, std::llabs(dx_), page.width), AxisSteps(steps_, std::llabs(dy_), page.height));
    steps_ = static_cast<int>(std::clamp<long long>(shorter, 1, steps_));
  }
}

platform::Point ScrollAnimation::StepPosition(int k) const {
  const long long left = steps_ - std::clamp(k, 0, steps_);
  return {ClampToInt(to_.x - dx_ * left / steps_), ClampToInt(to_.y - dy_ * left / steps_)};
}

SnapPan::SnapPan(platform::Point shift) : shift_(shift), vx_(shift.x * kPanSpeedPerMs), vy_(shift.y * kPanSpeedPerMs) {
  if (shift.x == 0 && shift.y == 0) return;
  if (std::abs(vx_) < kMinimumSpeed && std::abs(vy_) < kMinimumSpeed) {
    // The slower moving axis is raised to the minimum speed and the other keeps the
    // direction of the move.
    const bool xSlower = vx_ != 0 && (vy_ == 0 || std::abs(vx_) <= std::abs(vy_));
    const double slower = xSlower ? vx_ : vy_;
    const double factor = kMinimumSpeed / std::abs(slower);
    vx_ = xSlower ? std::copysign(kMinimumSpeed, vx_) : vx_ * factor;
    vy_ = xSlower ? vy_ * factor : std::copysign(kMinimumSpeed, vy_);
  }
  durationMs_ = vx_ != 0 ? TruncateExact(shift.x / vx_) : TruncateExact(shift.y / vy_);
}

platform::Point SnapPan::OffsetAt(std::uint64_t elapsedMs) const {
  const double elapsed = static_cast<double>(elapsedMs);
  auto axis = [elapsed](double velocity, int shift) {
    const int moved = TruncateExact(elapsed * velocity);
    return std::abs(moved) > std::abs(shift) ? shift : moved;
  };
  return {axis(vx_, shift_.x), axis(vy_, shift_.y)};
}

}  // namespace zolvex
