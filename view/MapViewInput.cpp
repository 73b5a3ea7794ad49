// Mouse and keyboard handling of the view: dragging pans, a click zooms in around the
// point, a right click zooms out, keys step through the content and its pages, Shift-drag
// selects several objects. The active document's hooks see every event first.
#include <algorithm>
#include <cstdlib>

#include "documents/MapDocument.h"
#include "objects/CComponentLink.h"
#include "objects/MapObject.h"
#include "platform/InputEvent.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/CommandInterpreter.h"
#include "documents/KeyHook.h"
#include "view/Magnifier.h"
#include "view/MapView.h"
#include "documents/MouseHook.h"

namespace zolvex {

namespace {
constexpr int kDeadZone = 10;
constexpr std::int64_t kClickTimeMs = 1500;
// How far the pointer may wander from where a simple tooltip appeared before it goes.
constexpr int kTooltipSlack = 10;
// Automatic play: moving the mouse holds the next page back to this many units of delay.
constexpr int kPlayDelayKept = 3;
constexpr int kTicksPerPlayUnit = 5;

// An object with a link at the point takes the click from the view, unless its link is
// silent ("ext_silent:"): such an object shares its clicks with the view.
bool TakesClicksAt(const MapObject* object, int x, int y) {
  return object && object->HasLinkAt(x, y) && !object->IsSilentLink();
}

bool IsRightMenuLink(const MapObject& object) {
  const auto* link = dynamic_cast<const CComponentLink*>(&object);
  return link && StartsWithNoCase(link->GetLink(), "rmenu:");
}
}  // namespace

bool MapView::IsListed(MapObject* object) const {
  return std::find(visibleItems_.begin(), visibleItems_.end(), object) != visibleItems_.end() ||
         IsOwnObject(object);
}

void MapView::ApplyCursor(const std::string& cursor) {
  if (platform_.Window().CurrentCursor() != cursor) platform_.Window().SetCursor(cursor);
}

std::string MapView::LevelCursor() {
  if (!HasValidDocument()) return "default";
  const int level = document_->GetLevel(), last = document_->GetLevelCount() - 1;
  // Hint cursors tell how far the picture can still be zoomed.
  if (IsYes(GetBrowserProperty("usehintcursor"))) {
    if (level <= 0) return "IDC_CURSOR_LOW";
    return level >= last ? "IDC_CURSOR_HIGH" : "IDC_CURSOR_MID";
  }
  if (level >= last) return "default";
  // The zoom cursor is the plain arrow unless the page asks for the magnifying one.
  return IsYes(GetBrowserProperty("UseZoomCursor")) ? "zoom-in" : "default";
}

void MapView::ShowLevelCursor() {
  levelCursor_ = LevelCursor();
  ApplyCursor(levelCursor_);
}

void MapView::SetLevelCursor(const std::string& cursor) {
  const bool showing = platform_.Window().CurrentCursor() == levelCursor_;
  levelCursor_ = cursor;
  if (showing) ApplyCursor(cursor);
}

MapObject* MapView::ObjectAt(int x, int y) {
  const int level = HasValidDocument() ? document_->GetLevel() : 0;
  MapObject* candidate = nullptr;
  int bestLayer = -1;
  if (HasValidDocument()) {
    for (auto it = visibleItems_.rbegin(); it != visibleItems_.rend(); ++it) {
      MapObject* item = *it;
      // The picture's tiles are no objects to point at.
      if (item->GetDrawLayer() == MapObject::DrawLayer::Image || !item->IsShownAtLevel(level)) continue;
      bool capturing = item->IsCapturingMouse();
      if (!item->HitTest(x, y) && !capturing) continue;
      if (item->IsClickThroughAt(x, y)) continue;
      if (capturing) return item;
      if (item->GetLayer() <= bestLayer) continue;
      candidate = item;
      bestLayer = item->GetLayer();
    }
  }
  // The view's own objects lie above the document's unless these have a higher layer.
  for (auto it = ownObjects_.rbegin(); it != ownObjects_.rend(); ++it) {
    MapObject* own = *it;
    if (!own->IsShownAtLevel(level)) continue;
    bool hit = (own->HitTest(x, y) && !own->IsClickThroughAt(x, y)) || own->IsCapturingMouse();
    if (!hit) continue;
    if (!candidate || candidate->GetLayer() < own->GetLayer()) candidate = own;
  }
  return candidate;
}

void MapView::UpdateHover(MapObject* object) {
  if (hovered_ && !IsListed(hovered_)) hovered_ = nullptr;
  if (object != hovered_) {
    if (hovered_) hovered_->OnMouseExit();
    if (object) object->OnMouseEnter();
    hovered_ = object;
  }
  if (object && object == simpleTooltip_.get()) return;
  if (object && object == tooltipCandidate_ && object->GetTooltip() == lastTooltipText_) return;
  lastTooltipText_.clear();
  if (object && !object->GetTooltip().empty()) {
    tooltipCandidate_ = object;
    hoverStart_ = NowMs();
  } else {
    tooltipCandidate_ = nullptr;
    HideTooltips();
  }
}

// ---- Mouse --------------------------------------------------------------------------------

// A small move drags the simple tooltip along; a larger one hides it.
bool MapView::MoveTooltipWithPointer(int x, int y) {
  if (!IsOwnObject(simpleTooltip_.get())) return false;
  bool far = std::abs(x - tooltipAnchor_.x) > kTooltipSlack || std::abs(y - tooltipAnchor_.y) > kTooltipSlack;
  if (far && !IsNo(GetBrowserProperty("hidetooltiponmove"))) {
    HideTooltips();
    return false;
  }
  simpleTooltip_->MoveTo({x + 1, y + 1}, {viewWidth_, viewHeight_});
  return true;
}

// Moving or pressing the mouse postpones the next page of automatic play.
void MapView::CapPlayTicks() {
  const int delay = commands_->PlayDelay();
  if (!commands_->IsPlaying() || delay <= kPlayDelayKept) return;
  const int cap = kTicksPerPlayUnit * (delay - kPlayDelayKept);
  if (commands_->PlayTicks() > cap) commands_->SetPlayTicks(cap);
}

// Once the pointer has left the dead zone, the view follows it.
bool MapView::PanWithPointer(int x, int y) {
  const int dx = x - dragStart_.x, dy = y - dragStart_.y;
  if (deadZone_ && std::abs(dx) <= kDeadZone && std::abs(dy) <= kDeadZone) return false;
  dragStart_ = {x, y};
  pressTime_ = -1;
  SetPosition(viewX_ - dx, viewY_ - dy, false, true);
  deadZone_ = false;
  return true;
}

// Over an object that takes clicks, its own cursor (or the link cursor); elsewhere the level's.
void MapView::ShowPointerCursor(MapObject* object, int x, int y) {
  const bool link = TakesClicksAt(object, x, y);
  const std::string cursor = link ? object->GetObjectCursor() : LevelCursor();
  ApplyCursor(link && cursor.empty() ? "pointer" : cursor);
}

void MapView::OnMouseMove(int x, int y, unsigned flags, std::uint64_t time) {
  if (lastMouse_ == platform::Point{x, y}) return;
  zoomAreaIdle_ = 0;
  bool redraw = zoomAreaHidden_;
  zoomAreaHidden_ = false;
  redraw |= MoveTooltipWithPointer(x, y);
  bool consumed = suspended_;
  if (!consumed) {
    lastEventTime_ = time;
    consumed = mouseHook_ && mouseHook_->OnMouseMove(x, y, flags, time);
  }
  if (consumed) {
    if (redraw) Redraw();
    return;
  }

  std::lock_guard lock(viewLock_);
  lastMouse_ = {x, y};
  if (IsMagnifierShown()) {
    magnifier_->FollowPointer(lastMouse_);
    redraw = true;
  }
  CapPlayTicks();
  if (dragging_ && !(flags & platform::kModLeftButton)) {
    OnLButtonUp(x, y, flags, time);
    return;
  }
  if (rubberBand_ && commands_->KeepsSelection()) {
    ResizeRubberBand(x, y, flags);
    return;
  }
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnMouseMove(flags, {x, y});
  const bool allowsDrag = !object || object->AllowsViewDrag(x, y);
  const bool panned = dragging_ && allowsDrag && PanWithPointer(x, y);
  redraw |= panned;
  if (!panned && (!dragging_ || deadZone_) && commands_->CreatingObjectId() == -1) {
    ShowPointerCursor(object, x, y);
    // The zoom area follows the pointer.
    if (IsYes(GetBrowserProperty("DrawZoomArea")) && !zoomAreaHidden_) redraw = true;
  }
  lastInputTime_ = NowMs();
  if (redraw) Redraw();
}

// A press on an editable object while the page edits makes it the one being edited.
void MapView::EditObjectOnPress(MapObject* object) {
  if (!object->AllowsEditing() || !IsYes(GetBrowserProperty("isediting"))) return;
  if (document_) document_->SelectObject(object);
  for (MapObject* item : visibleItems_) {
    if (item != object) item->SetEditing(false);
  }
  object->SetEditing(true);
  Redraw();
}

void MapView::OnLButtonDown(int x, int y, unsigned flags, std::uint64_t time) {
  HideTooltips();
  if (suspended_) return;
  lastEventTime_ = time;
  if (mouseHook_ && mouseHook_->OnLButtonDown(x, y, time)) return;

  std::lock_guard lock(viewLock_);
  CapPlayTicks();
  if (commands_->KeepsSelection() && (flags & platform::kModShift) && !rubberBand_) {
    StartRubberBand(x, y);
    return;
  }
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  bool allowsDrag = true;
  if (object) {
    EditObjectOnPress(object);
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
  ShowBackButtonOnTouch();
  lastInputTime_ = NowMs();
  platform_.Window().SetCapture();
}

void MapView::OnLButtonUp(int x, int y, unsigned flags, std::uint64_t time) {
  HideTooltips();
  if (suspended_) return;
  lastEventTime_ = time;
  if (mouseHook_ && mouseHook_->OnLButtonUp(x, y, time)) {
    dragging_ = false;
    deadZone_ = false;
    platform_.Window().ReleaseCapture();
    return;
  }

  std::lock_guard lock(viewLock_);
  platform_.Window().ReleaseCapture();
  if (rubberBand_) {
    SelectInRubberBand(flags);
    return;
  }
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnLButtonUp(flags, {x, y});
  if ((!object || object->AllowsViewDrag(x, y)) && HasValidDocument()) {
    if (dragging_) ApplyCursor(LevelCursor());
    if (dragging_ && !deadZone_ && IsYes(document_->GetParam("snappage")) && document_->GetLevel() == 0) {
      SnapToPage();
    }
    dragging_ = false;
  }
  bool quick = pressTime_ >= 0 && static_cast<std::int64_t>(time) - pressTime_ < kClickTimeMs;
  // A press held still for long is not a click, unless the drag is still on: an object
  // that refuses view drags keeps it, and its long press still clicks.
  if (deadZone_ && (dragging_ || quick) && std::abs(x - dragStart_.x) < kDeadZone &&
      std::abs(y - dragStart_.y) < kDeadZone) {
    Click(x, y, flags, kObjectLeftButton);
  }
  deadZone_ = false;
  lastInputTime_ = NowMs();
}

// After a drag the view settles on the page grid: on the page under its top-left corner,
// or on the next one when more than a third of that page has already been dragged away.
void MapView::SnapToPage() {
  int originX = 0, originY = 0;
  if (!PageOrigin(PageAt(-1, -1), originX, originY)) return;
  const int pw = PageWidthAtLevel();
  const int ph = PageHeightAtLevel();
  if (viewX_ - originX > pw / 3) originX += pw;
  if (viewY_ - originY > ph / 3) originY += ph;
  ScrollTo(originX, originY);
}

void MapView::OnRButtonDown(int x, int y, unsigned flags, std::uint64_t time) {
  HideTooltips();
  if (suspended_) return;
  lastEventTime_ = time;
  if (mouseHook_ && mouseHook_->OnRButtonDown(x, y, time)) return;

  std::lock_guard lock(viewLock_);
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnRButtonDown(flags, {x, y});
  rightPress_ = {x, y};
  ShowBackButtonOnTouch();
  lastInputTime_ = NowMs();
}

void MapView::OnRButtonUp(int x, int y, unsigned flags, std::uint64_t time) {
  HideTooltips();
  if (suspended_) return;
  lastEventTime_ = time;
  if (mouseHook_ && mouseHook_->OnRButtonUp(x, y, time)) return;

  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return;
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  if (object) object->OnRButtonUp(flags, {x, y});
  const bool still = std::abs(x - rightPress_.x) < kDeadZone && std::abs(y - rightPress_.y) < kDeadZone;
  if (still) Click(x, y, flags, kObjectRightButton);
}

void MapView::OnMouseLeave() {
  if (hovered_ && IsListed(hovered_)) hovered_->OnMouseExit();
  hovered_ = nullptr;
  lastMouse_ = {-1000, -1000};
}

// ---- Selection band -----------------------------------------------------------------------

void MapView::StartRubberBand(int x, int y) {
  rubberBand_ = true;
  rubberBandObject_->SetRect(x, y, 0, 0);
  rubberBandObject_->SetVisible(true);
  AddOwnObject(rubberBandObject_.get());
  InvalidateObject(*rubberBandObject_, true);
}

void MapView::ResizeRubberBand(int x, int y, unsigned flags) {
  RubberBandObject& band = *rubberBandObject_;
  if (flags & platform::kModShift) {
    band.SetRect(band.GetX(), band.GetY(), std::max(0, x - band.GetX()), std::max(0, y - band.GetY()));
    band.UpdateScreenRect();
  } else {
    band.SetVisible(false);
    RemoveOwnObject(&band);
    rubberBand_ = false;
  }
  InvalidateObject(band, true);
}

// Selects the selectable objects whose top-left corner lies in the band. The band is in
// window pixels, so each corner is taken to the window the way the object is drawn.
void MapView::SelectInRubberBand(unsigned flags) {
  RubberBandObject& band = *rubberBandObject_;
  const platform::Rect area = platform::Rect::FromSize(band.GetX(), band.GetY(), band.GetWidth(), band.GetHeight());
  band.SetVisible(false);
  RemoveOwnObject(&band);
  rubberBand_ = false;
  if (document_) {
    std::vector<std::string>& selected = commands_->SelectedObjectIds();
    const bool keep = (flags & platform::kModControl) != 0;
    if (!keep) selected.clear();
    for (MapObject* object : document_->GetObjectList()) {
      if (!keep) object->SetSelected(false);
      if (!object->IsSelectable()) continue;
      platform::Point corner{object->GetX(), object->GetY()};
      if (!object->IsScreenCoordinates()) {
        corner = {static_cast<int>(document_->GetScaleX() * corner.x) - viewX_,
                  static_cast<int>(document_->GetScaleY() * corner.y) - viewY_};
      }
      bool inside = area.left <= corner.x && corner.x <= area.right && area.top <= corner.y && corner.y <= area.bottom;
      if (!inside || object->IsSelected()) continue;
      object->SetSelected(true);
      selected.push_back(std::to_string(object->GetId()));
    }
  }
  InvalidateObject(band, true);
}

void MapView::ToggleSelection(MapObject* object) {
  std::vector<std::string>& selected = commands_->SelectedObjectIds();
  const std::string id = std::to_string(object->GetId());
  object->SetSelected(!object->IsSelected());
  selected.erase(std::remove(selected.begin(), selected.end(), id), selected.end());
  if (object->IsSelected()) selected.push_back(id);
  InvalidateObject(*object, true);
}

// ---- Click --------------------------------------------------------------------------------

void MapView::Click(int x, int y, unsigned flags, ObjectButton kind) {
  std::lock_guard lock(viewLock_);
  MapObject* object = ObjectAt(x, y);
  UpdateHover(object);
  bool takesClick = TakesClicksAt(object, x, y) && (kind == kObjectLeftButton || IsRightMenuLink(*object));
  if (!takesClick) {
    if (!HasValidDocument()) return;
    takesClick = object && ((object->IsSelectable() && commands_->KeepsSelection()) || object->IsEditing() ||
                            object->IsCapturingMouse());
  }
  if (!takesClick) {
    // A silent link only tells the page; the click still zooms.
    if (object && object->IsSilentLink()) object->OnClick({x, y}, kind);
    ZoomAt(x, y, kind);
    Redraw();
    return;
  }
  if (commands_->KeepsSelection() && (flags & platform::kModControl) && object->IsSelectable()) {
    ToggleSelection(object);
  } else {
    object->OnClick({x, y}, kind);
  }
}

// ---- Keys ---------------------------------------------------------------------------------

bool MapView::OnKeyDown(int key, int repeat, unsigned flags, std::uint64_t time) {
  if (suspended_) return false;
  lastEventTime_ = time;
  if (keyHook_ && keyHook_->OnKeyDown(key, repeat, flags, time)) return true;
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument() || dragging_) return false;
  inputBusy_ = true;
  bool handled = HandleKey(key, flags);
  inputBusy_ = false;
  return handled;
}

// Page mode needs a page size that the page or the content set; the window size that
// stands in for a missing one does not count.
bool MapView::InPageMode() {
  return std::strtod(GetBrowserProperty("pagewidth").c_str(), nullptr) > 0 &&
         std::strtod(GetBrowserProperty("pageheight").c_str(), nullptr) > 0;
}

bool MapView::HandleKey(int key, unsigned flags) {
  const bool control = (flags & platform::kModControl) != 0;
  const bool byPage = InPageMode() && !control && PageWidthAtLevel() > 0 && PageHeightAtLevel() > 0;
  switch (key) {
    case platform::kKeyBack:
    case platform::kKeyEscape: GoBack(); break;
    case platform::kKeyPageUp: Execute("prevpage", ""); break;
    case platform::kKeyPageDown: Execute("nextpage", ""); break;
    case platform::kKeyEnd: {
      std::string pages = GetBrowserProperty("pagecount");
      if (!pages.empty()) {
        Execute("gotopage", pages);
      } else {
        ScrollTo(document_->GetWidth(), document_->GetHeight());
      }
      break;
    }
    case platform::kKeyHome: Execute("gotopage", "1"); break;
    case platform::kKeyLeft:
    case platform::kKeyRight:
    case platform::kKeyUp:
    case platform::kKeyDown:
      if (byPage) {
        StepByPage(key);
      } else if (key == platform::kKeyLeft || key == platform::kKeyRight) {
        ScrollTo(viewX_ + (key == platform::kKeyLeft ? -1 : 1) * (viewWidth_ / 2), viewY_);
      } else {
        ScrollTo(viewX_, viewY_ + (key == platform::kKeyUp ? -1 : 1) * (viewHeight_ / 2));
      }
      break;
    case platform::kKeyDelete: DeleteEditedObject(); break;
    case platform::kKeyAdd: Execute("zoomin", ""); break;
    case platform::kKeySubtract:
      if (document_->GetLevel() >= 1 && document_->GetLevel() > minLevel_) {
        Execute("zoomout", "");
        Redraw();
      }
      break;
    default: return false;
  }
  return true;
}

// Arrow keys in page mode go to the previous or next page of the grid. The step is
// counted from the content's origin, like the grid itself, and the other coordinate
// stays where it is.
void MapView::StepByPage(int key) {
  const int pw = PageWidthAtLevel();
  const int ph = PageHeightAtLevel();
  const int ox = DocumentOffset("offsetx", document_->GetScaleX());
  const int oy = DocumentOffset("offsety", document_->GetScaleY());
  switch (key) {
    case platform::kKeyLeft: ScrollTo(ox + pw * ((viewX_ - ox - 1) / pw), viewY_); break;
    case platform::kKeyRight: ScrollTo(ox + pw * ((viewX_ - ox) / pw + 1), viewY_); break;
    case platform::kKeyUp: ScrollTo(viewX_, oy + ph * ((viewY_ - oy - 1) / ph)); break;
    case platform::kKeyDown: ScrollTo(viewX_, oy + ph * ((viewY_ - oy) / ph + 1)); break;
    default: break;
  }
}

// Back to the content shown before, on the page the view left it at.
void MapView::GoBack() {
  const std::vector<std::string>& entries = history_.Entries();
  if (entries.size() <= 1) return;
  const std::string target = entries[entries.size() - 2];
  history_.PopLast();
  history_.PopLast();
  std::string page;
  if (!pageHistory_.empty()) {
    page = pageHistory_.back();
    pageHistory_.pop_back();
  }
  ViewEvent event;
  event.name = "urlset";
  event.param1 = target;
  event.param2 = page;
  PostViewEvent(event);
  OpenUrl(target, false, 0, 0, 0);
  ValidatePosition(true);
  // Without a recorded page the position the history entry carries stands.
  if (!page.empty()) Execute("gotopage", page);
}

void MapView::DeleteEditedObject() {
  if (!IsYes(GetBrowserProperty("IsEditing"))) return;
  MapObject* object = document_->GetEditedObject();
  if (!object || !object->AllowsEditing()) return;
  const std::string id = std::to_string(object->GetId());
  ViewEvent deleting;
  deleting.name = "DeletingObject";
  deleting.param2 = id;
  PostViewEvent(deleting);
  if (object == hovered_) hovered_ = nullptr;
  if (object == tooltipCandidate_) tooltipCandidate_ = nullptr;
  document_->RemoveObject(object);
  Redraw();
  ViewEvent deleted = deleting;
  deleted.name = "DeletedObject";
  PostViewEvent(deleted);
}

}  // namespace zolvex
