#include "objects/RectDragEditor.h"

#include "objects/MapObject.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kHandle = 10;      // size of the corner handles and edge strips
constexpr int kGrip = 5;         // the pointer stays this far inside the dragged edge
constexpr int kMinimumDrag = 15;  // closer to the far edge than this gives the minimum size
constexpr int kMinimumSize = 20;

// The size for a pointer at offset d from the fixed edge.
int DraggedSize(int d) { return d < kMinimumDrag ? kMinimumSize : d + kGrip; }

// One axis of a drag of the top-left corner by d: the far edge stays where it is.
void DragStartEdge(int& position, int& size, int d) {
  if (size - d >= kMinimumDrag + 1) {
    size = size - d + kGrip;
    position += d - kGrip;
  } else {
    position += size - kMinimumSize;
    size = kMinimumSize;
  }
}

}  // namespace

void EndCreation(MapObject& object, bool announce) {
  object.SetBeingCreated(false);
  ViewPrimitives* view = object.GetView();
  if (!view) return;
  object.SetEditing(object.AllowsEditing() && IsYes(view->GetBrowserProperty("IsEditing")));
  view->EndObjectCreation(object);
  if (announce) {
    ViewEvent event;
    event.name = "donecreatingobject";
    event.param1 = std::to_string(object.GetId());
    view->PostViewEvent(event);
  }
  view->InvalidateObject(object, true);
}

bool ContentPointAt(MapObject& object, platform::Point screen, platform::Point& content) {
  if (object.IsScreenCoordinates()) {
    content = screen;
    return true;
  }
  const auto point = object.ScreenToContent(screen);
  if (!point) return false;
  content = *point;
  ViewPrimitives* view = object.GetView();
  const int limitX = ParseInt(view->GetBrowserProperty("limitx"));
  if (limitX != -1) {
    content.x += limitX;
    content.y += ParseInt(view->GetBrowserProperty("limity"));
  }
  return true;
}

void RectDragEditor::Press(MapObject& object, platform::Point point) {
  if (object.IsBeingCreated()) {
    if (creationStep_ == 0) PressToCreate(object, point);
    return;
  }
  if (object.IsEditing()) PressToEdit(object, point.x - object.GetScreenX(), point.y - object.GetScreenY());
}

void RectDragEditor::PressToEdit(MapObject& object, int d, int e) {
  const int w = object.GetScreenWidth();
  const int h = object.GetScreenHeight();
  const bool nearRight = w - kHandle < d && d < w;
  const bool nearBottom = h - kHandle < e && e < h;
  if (nearRight && nearBottom) {
    fromBottomRight_ = true;
  } else if (0 < d && d < kHandle) {
    if (0 < e && e < kHandle)
      fromTopLeft_ = true;
    else
      moving_ = true;
  } else if (1 <= e && e < kHandle) {
    moving_ = true;
  } else if (nearRight) {
    width_ = true;
  } else if (nearBottom) {
    height_ = true;
  }
  grabX_ = d;
  grabY_ = e;
}

void RectDragEditor::PressToCreate(MapObject& object, platform::Point point) {
  platform::Point content;
  if (!ContentPointAt(object, point, content)) return;
  object.SetRect(content.x, content.y, object.GetWidth(), object.GetHeight());
  object.UpdateScreenRect();
  creationStep_ = 1;
  if (ViewPrimitives* view = object.GetView()) view->InvalidateObject(object, true);
}

platform::Rect RectDragEditor::Dragged(const MapObject& object, platform::Point point) const {
  int x = object.GetScreenX();
  int y = object.GetScreenY();
  int w = object.GetScreenWidth();
  int h = object.GetScreenHeight();
  const int d = point.x - x;
  const int e = point.y - y;
  const bool creating = object.IsBeingCreated() && creationStep_ == 1;
  if (fromBottomRight_ || creating) {
    w = DraggedSize(d);
    h = DraggedSize(e);
  } else if (fromTopLeft_) {
    DragStartEdge(x, w, d);
    DragStartEdge(y, h, e);
  } else if (moving_) {
    x = point.x - grabX_;
    y = point.y - grabY_;
  } else if (width_) {
    w = DraggedSize(d);
  } else if (height_) {
    h = DraggedSize(e);
  }
  return platform::Rect::FromSize(x, y, w, h);
}

void RectDragEditor::Move(MapObject& object, platform::Point point) {
  const bool creating = object.IsBeingCreated() && creationStep_ == 1;
  if (!creating && !(object.IsEditing() && IsDragging())) return;
  const platform::Rect rect = Dragged(object, point);
  object.SetScreenRect(rect.left, rect.top, rect.Width(), rect.Height());
  object.UpdateFromScreenRect();
  if (ViewPrimitives* view = object.GetView()) view->InvalidateObject(object, true);
}

void RectDragEditor::Release(MapObject& object) {
  fromTopLeft_ = fromBottomRight_ = moving_ = width_ = height_ = false;
  if (object.IsEditing())
    if (ViewPrimitives* view = object.GetView()) view->InvalidateObject(object, true);
  if (object.IsBeingCreated() && creationStep_ == 1) {
    creationStep_ = 0;
    EndCreation(object, true);
  }
}

bool RectDragEditor::IsCapturing(const MapObject& object) const {
  return (object.IsEditing() && IsDragging()) || object.IsBeingCreated();
}

}  // namespace zolvex
