#pragma once
#include <memory>

#include "objects/ObjectGroup.h"

namespace zolvex {

// A group the user drags around the window by pressing anywhere on it; it stays wholly
// inside the window. Mouse input also reaches its children as in any group.
class DraggableGroup : public ObjectGroup {
 public:
  using ObjectGroup::ObjectGroup;

  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  bool IsCapturingMouse() const override { return dragging_ || ObjectGroup::IsCapturingMouse(); }
  bool AllowsViewDrag(int, int) const override { return !dragging_; }
  bool IsDragging() const { return dragging_; }

 private:
  void Invalidate();

  bool dragging_ = false;
  platform::Point grab_;
};

}  // namespace zolvex
