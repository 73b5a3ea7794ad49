// FlipMapView's page transitions: capturing the old frame, playing a requested transition,
// the page flip that replaces a scroll, and the page sound.
#include <algorithm>
#include <cmath>

#include "documents/MapDocument.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/FlipMapView.h"
#include "view/PageTransition.h"
#include "view/SurfaceBlend.h"
#include "view/TransitionRequest.h"

namespace zolvex {

namespace {

constexpr int kPageSound = 7;
constexpr int kFlipDefaultDurationMs = 250;
// A vertical move of at least this much decides the direction; a horizontal one must be larger.
constexpr int kDirectionThreshold = 10;
// cairo's largest image surface side.
constexpr int kMaxSurfaceSide = 32767;

// The running transition's window services, from the view's platform.
class ViewTransitionHost : public TransitionHost {
 public:
  explicit ViewTransitionHost(FlipMapView& view) : view_(view) {}
  std::uint64_t NowMs() override { return view_.GetPlatform().TimeSource().NowMs(); }
  void ShowFrame() override { view_.GetPlatform().Window().PresentNow(); }
  void Pause(std::uint32_t ms) override { view_.GetPlatform().Window().Pause(ms); }
  void PlayFlipSound() override { view_.PlayFlipSound(); }

 private:
  FlipMapView& view_;
};

// Document objects (not tiles) told that the frame is being captured, as windowed objects
// freeze their window for it.
std::vector<MapObject*> CaptureAware(const std::vector<MapObject*>& items, int level) {
  std::vector<MapObject*> aware;
  for (MapObject* item : items) {
    if (item->GetDrawLayer() == MapObject::DrawLayer::Overlay && item->IsShownAtLevel(level)) aware.push_back(item);
  }
  return aware;
}

}  // namespace

int FlipMapView::PixelFormat() const { return kPixelFormat32; }

bool FlipMapView::EnsureSurface(std::unique_ptr<platform::Surface>& surface, int width, int height) {
  if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return false;
  if (surface && surface->Width() == width && surface->Height() == height) return true;
  surface.reset();
  surface = std::make_unique<platform::Surface>(width, height);
  return surface->Width() == width && surface->Height() == height;
}

void FlipMapView::CaptureTransitionSource() {
  std::lock_guard lock(ViewLock());
  if (!back_ || !extraBack_) return;
  const int level = GetDocument() ? GetDocument()->GetLevel() : 0;
  const std::vector<MapObject*> aware = CaptureAware(VisibleItems(), level);
  for (MapObject* item : aware) {
    item->SetView(this);
    item->BeginCapture();
  }
  ClearBackground();
  DrawFrame(false);
  extraBack_->Blit(*back_, back_->Bounds(), back_->Bounds());
  for (MapObject* item : aware) {
    item->SetView(this);
    item->EndCapture();
  }
}

void FlipMapView::RunTransition(const std::string& request) {
  std::lock_guard lock(ViewLock());
  if (!back_) return;
  auto random = random_ ? random_ : [this] { return static_cast<unsigned>(randomEngine_()); };
  const TransitionRequest transition = ReadTransitionRequest(request, random);
  DrawFrame(true);
  const int w = back_->Width(), h = back_->Height();
  if (!EnsureSurface(oldPage_, w, h) || !EnsureSurface(newPage_, w, h)) return;
  oldPage_->Blit(*extraBack_, extraBack_->Bounds(), oldPage_->Bounds());
  newPage_->Blit(*back_, back_->Bounds(), newPage_->Bounds());
  PlayTransition(transition.effect, transition.direction, transition.durationMs, {0, 0}, {w, h}, {w, h},
                 transition.onePage);
}

void FlipMapView::PlayTransition(const std::string& effect, int direction, double durationMs, platform::Point origin,
                                 platform::Size size, platform::Size newSize, bool onePage) {
  if (!back_) return;
  ClearBackground();
  if (!oldPage_ || !newPage_) return;
  ViewTransitionHost host(*this);
  const TransitionStage stage{*back_, *oldPage_, *newPage_, origin, size, newSize, PixelFormat()};
  PlayTransitionEffect(effect, direction, durationMs, onePage, stage, host);
}

void FlipMapView::PlayFlipSound() {
  if (IsNo(GetBrowserProperty("FlipSound"))) return;
  const std::string& path = GetFlipSoundPath();
  if (!path.empty() && platform::FileExists(path) && !GetBrowserProperty("flipsoundurl").empty()) {
    GetPlatform().SoundService().PlayWave(path);
    return;
  }
  PlayBuiltInSound(kPageSound);
}

void FlipMapView::ScrollTo(int x, int y, bool animate) {
  std::lock_guard lock(ViewLock());
  MapDocument* document = GetDocument();
  if (!HasValidDocument() || !back_ || flipping_) {
    MapView::ScrollTo(x, y, animate && !flipping_);
    return;
  }
  // The old page: the part of the window the content covers.
  int ox = ViewX(), oy = ViewY(), w = GetViewWidth(), h = GetViewHeight(), dx = 0, dy = 0;
  const platform::Rect content = GetContentRect();
  const bool bounded = content.right - content.left > 0;
  const double sx = document->GetScaleX(), sy = document->GetScaleY();
  if (bounded) {
    const int left = static_cast<int>(sx * content.left), top = static_cast<int>(sy * content.top);
    if (ox < left) dx = left - ox, ox = left;
    if (oy < top) dy = top - oy, oy = top;
    w = std::min(w, static_cast<int>(sx * content.right) - ox);
    h = std::min(h, static_cast<int>(sy * content.bottom) - oy);
  }
  document->OnViewChanged(0, x, y, GetViewWidth(), GetViewHeight(), document->GetLevel(), 0, -1, -1);
  SetPosition(x, y, false, true);
  int nx = ViewX(), ny = ViewY();
  if (bounded) {
    nx = std::max(nx, static_cast<int>(std::floor(sx * content.left)));
    ny = std::max(ny, static_cast<int>(std::floor(sy * content.top)));
  }
  if (nx == ox && ny == oy) return;

  bool backward;
  const std::string drag = GetBrowserProperty("DragDirection");
  if (EqualsNoCase(drag, "forward")) backward = false;
  else if (EqualsNoCase(drag, "backward")) backward = true;
  else if (std::abs(ny - oy) >= kDirectionThreshold) backward = oy >= ny;
  else backward = ox - nx > kDirectionThreshold;

  if (!IsYes(GetBrowserProperty("FlipAnimation"))) {
    SetPosition(ox, oy, false, true);
    MapView::ScrollTo(x, y, animate);
    return;
  }
  flipping_ = true;
  FlipToPage(ox, oy, nx, ny, w, h, dx, dy, backward);
  flipping_ = false;
}

// Renders the old page at the current level and the new one at the level whose tiles are
// fetched ahead, then plays the flip between them.
void FlipMapView::FlipToPage(int ox, int oy, int nx, int ny, int w, int h, int dx, int dy, bool backward) {
  MapDocument* document = GetDocument();
  const bool onePage = IsYes(document->GetParam("IsOnePageFlip"));
  const int cacheLevel = std::clamp(ParseInt(GetBrowserProperty("CacheLevel")), 0,
                                    std::max(document->GetLevelCount() - 1, 0));
  const double ratio = double(document->GetLevelWidth(cacheLevel)) / std::max(document->GetWidth(), 1);
  const int w2 = static_cast<int>(ratio * w), h2 = static_cast<int>(ratio * h);
  const int x2 = static_cast<int>(ratio * nx), y2 = static_cast<int>(ratio * ny);
  if (!EnsureSurface(oldPage_, w, h)) return;
  RenderRegion(oldPage_, 0, 0, ox, oy, w, h, document->GetLevel(), false);
  if (!EnsureSurface(newPage_, w2, h2)) return;
  RenderRegion(newPage_, 0, 0, x2, y2, w2, h2, cacheLevel, true);
  if (!HasValidDocument()) return;  // the wait for tiles let other work replace the document

  const bool horizontal = EqualsNoCase(GetBrowserProperty("direction"), "horizontal");
  int duration = ParseInt(GetBrowserProperty("transitionduration"));
  if (duration < 1) duration = kFlipDefaultDurationMs;
  const int direction = (backward ? 1 : 0) + (horizontal ? 0 : 2);
  PlayTransition(GetBrowserProperty("transitionname"), direction, duration, {dx, dy}, {w, h}, {w2, h2}, onePage);

  document = GetDocument();
  document->OnViewChanged(0, nx, ny, GetViewWidth(), GetViewHeight(), document->GetLevel(), 1, -1, -1);
  SetPosition(nx, ny, true, true);
  Redraw();
  DrainInput();
  SetPosition(nx, ny, true, true);
  Redraw();
}

void FlipMapView::RenderRegion(std::unique_ptr<platform::Surface>& surface, int dx, int dy, int x, int y, int width,
                               int height, int level, bool stretchBackground) {
  std::lock_guard lock(ViewLock());
  MapDocument* document = GetDocument();
  if (!surface || !back_ || !HasValidDocument()) return;
  const bool wasSuspended = IsSuspended();
  SetSuspended(true);
  const int viewLevel = document->GetLevel();
  document->SetLevel(level);
  std::vector<MapObject*> items;
  document->GetDrawList(items, x, y, width, height, 1, 1);
  WaitForPendingTiles();
  if (GetDocument() == document) {
    // The primitives draw into the region's surface, with the view's corner moved so that
    // (x, y) of the level lands at (dx, dy).
    std::swap(back_, surface);
    canvas_ = std::make_unique<platform::Canvas>(*back_);
    clip_ = back_->Bounds();
    const int viewX = ViewX(), viewY = ViewY();
    SetOriginUnchecked(x - dx, y - dy);
    back_->Fill(back_->Bounds(), GetBackgroundColor());
    DrawRegionBackground(width, height, stretchBackground);
    for (MapObject* item : items) {
      if (item->GetDrawLayer() != MapObject::DrawLayer::Image || item->IsScreenCoordinates()) continue;
      if (!item->IsShownAtLevel(level)) continue;
      item->SetView(this);
      item->Draw();
    }
    SetOriginUnchecked(viewX, viewY);
    std::swap(back_, surface);
    canvas_ = std::make_unique<platform::Canvas>(*back_);
    clip_ = back_->Bounds();
    document->SetLevel(viewLevel);
  }
  SetSuspended(wasSuspended);
}

// The background image over a region: stretched over it, tiled when smaller, else centred.
void FlipMapView::DrawRegionBackground(int width, int height, bool stretch) {
  ViewImage* image = GetBackgroundImage();
  if (!image || image->getWidth() <= 0 || image->getHeight() <= 0) return;
  const int iw = image->getWidth(), ih = image->getHeight();
  if (stretch) {
    BlitImage(*image, 0, 0, iw, ih, 0, 0, width, height, false, true);
  } else if (iw < width || ih < height) {
    for (int y = 0; y < height; y += ih)
      for (int x = 0; x < width; x += iw) BlitImage(*image, 0, 0, iw, ih, x, y, iw, ih, false, true);
  } else {
    BlitImage(*image, 0, 0, iw, ih, (width - iw) / 2, (height - ih) / 2, iw, ih, false, true);
  }
}

}  // namespace zolvex
