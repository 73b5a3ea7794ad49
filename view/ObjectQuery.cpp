#include "view/ObjectQuery.h"

#include <array>
#include <cmath>
#include <numbers>

#include "documents/MapDocument.h"
#include "objects/MapObject.h"

namespace zolvex {

namespace {

struct Corner {
  double x;
  double y;
};
using Quad = std::array<Corner, 4>;

Quad TurnedRectangle(int x1, int y1, int x2, int y2, int angle) {
  const double cx = (x1 + x2) / 2.0;
  const double cy = (y1 + y2) / 2.0;
  const double radians = angle * std::numbers::pi / 180.0;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const Quad plain{Corner{double(x1), double(y1)}, {double(x2), double(y1)}, {double(x2), double(y2)},
                   {double(x1), double(y2)}};
  Quad turned{};
  for (std::size_t i = 0; i < 4; ++i) {
    const double dx = plain[i].x - cx;
    const double dy = plain[i].y - cy;
    turned[i] = {cx + dx * c - dy * s, cy + dx * s + dy * c};
  }
  return turned;
}

// The two convex shapes overlap (touching counts) unless one of their edge normals
// separates them.
bool SeparatedAlongEdgesOf(const Quad& a, const Quad& b) {
  for (std::size_t i = 0; i < 4; ++i) {
    const Corner& p = a[i];
    const Corner& q = a[(i + 1) % 4];
    const double nx = q.y - p.y;
    const double ny = p.x - q.x;
    if (nx == 0 && ny == 0) continue;
    double minA = INFINITY, maxA = -INFINITY, minB = INFINITY, maxB = -INFINITY;
    for (const Corner& corner : a) {
      const double d = corner.x * nx + corner.y * ny;
      minA = std::min(minA, d);
      maxA = std::max(maxA, d);
    }
    for (const Corner& corner : b) {
      const double d = corner.x * nx + corner.y * ny;
      minB = std::min(minB, d);
      maxB = std::max(maxB, d);
    }
    if (maxA < minB || maxB < minA) return true;
  }
  return false;
}

bool Overlap(const Quad& a, const Quad& b) { return !SeparatedAlongEdgesOf(a, b) && !SeparatedAlongEdgesOf(b, a); }

}  // namespace

std::string QueryObjects(MapDocument& document, int x1, int y1, int x2, int y2, int angle) {
  const Quad query = TurnedRectangle(x1, y1, x2, y2, angle);
  std::string ids;
  for (MapObject* object : document.GetObjectList()) {
    const double left = object->GetScreenX();
    const double top = object->GetScreenY();
    const double right = left + object->GetScreenWidth() - 1;
    const double bottom = top + object->GetScreenHeight() - 1;
    const Quad box{Corner{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    if (!Overlap(query, box)) continue;
    if (!ids.empty()) ids += ' ';
    ids += std::to_string(object->GetId());
  }
  return ids;
}

}  // namespace zolvex
