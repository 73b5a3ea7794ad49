#pragma once
#include "objects/MapObject.h"

namespace zolvex {

// The document's limit frame: everything of the window outside its rectangle is covered
// with the view's background colour and the rectangle gets a black and white border. The
// pointer passes through it, and it writes no element.
class CComponentClipper : public MapObject {
 public:
  static constexpr int kLayer = 3;

  CComponentClipper(int x, int y, int width, int height);

  void Draw() override;
  bool IsClickThroughAt(int, int) const override { return true; }
};

}  // namespace zolvex
