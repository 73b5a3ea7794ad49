// Mouse and keyboard handling of the view: dragging pans, a click zooms in around the
// point, a right click zooms out, keys step through the content.
#include <algorithm>
#include <cstdlib>

#include "documents/MapDocument.h"
#include "objects/MapObject.h"
#include "platform/InputEvent.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/MapView.h"

namespace zolvex {

namespace {
constexpr int kDeadZone = 10;
constexpr std::int64_t kClickTimeMs = 1500;
constexpr unsigned kFlagLeft = 1;
constexpr unsigned kFlagControl = 8;
}  // namespace

bool MapView::IsListed(MapObject* object) const {
  return std::find(visibleItems_.begin(), visibleItems_.end(), object) != visibleItems_.end();
}

void MapView::ApplyCursor(const std::string& cursor) {
  if (platform_.Window().CurrentCursor() != cursor) platform_.Window().SetCursor(cursor);
}

std::string MapView::LevelCursor() {
  if (!HasValidDocument()) return "default";
  if (document_->GetLevel() >= document_->GetLevelCount() - 1) return "default";
  // The zoom cursor is the plain arrow unless the page asks for the magnifying one.
  return IsYes(GetBrowserProperty("UseZoomCursor")) ? "zoom-in" : "default";
}

MapObject* MapView::ObjectAt(int x, int y) {
  if (!HasValidDocument()) return nullptr;
  const int level = document_->GetLevel();
  MapObject* candidate = nullptr;
  int bestLayer = -1;
  for (auto it = visibleItems_.rbegin(); it != visibleItems_.rend(); ++it) {
    MapObject* item = *it;
    if (!item->IsShownAtLevel(level)) continue;
    bool capturing = item->IsCapturingMouse();
    if (!item->HitTest(x, y) && !capturing) continue;
    if (item->IsClickThroughAt(x, y)) continue;
    if (capturing) return item;
    if (item->GetLayer() <= bestLayer) continue;
    candidate = item;
    bestLayer = item->GetLayer();
  }
  return candidate;
}

void MapView::UpdateHover(MapObject* object) {
  if (hovered_ && !IsListed(hovered_)) hovered_ = nullptr;
  if (object == hovered_) return;
  if (hovered_) hovered_->OnMouseExit();
  if (object) object->OnMouseEnter();
  hovered_ = object;
}

void MapView::OnMouseMove(int x, int y, unsigned flags, std::uint64_t) {
  if (lastMouse_ == platform::Point{x, y} || suspended_) return;
  std::lock_guard lock(viewLock_);
  lastMouse_ = {x, y};
  if (dragging_ && !(flags & kFlagLeft)) {
    OnLButtonUp(x, y, flags, platform_.TimeSource().NowMs());
    return;
  }
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnMouseMove(flags, {x, y});
  bool allowsDrag = !object || object->AllowsViewDrag(x, y);
  if (dragging_ && allowsDrag) {
    int dx = x - dragStart_.x, dy = y - dragStart_.y;
    if (!deadZone_ || std::abs(dx) > kDeadZone || std::abs(dy) > kDeadZone) {
      dragStart_ = {x, y};
      pressTime_ = -1;
      SetPosition(viewX_ - dx, viewY_ - dy, false, true);
      Redraw();
      deadZone_ = false;
      return;
    }
  }
  if (!dragging_ || deadZone_) {
    bool link = object && object->HasLinkAt(x, y);
    std::string cursor = link ? object->GetObjectCursor() : LevelCursor();
    ApplyCursor(link && cursor.empty() ? "pointer" : cursor);
  }
}

void MapView::OnLButtonDown(int x, int y, unsigned flags, std::uint64_t time) {
  if (suspended_) return;
  std::lock_guard lock(viewLock_);
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  bool allowsDrag = true;
  if (object) {
    object->OnLButtonDown(flags, {x, y});
    MapObject* again = ObjectAt(x, y);
    allowsDrag = !again || again->AllowsViewDrag(x, y);
  }
  if (allowsDrag && HasValidDocument()) {
    if (!dragging_) ApplyCursor("grabbing");
    dragging_ = true;
  }
  pressTime_ = static_cast<std::int64_t>(time);
  dragStart_ = {x, y};
  deadZone_ = true;
  platform_.Window().SetCapture();
}

void MapView::OnLButtonUp(int x, int y, unsigned flags, std::uint64_t time) {
  std::lock_guard lock(viewLock_);
  platform_.Window().ReleaseCapture();
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnLButtonUp(flags, {x, y});
  bool wasDragging = dragging_;
  if ((!object || object->AllowsViewDrag(x, y)) && HasValidDocument()) {
    if (dragging_) ApplyCursor(LevelCursor());
    dragging_ = false;
  }
  bool quick = pressTime_ >= 0 && static_cast<std::int64_t>(time) - pressTime_ < kClickTimeMs;
  if (deadZone_ && (wasDragging || quick) && std::abs(x - dragStart_.x) < kDeadZone &&
      std::abs(y - dragStart_.y) < kDeadZone) {
    // A press held still for long is not a click.
    if (quick) Click(x, y, flags, 1);
  }
  deadZone_ = false;
}

void MapView::OnRButtonDown(int x, int y, unsigned flags, std::uint64_t) {
  if (suspended_) return;
  std::lock_guard lock(viewLock_);
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnRButtonDown(flags, {x, y});
  rightPress_ = {x, y};
}

void MapView::OnRButtonUp(int x, int y, unsigned flags, std::uint64_t) {
  if (suspended_) return;
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return;
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnRButtonUp(flags, {x, y});
  if (std::abs(x - rightPress_.x) < kDeadZone && std::abs(y - rightPress_.y) < kDeadZone) Click(x, y, flags, 2);
}

void MapView::OnMouseLeave() {
  if (hovered_ && IsListed(hovered_)) hovered_->OnMouseExit();
  hovered_ = nullptr;
  lastMouse_ = {-1000, -1000};
}

void MapView::Click(int x, int y, unsigned flags, int kind) {
  std::lock_guard lock(viewLock_);
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object && object->HasLinkAt(x, y)) {
    object->OnClick({x, y}, kind);
    return;
  }
  if (!HasValidDocument()) return;
  if (object && (object->IsEditing() || object->IsCapturingMouse() || (object->IsSelectable() && (flags & kFlagControl)))) {
    object->OnClick({x, y}, kind);
    return;
  }
  ZoomAt(x, y, kind);
  Redraw();
}

