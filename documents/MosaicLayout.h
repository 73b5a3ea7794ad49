#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zolvex {

// The arrangement of several KTQ images that a document's BASEMAP element declares: a grid
// of cells, or a free placement on a virtual canvas of its own size. This class holds the
// arrangement and its arithmetic; reading the markup and showing the images is the
// document's work.
class MosaicLayout {
 public:
  // One KTQ child element: "src" and either "col"/"row" (grid) or "x"/"y" (free, in
  // full-resolution pixels).
  struct Child {
    std::string source;
    int column = 0;
    int row = 0;
    int x = 0;
    int y = 0;
  };
  // The BASEMAP attributes that matter ("virtualwidth", "virtualheight", "width", "height").
  struct Attributes {
    int virtualWidth = 0;
    int virtualHeight = 0;
    int width = 0;
    int height = 0;
  };
  struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
  };
  struct Point {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
  };

  MosaicLayout(const Attributes& attributes, std::vector<Child> children);

  // Grid when "virtualwidth" or "virtualheight" is below 1, free placement otherwise.
  bool IsGrid() const { return grid_; }
  const std::vector<Child>& Children() const { return children_; }

  static constexpr int kMaxGridSide = 1 << 20;

  // Grid: max(width - 1, largest column) + 1 columns and likewise rows, at most
  // kMaxGridSide. Negative cell numbers count as 0.
  int GridColumns() const { return columns_; }
  int GridRows() const { return rows_; }

  // Free: levelCount virtual levels (level count of the first child), the top one
  // virtualwidth x virtualheight, each lower one half the next (integer division).
  std::vector<Size> VirtualLevels(int levelCount) const;
  // A child's top-left corner at one of its levels: its full-resolution (x, y) scaled by
  // that level's size over its full-resolution size (truncated).
  static Point PlaceAtLevel(const Child& child, Size childLevel, Size childFullLevel);

 private:
  bool grid_ = true;
  Attributes attributes_;
  std::vector<Child> children_;
  int columns_ = 0;
  int rows_ = 0;
};

}  // namespace zolvex
