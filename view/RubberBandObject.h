#pragma once
#include "objects/MapObject.h"

namespace zolvex {

// The rectangle the user drags out with Shift to select several objects at once: a thin
// dashed outline in window pixels, above the document's objects.
class RubberBandObject : public MapObject {
 public:
  static constexpr int kLayer = 1 << 19;

  RubberBandObject();
  void Draw() override;
  // The band never takes clicks from what lies under it.
  bool IsClickThroughAt(int, int) const override { return true; }
};

}  // namespace zolvex
