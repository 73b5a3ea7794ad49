#pragma once
#include <cstdint>
#include <string>

#include "image/qmImage.h"

namespace zolvex::ktqtool {

// A deterministic picture of size x size pixels that can be evaluated at any resolution
// without holding it: a colour gradient over the whole picture, checker patterns with
// periods of 16, 128 and 1024 pixels, grid lines every 256 pixels, and in every cell of
// 1024 pixels (and of 8192, 65536 ... pixels, in larger writing) its pixel coordinates.
// Details finer than a few pixels of the resolution asked for fade to their average, as
// an area-averaged reduction of the full picture would show them.
class SyntheticPicture {
 public:
  explicit SyntheticPicture(int size) : size_(size) {}
  int Size() const { return size_; }

  // Fills image with the part at (left, top) of the picture reduced to levelWidth x
  // levelHeight; pixels beyond the reduced picture are left as they are.
  void Render(int levelWidth, int levelHeight, int left, int top, qmImage& image) const;

 private:
  struct Rgb {
    double red, green, blue;
  };
  // The colour at full-resolution point (x, y) seen at scale pixels per level pixel.
  Rgb ColourAt(double x, double y, double scale) const;
  bool LabelAt(double x, double y, double scale) const;

  int size_;
};

}  // namespace zolvex::ktqtool
