// Frame composition of the view: what is drawn, in which order.
#include <algorithm>
#include <cstdio>

#include "documents/MapDocument.h"
#include "objects/MapObject.h"
#include "platform/TextValues.h"
#include "view/BrowserPropertyRules.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

namespace {
constexpr platform::Color kSelectionOuter = 0xFF00FF;
constexpr platform::Color kSelectionInner = 0xFFFFFF;
constexpr int kRasterInvert = 6;
constexpr int kRasterCopy = 13;
constexpr int kMagnifierBelowLayer = 12;
}  // namespace

bool MapView::NeedsRedraw() const { return !suspended_ && !inputBusy_ && dirty_; }

platform::Color MapView::GetBackgroundColor() {
  return ParseColor(GetBrowserProperty("BackgroundColor")).value_or(0);
}

void MapView::SetBackgroundImage(std::unique_ptr<ViewImage> image) { backgroundImage_ = std::move(image); }

void MapView::DrawItems(const std::vector<MapObject*>& items, MapObject::DrawLayer layer, bool includeHidden) {
  const int level = document_ ? document_->GetLevel() : 0;
  for (MapObject* item : items) {
    if (item->GetDrawLayer() != layer) continue;
    if (layer == MapObject::DrawLayer::Overlay) {
      if (item->IsActive()) activeItems_.push_back(item);
      if (!item->IsShownAtLevel(level)) {
        if (item->HidesOutsideItsLevels()) item->SetVisible(false);
        continue;
      }
      if (!includeHidden && item->IsHiddenForPrinting()) continue;
      // The magnifier lies under the items of layer 12 (the page modes' controls).
      if (item->GetLayer() == kMagnifierBelowLayer) DrawMagnifierOnce();
    }
    item->Draw();
  }
}

// The image tiles cover most frames whole; the background is painted only around them.
std::vector<platform::Rect> MapView::OpaqueImageAreas(const std::vector<MapObject*>& items,
                                                      const platform::Rect& clip) {
  std::vector<platform::Rect> areas;
  for (MapObject* item : items) {
    if (item->GetDrawLayer() != MapObject::DrawLayer::Image) continue;
    if (std::optional<platform::Rect> area = item->OpaqueScreenArea()) areas.push_back(area->Intersect(clip));
  }
  return areas;
}

void MapView::GiveLevelNotices(const std::vector<MapObject*>& items) {
  if (!document_) return;
  const int level = document_->GetLevel();
  for (MapObject* item : items) {
    if (item->IsActive()) item->OnLevelNotice(level);
  }
}

void MapView::DrawFrame(bool includeHidden, bool mayHoldBack) {
  std::lock_guard lock(viewLock_);
  frameHeldBack_ = false;
  if (suspended_) {
    ClearBackground();
    return;
  }
  if (!document_) {
    // The view's own objects (tooltips, the back button) show over an empty view too.
    ClearBackground();
    magnifierDrawn_ = false;
    DrawOwnObjects(includeHidden);
    return;
  }
  dirty_ = false;
  visibleItems_.clear();
  magnifierDrawn_ = false;

  // Content narrower than the window is centred between margins.
  int dx = 0, dy = 0;
  if (ContentRectInUse()) {
    int boundedWidth = std::min(viewWidth_, static_cast<int>(document_->GetScaleX() * (contentRect_.right - contentRect_.left)));
    int boundedHeight = std::min(viewHeight_, static_cast<int>(document_->GetScaleY() * (contentRect_.bottom - contentRect_.top)));
    if (boundedWidth < viewWidth_ || boundedHeight < viewHeight_) {
      dx = (viewWidth_ - boundedWidth) / 2;
      dy = (viewHeight_ - boundedHeight) / 2;
    }
  }
  std::vector<MapObject*> items;
  int count = document_->GetDrawList(items, viewX_ + dx, viewY_ + dy, viewWidth_ - 2 * dx, viewHeight_ - 2 * dy, 1, 0);
  if (count < 0) {
    document_->GetDrawList(items, viewX_ + dx, viewY_ + dy, viewWidth_ - 2 * dx, viewHeight_ - 2 * dy, 1, 0);
    items.clear();
  }
  const bool keepStates = commands_->KeepsSelection();
  for (MapObject* item : items) {
    item->SetView(this);
    if (!keepStates) item->ResetFrameState();
  }
  visibleItems_ = items;
  activeItems_.clear();
  // A zoom asked for since the last frame plays before the frame is composed. Work that
  // ran while it drained input may have replaced the document, and these items with it.
  MapDocument* const drawn = document_.get();
  StartPendingZoom();
  if (document_.get() != drawn || HoldForTiles(mayHoldBack)) return;

  const platform::Rect imageClip{dx, dy, viewWidth_ - dx, viewHeight_ - dy};
  ClearBackgroundAround(OpaqueImageAreas(items, imageClip));
  if (dx > 0 || dy > 0) ClipDrawing(imageClip);
  DrawItems(items, MapObject::DrawLayer::Image, includeHidden);
  ResetDrawingClip();
  DrawItems(items, MapObject::DrawLayer::Overlay, includeHidden);
  DrawOwnObjects(includeHidden);

  pendingTiles_ = document_->GetPendingTileCount();
  DrawProgressBar();
  DrawSelection();
  if (includeHidden) DrawCenterMarker();
  DrawZoomArea();
  std::vector<MapObject*> active;
  active.swap(activeItems_);
  GiveLevelNotices(active);
}

