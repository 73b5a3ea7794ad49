#include "objects/ObjectGroup.h"

#include <algorithm>

namespace zolvex {

ObjectGroup::ObjectGroup(int x, int y, int width, int height, std::shared_ptr<ViewImage> picture)
    : CComponentImage(x, y, width, height, std::move(picture)) {}

ObjectGroup::~ObjectGroup() = default;

MapObject* ObjectGroup::AddChild(std::unique_ptr<MapObject> child) {
  if (!child) return nullptr;
  child->SetScreenCoordinates(true);
  child->SetVirtualSize(-1, -1);
  const platform::Rect placement =
      platform::Rect::FromSize(child->GetX(), child->GetY(), child->GetWidth(), child->GetHeight());
  child->SetView(GetView());
  children_.push_back({std::move(child), placement});
  return children_.back().object.get();
}

void ObjectGroup::SetChildPlacement(MapObject* child, const platform::Rect& placement) {
  for (Child& each : children_)
    if (each.object.get() == child) each.placement = placement;
}

void ObjectGroup::MoveChildToEnd(MapObject* child) {
  auto found = std::find_if(children_.begin(), children_.end(), [&](const Child& each) { return each.object.get() == child; });
  if (found != children_.end()) std::rotate(found, found + 1, children_.end());
}

void ObjectGroup::PlaceChildren() {
  UpdateScreenRect();
  for (Child& child : children_) {
    child.object->SetRect(GetScreenX() + child.placement.left, GetScreenY() + child.placement.top,
                          child.placement.Width(), child.placement.Height());
    child.object->UpdateScreenRect();
  }
}

void ObjectGroup::Draw() {
  CComponentImage::Draw();
  PlaceChildren();
  for (Child& child : children_)
    if (child.object->IsVisible()) child.object->Draw();
}

MapObject* ObjectGroup::ChildAt(platform::Point point) {
  PlaceChildren();
  MapObject* found = nullptr;
  for (Child& child : children_) {
    MapObject& object = *child.object;
    if (!object.IsVisible() || object.IsClickThroughAt(point.x, point.y)) continue;
    if (object.IsCapturingMouse()) return &object;
    if (!object.HitTest(point.x, point.y)) continue;
    if (!found || object.GetLayer() > found->GetLayer()) found = &object;
  }
  return found;
}

MapObject* ObjectGroup::ChildAndPoint(platform::Point point, platform::Point& relative) {
  MapObject* child = ChildAt(point);
  if (child) relative = {point.x - child->GetScreenX(), point.y - child->GetScreenY()};
  return child;
}

void ObjectGroup::ToChildAt(platform::Point point, const std::function<void(MapObject&, platform::Point)>& action) {
  platform::Point relative;
  if (MapObject* child = ChildAndPoint(point, relative)) action(*child, relative);
}

void ObjectGroup::Hover(MapObject* child) {
  if (child == hovered_) return;
  if (hovered_) hovered_->OnMouseExit();
  hovered_ = child;
  if (hovered_) {
    hovered_->OnMouseEnter();
    SetTooltip(hovered_->GetTooltip());
  }
}

void ObjectGroup::SetView(ViewPrimitives* view) {
  CComponentImage::SetView(view);
  for (Child& child : children_) child.object->SetView(view);
}

void ObjectGroup::SetTransparency(int transparency) {
  CComponentImage::SetTransparency(transparency);
  for (Child& child : children_) child.object->SetTransparency(transparency);
}

void ObjectGroup::SetKeyTransparent(bool on) {
  CComponentImage::SetKeyTransparent(on);
  for (Child& child : children_)
    if (auto* image = dynamic_cast<CComponentImage*>(child.object.get())) image->SetKeyTransparent(on);
}

bool ObjectGroup::HasLinkAt(int x, int y) const {
  MapObject* child = const_cast<ObjectGroup*>(this)->ChildAt({x, y});
  return child && child->HasLinkAt(x, y);
}

bool ObjectGroup::IsCapturingMouse() const {
  for (const Child& child : children_)
    if (child.object->IsCapturingMouse()) return true;
  return false;
}

void ObjectGroup::OnMouseMove(unsigned flags, platform::Point point) {
  platform::Point relative;
  MapObject* child = ChildAndPoint(point, relative);
  Hover(child);
  if (child) child->OnMouseMove(flags, relative);
}

void ObjectGroup::OnLButtonDown(unsigned flags, platform::Point point) {
  ToChildAt(point, [&](MapObject& child, platform::Point at) { child.OnLButtonDown(flags, at); });
}

void ObjectGroup::OnLButtonUp(unsigned flags, platform::Point point) {
  ToChildAt(point, [&](MapObject& child, platform::Point at) { child.OnLButtonUp(flags, at); });
}

void ObjectGroup::OnRButtonDown(unsigned flags, platform::Point point) {
  ToChildAt(point, [&](MapObject& child, platform::Point at) { child.OnRButtonDown(flags, at); });
}

void ObjectGroup::OnRButtonUp(unsigned flags, platform::Point point) {
  ToChildAt(point, [&](MapObject& child, platform::Point at) { child.OnRButtonUp(flags, at); });
}

void ObjectGroup::OnMouseExit() {
  Hover(nullptr);
  CComponentImage::OnMouseExit();
}

void ObjectGroup::OnClick(platform::Point point, int button) {
  ToChildAt(point, [&](MapObject& child, platform::Point at) { child.OnClick(at, button); });
}

void ObjectGroup::OnClickWithOption(platform::Point point, int button, const std::string& option) {
  ToChildAt(point, [&](MapObject& child, platform::Point at) { child.OnClickWithOption(at, button, option); });
}

}  // namespace zolvex
