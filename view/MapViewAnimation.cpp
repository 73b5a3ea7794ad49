// Animated moves of MapView: the gliding scroll, the pan of a snap zoom, the zoom
// animations that ZoomTo asks the next frame for, and PanTo's flight through the levels.
// Everything runs on the window thread inside the operation that asked for it; frames
// are shown at once and time is the platform clock's.
#include <algorithm>
#include <cmath>

#include "documents/MapDocument.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/MapView.h"
#include "view/ScrollAnimation.h"

namespace zolvex {

void MapView::ShowAnimationStep(int x, int y, bool report) {
  SetPosition(x, y, true, report);
  platform_.Window().PresentNow();
}

// ---- Scrolling ----------------------------------------------------------------------------

void MapView::ScrollTo(int x, int y, bool animate) {
  std::lock_guard lock(viewLock_);
  if (animate && IsNo(GetBrowserProperty("PageAnimation"))) animate = false;
  const platform::Point from{viewX_, viewY_};
  viewX_ = x;
  viewY_ = y;
  ValidatePosition(true);
  const platform::Point to{viewX_, viewY_};
  if (to == from) return;
  if (!animate) {
    Redraw();
    return;
  }
  platform::Size page{0, 0};
  if (document_ && pageWidth_ > 0 && pageHeight_ > 0) {
    page = {SaturateToInt(document_->GetScaleX() * pageWidth_), SaturateToInt(document_->GetScaleY() * pageHeight_)};
  }
  const ScrollAnimation glide(from, to, ParseInt(GetBrowserProperty("scrollstep")), page);
  const int delay = ScrollAnimation::DelayMs(ParseInt(GetBrowserProperty("scrolldelay")));
  for (int k = 1; k <= glide.Steps(); ++k) {
    const platform::Point step = glide.StepPosition(k);
    ShowAnimationStep(step.x, step.y, true);
    platform_.Window().Pause(static_cast<std::uint32_t>(delay));
  }
}

// ---- Snap zoom ----------------------------------------------------------------------------

platform::Point MapView::SnapZoomPan(int x, int y) {
  int left = 0;
  int top = 0;
  if (!PageOrigin(PageAt(x, y), left, top)) return {x, y};
  const int right = SaturateToInt(document_->GetScaleX() * pageWidth_ + left);
  const int bottom = SaturateToInt(document_->GetScaleY() * pageHeight_ + top);
  auto shift = [](int first, int last, int view, int side) {
    if (first < view) return first - view;
    if (last > view + side) return last - view - side;
    return 0;
  };
  const platform::Point moveBy{shift(left, right, viewX_, viewWidth_), shift(top, bottom, viewY_, viewHeight_)};
  if (moveBy != platform::Point{0, 0}) RunSnapPan(moveBy);
  return {ClampToInt((static_cast<long long>(left) + right) / 2), ClampToInt((static_cast<long long>(top) + bottom) / 2)};
}

void MapView::RunSnapPan(platform::Point shift) {
  const SnapPan pan(shift);
  const platform::Point start{viewX_, viewY_};
  const platform::Point target{ClampToInt(static_cast<long long>(start.x) + shift.x),
                               ClampToInt(static_cast<long long>(start.y) + shift.y)};
  if (pan.DurationMs() >= 1) {
    const std::uint64_t began = platform_.TimeSource().NowMs();
    // Every step pauses, so no more steps than this fit: a clock that stands still
    // cannot hold the window thread.
    const int maxSteps = pan.DurationMs() / static_cast<int>(SnapPan::kStepPauseMs) + 2;
    for (int steps = 0; steps < maxSteps; ++steps) {
      const std::uint64_t elapsed = platform_.TimeSource().NowMs() - began;
      const platform::Point moved = pan.OffsetAt(elapsed);
      ShowAnimationStep(start.x + moved.x, start.y + moved.y, false);
      platform_.Window().Pause(SnapPan::kStepPauseMs);
      if (elapsed >= static_cast<std::uint64_t>(pan.DurationMs()) || moved == shift) break;
    }
  }
  if (platform::Point{viewX_, viewY_} != target) SetPosition(target.x, target.y, true, false);
}

// ---- Zoom requests ------------------------------------------------------------------------

bool MapView::SmoothZoomAllowed(int fromX, int fromY) {
  if (IsYes(GetBrowserProperty("disablesmoothzoom"))) return false;
  return (fromX >= 0 && fromY >= 0) || !IsNo(GetBrowserProperty("AlwaysSmoothZoom"));
}

// (x, y): the anchor in pixels of the old level; old: the position of the stored frame.
void MapView::RequestZoomIn(int x, int y, platform::Point old, double ratioX, double ratioY) {
  const int w = viewWidth_, h = viewHeight_;
  // The magnified part (1/ratio of the window around the anchor) must lie inside the
  // stored frame: an anchor near an edge moves inwards.
  auto inside = [](int anchor, int origin, double ratio, int side) {
    const int cropped = std::max(0, SaturateToInt(side * (1 - 1 / ratio)));
    const long long offset = std::clamp(static_cast<long long>(anchor) - origin, static_cast<long long>(side - cropped) / 2,
                                        (static_cast<long long>(cropped) + side) / 2);
    return ClampToInt(origin + offset);
  };
  x = inside(x, old.x, ratioX, w);
  y = inside(y, old.y, ratioY, h);
  // Where the new level's window comes to rest for that anchor, as the document and the
  // content limits place it; the position itself is set by ZoomTo.
  int targetX = SaturateToInt(x * ratioX - w / 2);
  int targetY = SaturateToInt(y * ratioY - h / 2);
  document_->OnViewChanged(0, targetX, targetY, w, h, document_->GetLevel(), 1, -1, -1);
  SetPosition(targetX, targetY, false, false);
  const platform::Point rest{viewX_, viewY_};
  SetPosition(old.x, old.y, false, false);
  zoomRequest_.anchorX = SaturateToInt((rest.x + w / 2) / ratioX) - old.x;
  zoomRequest_.anchorY = SaturateToInt((rest.y + h / 2) / ratioY) - old.y;
  zoomRequest_.ratioX = ratioX;
  zoomRequest_.ratioY = ratioY;
  zoomRequest_.zoomInPending = true;
}

// Called with the new level's position in place; old: the position before the zoom.
void MapView::RequestZoomOut(platform::Point old, double oldScaleX, double oldScaleY) {
  const int w = viewWidth_, h = viewHeight_;
  const int level = document_->GetLevel();
  document_->OnViewChanged(0, viewX_, viewY_, w, h, level, 1, -1, -1);
  SetPosition(viewX_, viewY_, false, true);
  const double scaleX = document_->GetScaleX(), scaleY = document_->GetScaleY();
  zoomRequest_.anchorX = SaturateToInt(scaleX * (old.x + w / 2) / oldScaleX) - viewX_;
  zoomRequest_.anchorY = SaturateToInt(scaleY * (old.y + h / 2) / oldScaleY) - viewY_;
  zoomRequest_.ratioX = scaleX / oldScaleX;
  zoomRequest_.ratioY = scaleY / oldScaleY;
  zoomRequest_.zoomOutPending = true;
  // A window of its own would stand still while the picture shrinks around it.
  for (MapObject* item : visibleItems_) {
    if (item->IsVisible() && item->IsWindowed() && item->IsShownAtLevel(level) && !item->IsScreenCoordinates()) {
      item->Suspend();
    }
  }
}

void MapView::StartPendingZoom() {
  if (zoomRequest_.zoomInPending) {
    zoomRequest_.zoomInPending = false;
    AnimateZoomIn(zoomRequest_);
  } else if (zoomRequest_.zoomOutPending) {
    zoomRequest_.zoomOutPending = false;
    AnimateZoomOut(zoomRequest_);
    // The animation lets them go frame by frame; without one (no surfaces) they must not
    // stay held.
    ResumeWindowedItems();
  }
}

void MapView::ResumeWindowedItems() {
  const int level = document_->GetLevel();
  for (MapObject* item : visibleItems_) {
    if (item->IsWindowed() && item->IsShownAtLevel(level) && !item->IsScreenCoordinates()) item->Resume();
  }
}

// ---- PanTo --------------------------------------------------------------------------------

void MapView::PanTo(int x, int y, int level) {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument() || document_->GetLevelCount() < 1) return;
  const int target = std::clamp(level, 0, document_->GetLevelCount() - 1);
  const int current = document_->GetLevel();
  const long long targetWidth = document_->GetLevelWidth(target);
  const long long targetHeight = document_->GetLevelHeight(target);
  if (targetWidth <= 0 || targetHeight <= 0) return;
  // The point in pixels of the level now shown.
  auto levelX = [&] { return ClampToInt(x * static_cast<long long>(document_->GetWidth()) / targetWidth); };
  auto levelY = [&] { return ClampToInt(y * static_cast<long long>(document_->GetHeight()) / targetHeight); };
  const long long middleX = viewX_ + viewWidth_ / 2, middleY = viewY_ + viewHeight_ / 2;
  const long long tx = levelX(), ty = levelY();
  double distance = std::trunc(std::hypot(static_cast<double>(middleX - tx), static_cast<double>(middleY - ty)));

  // Out as many levels as it takes for the way to fit in the window; a pan at one level
  // still dips one level out.
  int out = current;
  while (out > 0 && viewWidth_ < distance) {
    const int width = document_->GetLevelWidth(out);
    if (width <= 0) break;
    distance = std::trunc(distance * document_->GetLevelWidth(out - 1) / width);
    --out;
  }
  if (out == current && current == target && out > 0) --out;

  int next = current + 1;
  if (out < target && out != current) {
    ZoomTo(out, ClampToInt((middleX + tx) / 2), ClampToInt((middleY + ty) / 2), true);
    next = out + 1;
  }
  for (int m = next; m < target; ++m) ZoomTo(m, levelX(), levelY(), true);
  ZoomTo(target, levelX(), levelY(), true);
}

}  // namespace zolvex
