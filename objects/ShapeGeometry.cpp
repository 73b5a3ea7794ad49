#include "objects/ShapeGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "objects/ObjectValues.h"

namespace zolvex {

namespace {

constexpr int kHitDistance = 6;
constexpr double kDegreesToRadians = 0.017453292519944444;

std::int64_t SquaredDistance(platform::Point a, platform::Point b) {
  const std::int64_t dx = std::int64_t(a.x) - b.x;
  const std::int64_t dy = std::int64_t(a.y) - b.y;
  return dx * dx + dy * dy;
}

// The parameter of the foot of p on the line through a and b (0 at a, 1 at b).
double FootParameter(platform::Point a, platform::Point b, platform::Point p) {
  const double dx = double(b.x) - a.x;
  const double dy = double(b.y) - a.y;
  return ((double(p.y) - a.y) * dy + (double(p.x) - a.x) * dx) / (dx * dx + dy * dy);
}

platform::Point PointAt(platform::Point a, platform::Point b, double t) {
  return {Truncate(t * (double(b.x) - a.x) + a.x), Truncate(t * (double(b.y) - a.y) + a.y)};
}

bool InsideGrownBox(platform::Point a, platform::Point b, platform::Point p, int margin) {
  const std::int64_t left = std::int64_t(std::min(a.x, b.x)) - margin;
  const std::int64_t right = std::int64_t(std::max(a.x, b.x)) + margin;
  const std::int64_t top = std::int64_t(std::min(a.y, b.y)) - margin;
  const std::int64_t bottom = std::int64_t(std::max(a.y, b.y)) + margin;
  return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
}

}  // namespace

bool SegmentHit(platform::Point a, platform::Point b, platform::Point p) {
  if (!InsideGrownBox(a, b, p, kHitDistance)) return false;
  const std::int64_t limit = std::int64_t(kHitDistance) * kHitDistance;
  if (a == b) return SquaredDistance(a, p) < limit;
  return SquaredDistance(PointAt(a, b, FootParameter(a, b, p)), p) < limit;
}

bool NearSegment(platform::Point a, platform::Point b, platform::Point p, int distance) {
  if (a == b) return SquaredDistance(a, p) <= std::int64_t(distance) * distance;
  const double t = FootParameter(a, b, p);
  if (t < 0 || t > 1) return false;
  return SquaredDistance(PointAt(a, b, t), p) <= std::int64_t(distance) * distance;
}

ArrowHead ArrowHeadAt(platform::Point tip, platform::Point other, double length) {
  const double angle = std::atan2(double(tip.y) - other.y, double(tip.x) - other.x);
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double l = length;
  // Each offset is truncated before it is added to the tip; the sums saturate.
  const auto add = [](int base, int offset) { return Truncate(double(base) + offset); };
  return {{add(tip.x, -Truncate(l * c + l * s / 2)), add(tip.y, Truncate(l * c / 2 - l * s))},
          {add(tip.x, Truncate(l * s / 2 - l * c)), add(tip.y, -Truncate(l * (s + c / 2)))}};
}

std::array<platform::Point, 4> TurnedCorners(int x, int y, int bx, int by, double angle) {
  const int cx = static_cast<int>((std::int64_t(x) + bx) / 2);
  const int cy = static_cast<int>((std::int64_t(y) + by) / 2);
  const double radians = angle * kDegreesToRadians;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const platform::Point corners[] = {{x, y}, {bx, y}, {bx, by}, {x, by}};
  std::array<platform::Point, 4> turned;
  for (int i = 0; i < 4; ++i) {
    const double dx = double(corners[i].x) - cx;
    const double dy = double(corners[i].y) - cy;
    turned[i] = {RoundHalfTowardZero(cx + dx * c - dy * s), RoundHalfTowardZero(cy + dx * s + dy * c)};
  }
  return turned;
}

}  // namespace zolvex
