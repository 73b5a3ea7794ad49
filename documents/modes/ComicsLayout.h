#pragma once
#include <optional>

#include "platform/Geometry.h"

namespace zolvex {

// Where the equally sized pages of a comic stand in its picture: side by side in rows
// (wrapping into further rows) or one below the other in columns (wrapping into further
// columns), starting at an offset. Sizes and the offset are full-resolution pixels; the
// questions about one level scale them to that level's size.
struct ComicsLayout {
  double pageWidth = 0.0;
  double pageHeight = 0.0;
  bool inRow = false;
  int offsetX = 0;
  int offsetY = 0;
  int fullWidth = 0;
  int fullHeight = 0;

  // Pages along the layout's direction, at least 1 (a missing page size counts as one page).
  int PageCount() const;
  // The top-left corner of the 1-based page at a level of the given size; nothing when
  // the page lies outside the level or the page size is unknown.
  std::optional<platform::Point> PageOrigin(int page, int levelWidth, int levelHeight) const;
  // The page whose leading edge is the first at or after the view's corner, kept in
  // 1 .. pageCount.
  int PageAtView(int viewX, int viewY, int levelWidth, int levelHeight, int pageCount) const;
  // The page a point of the level lies in (counting rows or columns that wrap), kept in
  // 1 .. pageCount.
  int PageContaining(int x, int y, int levelWidth, int levelHeight, int pageCount) const;
  // The page size and offset at a level of the given size.
  int PageWidthAt(int levelWidth) const;
  int PageHeightAt(int levelHeight) const;
  int OffsetXAt(int levelWidth) const;
  int OffsetYAt(int levelHeight) const;
};

}  // namespace zolvex
