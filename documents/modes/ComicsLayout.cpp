#include "documents/modes/ComicsLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zolvex {

namespace {

// size × part ÷ whole, truncated; 0 when the whole is below one pixel.
int ScaleToLevel(double size, int level, int whole) {
  if (whole < 1) return 0;
  double scaled = static_cast<double>(level) * size / whole;
  if (!(scaled < std::numeric_limits<int>::max())) return 0;
  return static_cast<int>(scaled);
}

int PagesAlong(int extent, int offset, double pageSize) {
  if (!(pageSize > 0)) return 1;
  double pages = std::ceil((static_cast<double>(extent) - offset - 1) / pageSize);
  if (!(pages < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return std::max(1, static_cast<int>(pages));
}

}  // namespace

int ComicsLayout::PageCount() const {
  return inRow ? PagesAlong(fullWidth, offsetX, pageWidth) : PagesAlong(fullHeight, offsetY, pageHeight);
}

int ComicsLayout::PageWidthAt(int levelWidth) const { return ScaleToLevel(pageWidth, levelWidth, fullWidth); }
int ComicsLayout::PageHeightAt(int levelHeight) const { return ScaleToLevel(pageHeight, levelHeight, fullHeight); }
int ComicsLayout::OffsetXAt(int levelWidth) const { return ScaleToLevel(offsetX, levelWidth, fullWidth); }
int ComicsLayout::OffsetYAt(int levelHeight) const { return ScaleToLevel(offsetY, levelHeight, fullHeight); }

std::optional<platform::Point> ComicsLayout::PageOrigin(int page, int levelWidth, int levelHeight) const {
  const long long width = PageWidthAt(levelWidth);
  const long long height = PageHeightAt(levelHeight);
  const long long alongSize = inRow ? width : height;
  if (page < 1 || alongSize <= 0) return std::nullopt;
  const long long index = page - 1;
  // Pages per row (column): as many as start inside the level.
  const long long perLine = ((inRow ? levelWidth : levelHeight) - 1) / alongSize + 1;
  const long long along = alongSize * (index % perLine);
  const long long across = (inRow ? height : width) * (index / perLine);
  const long long x = (inRow ? along : across) + OffsetXAt(levelWidth);
  const long long y = (inRow ? across : along) + OffsetYAt(levelHeight);
  if (x < 0 || y < 0 || x >= levelWidth || y >= levelHeight) return std::nullopt;
  return platform::Point{static_cast<int>(x), static_cast<int>(y)};
}

int ComicsLayout::PageAtView(int viewX, int viewY, int levelWidth, int levelHeight, int pageCount) const {
  const int size = inRow ? PageWidthAt(levelWidth) : PageHeightAt(levelHeight);
  if (size <= 0 || pageCount < 1) return 1;
  const double origin = inRow ? viewX - OffsetXAt(levelWidth) : viewY - OffsetYAt(levelHeight);
  const double page = std::ceil(origin / size) + 1;
  return static_cast<int>(std::clamp(page, 1.0, static_cast<double>(pageCount)));
}

int ComicsLayout::PageContaining(int x, int y, int levelWidth, int levelHeight, int pageCount) const {
  const long long width = PageWidthAt(levelWidth);
  const long long height = PageHeightAt(levelHeight);
  const long long alongSize = inRow ? width : height;
  const long long acrossSize = inRow ? height : width;
  if (alongSize <= 0 || pageCount < 1) return 1;
  const long long along = (inRow ? x - OffsetXAt(levelWidth) : y - OffsetYAt(levelHeight)) / alongSize;
  const long long across =
      acrossSize > 0 ? (inRow ? y - OffsetYAt(levelHeight) : x - OffsetXAt(levelWidth)) / acrossSize : 0;
  const long long perLine = ((inRow ? levelWidth : levelHeight) - 1) / alongSize + 1;
  const long long page = std::max(across, 0LL) * perLine + std::max(along, 0LL) + 1;
  return static_cast<int>(std::clamp<long long>(page, 1, pageCount));
}

}  // namespace zolvex