void MapView::ScrollTo(int x, int y) {
  SetPosition(x, y, true, true);
}

bool MapView::OnKeyDown(int key, int, unsigned flags, std::uint64_t) {
  if (suspended_ || !HasValidDocument() || dragging_) return false;
  std::lock_guard lock(viewLock_);
  inputBusy_ = true;
  bool handled = true;
  const bool control = (flags & kFlagControl) != 0;
  (void)control;
  switch (key) {
    case platform::kKeyLeft: ScrollTo(viewX_ - viewWidth_ / 2, viewY_); break;
    case platform::kKeyRight: ScrollTo(viewX_ + viewWidth_ / 2, viewY_); break;
    case platform::kKeyUp: ScrollTo(viewX_, viewY_ - viewHeight_ / 2); break;
    case platform::kKeyDown: ScrollTo(viewX_, viewY_ + viewHeight_ / 2); break;
    case platform::kKeyHome: ScrollTo(0, 0); break;
    case platform::kKeyEnd: ScrollTo(document_->GetWidth(), document_->GetHeight()); break;
    case platform::kKeyAdd: ZoomIn(); break;
    case platform::kKeySubtract:
      if (document_->GetLevel() >= 1 && document_->GetLevel() > minLevel_) ZoomOut();
      break;
    default: handled = false; break;
  }
  inputBusy_ = false;
  if (handled) Redraw();
  return handled;
}

}  // namespace zolvex