void MapView::DrawProgressBar() {
  if (pendingTiles_ == 0) maxPendingTiles_ = 0;
  maxPendingTiles_ = std::max(maxPendingTiles_, pendingTiles_);
  if (!IsYes(GetBrowserProperty("progressbar")) || maxPendingTiles_ == 0) return;
  const int x0 = viewWidth_ / 2 - 50;
  FillRect(x0, 3, 100, 10, 0);
  for (int i = 0; i < pendingTiles_; ++i) {
    FillRect(x0 + 3 + (100 * i) / maxPendingTiles_, 3, 100 / maxPendingTiles_ - 3, 10, 0xFFFFFF);
  }
}

void MapView::DrawSelection() {
  if (!IsYes(GetBrowserProperty("ShowSelection"))) return;
  MapObject* edited = document_->GetEditedObject();
  if (!edited || !edited->IsVisible()) return;
  platform::Rect r = edited->GetScreenRect();
  DrawRectOutline(r.left, r.top, r.Width(), r.Height(), kSelectionOuter, 0, 1);
  DrawRectOutline(r.left + 1, r.top + 1, r.Width() - 2, r.Height() - 2, kSelectionInner, 0, 1);
}

void MapView::DrawCenterMarker() {
  // The flag the property rule keeps: set by "yes" alone.
  if (!propertyRules_->DrawsCenterMarker()) return;
  const int cx = viewWidth_ / 2, cy = viewHeight_ / 2;
  SetDrawParameter(kDrawLineRasterMode, kRasterInvert);
  DrawLine(cx - 5, cy, cx + 5, cy, 0, 0, 1);
  SetDrawParameter(kDrawLineRasterMode, kRasterInvert);
  DrawLine(cx, cy - 5, cx, cy + 5, 0, 0, 1);
  SetDrawParameter(kDrawLineRasterMode, kRasterCopy);
}

// The area a click would zoom into, outlined around the pointer: the hovered object's
// rectangle when the pointer is on it, else what the document answers for the point.
void MapView::DrawZoomArea() {
  if (hovered_ && !IsListed(hovered_)) hovered_ = nullptr;
  if (hovered_ && IsYes(hovered_->GetProperty("interactive"))) return;
  if (!IsYes(GetBrowserProperty("DrawZoomArea")) || dragging_ || zoomAreaHidden_) return;
  int x = 0, y = 0, w = 0, h = 0;
  std::string area;
  if (hovered_ && hovered_->HitTest(lastMouse_.x, lastMouse_.y)) {
    platform::Rect r = hovered_->GetScreenRect();
    area = std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.Width()) + "," +
           std::to_string(r.Height());
  } else {
    area = document_->GetParam("ZoomArea:" + std::to_string(lastMouse_.x) + "," + std::to_string(lastMouse_.y));
  }
  if (std::sscanf(area.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) != 4) return;
  x -= 4;
  y -= 4;
  w += 8;
  h += 8;
  const platform::Color color = ParseColor(GetBrowserProperty("DrawZoomAreaColor")).value_or(0xFFFF);
  DrawRectOutline(x, y, w, h, color, 0, 3);
  const int c = std::min(w / 6, h / 6);
  // Corner strokes two pixels outside the outline; the other corners mirror the top-left one.
  auto mirrorX = [&](int px) { return x + w - 1 - (px - x); };
  auto mirrorY = [&](int py) { return y + h - 1 - (py - y); };
  for (bool right : {false, true}) {
    for (bool bottom : {false, true}) {
      auto X = [&](int px) { return right ? mirrorX(px) : px; };
      auto Y = [&](int py) { return bottom ? mirrorY(py) : py; };
      DrawLine(X(x - 2), Y(y - 3), X(x - 2), Y(y + c), color, 0, 4);
      DrawLine(X(x - 3), Y(y - 2), X(x + c), Y(y - 2), color, 0, 4);
    }
  }
}

}  // namespace zolvex
