// FlipMapView's zoom animations: one stored frame stretched towards the new level for
// 300 ms, with the objects that keep their size on the screen drawn above it.
#include <functional>
#include <vector>

#include "documents/MapDocument.h"
#include "platform/Platform.h"
#include "view/FlipMapView.h"
#include "view/SmoothZoom.h"

namespace zolvex {

namespace {

// The running zoom's window services: frames are shown at once, input that queued
// meanwhile is dropped, time is the platform clock's.
class ViewZoomHost : public ZoomFrameHost {
 public:
  ViewZoomHost(FlipMapView& view, std::function<bool(const platform::Rect&)> draw)
      : view_(view), draw_(std::move(draw)) {}
  std::uint64_t NowMs() override { return view_.GetPlatform().TimeSource().NowMs(); }
  bool DrawFrame(const platform::Rect& source) override { return draw_(source); }
  void ShowFrame() override {
    view_.GetPlatform().Window().PresentNow();
    view_.DrainInput();
  }
  void Pause(std::uint32_t ms) override { view_.GetPlatform().Window().Pause(ms); }

 private:
  FlipMapView& view_;
  std::function<bool(const platform::Rect&)> draw_;
};

// The items of the frame that the animation moves: visible and shown at the level.
std::vector<MapObject*> ItemsAtLevel(const std::vector<MapObject*>& items, int level) {
  std::vector<MapObject*> shown;
  for (MapObject* item : items) {
    if (item->IsVisible() && item->IsShownAtLevel(level)) shown.push_back(item);
  }
  return shown;
}

}  // namespace

void FlipMapView::AnimateZoomIn(const ZoomRequest& request) { PlayZoom(true, request); }

void FlipMapView::AnimateZoomOut(const ZoomRequest& request) { PlayZoom(false, request); }

void FlipMapView::PlayZoom(bool zoomIn, const ZoomRequest& request) {
  MapDocument* document = GetDocument();
  if (!back_ || !extraBack_ || !document) return;
  // Zooming in, the old frame was kept before the level changed; zooming out, the new
  // and smaller frame is what grows into the window.
  if (!zoomIn) CaptureTransitionSource();
  const int level = document->GetLevel();
  const std::vector<MapObject*> items = ItemsAtLevel(VisibleItems(), level);
  const std::vector<MapObject*> own = ItemsAtLevel(OwnObjects(), level);
  const int remapMode = zoomIn ? 2 : -2;
  for (MapObject* item : items) {
    item->SetView(this);
    item->BeginRemap(remapMode);
  }
  for (MapObject* item : own) item->BeginRemap(remapMode);

  const SmoothZoom zoom(zoomIn, request, {back_->Width(), back_->Height()});
  ViewZoomHost host(*this, [&](const platform::Rect& source) {
    // Work run while input was drained may have replaced the content.
    return GetDocument() == document && DrawZoomFrame(zoomIn, source);
  });
  zoom.Play(host);

  for (MapObject* item : own) item->EndRemap();
  if (GetDocument() != document) return;  // the document's objects went with it
  for (MapObject* item : items) {
    item->SetView(this);
    item->EndRemap();
  }
}

bool FlipMapView::DrawZoomFrame(bool zoomIn, const platform::Rect& source) {
  if (source.IsEmpty()) return false;
  back_->Blit(*extraBack_, source, back_->Bounds());
  const int level = GetDocument()->GetLevel();
  for (MapObject* item : ItemsAtLevel(VisibleItems(), level)) {
    if (!item->IsScreenCoordinates() && !item->IsWindowed()) continue;
    item->SetView(this);
    // A window held still by the zoom-out request moves with the picture again.
    if (!zoomIn && !item->IsScreenCoordinates()) item->Resume();
    item->DrawRemapped(source);
  }
  // Zooming in, the view's own objects are those of the level the zoom came from.
  const int ownLevel = zoomIn ? level - 1 : level;
  for (MapObject* item : OwnObjects()) {
    if (item->IsScreenCoordinates() && item->IsShownAtLevel(ownLevel)) item->Draw();
  }
  DrawCenterMarker();
  return true;
}

}  // namespace zolvex
