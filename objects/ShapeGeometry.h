#pragma once
#include <array>

#include "platform/Geometry.h"

namespace zolvex {

// Screen geometry shared by the shapes: hit-testing segments, arrow heads and turned boxes.

// Whether the pointer p touches the segment a-b on the screen: within the segment's box
// grown by 6 pixels, and nearer than 6 pixels to the foot of p on the segment's line (to
// the point itself for a segment of length 0).
bool SegmentHit(platform::Point a, platform::Point b, platform::Point p);

// Whether p lies within distance pixels of the segment a-b, measured perpendicular to it,
// with the foot of p inside the segment.
bool NearSegment(platform::Point a, platform::Point b, platform::Point p, int distance);

// The two back ends of an arrow head of the given length at tip, pointing away from other;
// each is joined to the tip by a line.
struct ArrowHead {
  platform::Point left;
  platform::Point right;
};
ArrowHead ArrowHeadAt(platform::Point tip, platform::Point other, double length);

// The corners (x, y), (bx, y), (bx, by), (x, by) turned by angle degrees about their
// centre ((x + bx)/2, (y + by)/2 in integer halves), each rounded to the nearest integer
// with halves going toward zero.
std::array<platform::Point, 4> TurnedCorners(int x, int y, int bx, int by, double angle);

}  // namespace zolvex
