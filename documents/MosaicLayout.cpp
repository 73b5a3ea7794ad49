#include "documents/MosaicLayout.h"

#include <algorithm>

namespace zolvex {

MosaicLayout::MosaicLayout(const Attributes& attributes, std::vector<Child> children)
    : grid_(attributes.virtualWidth < 1 || attributes.virtualHeight < 1),
      attributes_(attributes),
      children_(std::move(children)) {
  int lastColumn = std::max(attributes.width - 1, 0);
  int lastRow = std::max(attributes.height - 1, 0);
  for (auto& child : children_) {
    child.column = std::max(child.column, 0);
    child.row = std::max(child.row, 0);
    lastColumn = std::max(lastColumn, child.column);
    lastRow = std::max(lastRow, child.row);
  }
  // The grid never counts more cells on a side than an int holds (markup may say "2147483647").
  columns_ = std::min(lastColumn, kMaxGridSide - 1) + 1;
  rows_ = std::min(lastRow, kMaxGridSide - 1) + 1;
}

std::vector<MosaicLayout::Size> MosaicLayout::VirtualLevels(int levelCount) const {
  std::vector<Size> levels(static_cast<size_t>(std::max(levelCount, 0)));
  Size size{attributes_.virtualWidth, attributes_.virtualHeight};
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    *level = size;
    size = {size.width / 2, size.height / 2};
  }
  return levels;
}

MosaicLayout::Point MosaicLayout::PlaceAtLevel(const Child& child, Size childLevel, Size childFullLevel) {
  Point point{child.x, child.y};
  if (childFullLevel.width > 0) point.x = point.x * childLevel.width / childFullLevel.width;
  if (childFullLevel.height > 0) point.y = point.y * childLevel.height / childFullLevel.height;
  return point;
}

}  // namespace zolvex
