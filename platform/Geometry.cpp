#include "platform/Geometry.h"

namespace zolvex::platform {

namespace {

// The horizontal gaps that the covers spanning the band [top, bottom) leave in area.
void AddBandGaps(const Rect& area, const std::vector<Rect>& covers, int top, int bottom, std::vector<Rect>& gaps) {
  std::vector<std::pair<int, int>> spans;
  for (const Rect& cover : covers) {
    if (cover.top <= top && cover.bottom >= bottom) spans.emplace_back(cover.left, cover.right);
  }
  std::sort(spans.begin(), spans.end());
  int x = area.left;
  for (auto [left, right] : spans) {
    if (left > x) gaps.push_back({x, top, left, bottom});
    x = std::max(x, right);
  }
  if (x < area.right) gaps.push_back({x, top, area.right, bottom});
}

}  // namespace

// The area is cut into bands at every cover's top and bottom edge; within a band every
// cover either spans it whole or misses it, so each band's gaps are plain intervals.
std::vector<Rect> UncoveredParts(const Rect& area, const std::vector<Rect>& covers) {
  if (area.IsEmpty()) return {};
  std::vector<Rect> inside;
  std::vector<int> edges{area.top, area.bottom};
  for (const Rect& cover : covers) {
    const Rect part = cover.Intersect(area);
    if (part.IsEmpty()) continue;
    inside.push_back(part);
    edges.push_back(part.top);
    edges.push_back(part.bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<Rect> gaps;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) AddBandGaps(area, inside, edges[i], edges[i + 1], gaps);
  return gaps;
}

}  // namespace zolvex::platform
