#include "objects/DraggableGroup.h"

#include <algorithm>

namespace zolvex {

void DraggableGroup::Invalidate() {
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

void DraggableGroup::OnLButtonDown(unsigned flags, platform::Point point) {
  grab_ = {point.x - GetScreenX(), point.y - GetScreenY()};
  dragging_ = true;
  ObjectGroup::OnLButtonDown(flags, point);
}

void DraggableGroup::OnMouseMove(unsigned flags, platform::Point point) {
  ViewPrimitives* view = GetView();
  if (dragging_ && view) {
    // Kept inside the window: the right and bottom limits first, so that a group larger
    // than the window keeps its top-left corner in view.
    const int x = std::max(std::min(point.x - grab_.x, view->GetViewWidth() - GetScreenWidth()), 0);
    const int y = std::max(std::min(point.y - grab_.y, view->GetViewHeight() - GetScreenHeight()), 0);
    SetScreenRect(x, y, GetScreenWidth(), GetScreenHeight());
    UpdateFromScreenRect();
    Invalidate();
  }
  ObjectGroup::OnMouseMove(flags, point);
}

void DraggableGroup::OnLButtonUp(unsigned flags, platform::Point point) {
  ObjectGroup::OnLButtonUp(flags, point);
  if (!dragging_) return;
  dragging_ = false;
  Invalidate();
}

}  // namespace zolvex
