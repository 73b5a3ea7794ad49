// Areas of a level drawn off the screen for saving and copying: strip by strip, each strip
// once its tiles arrived.
#include <algorithm>

#include "documents/MapDocument.h"
#include "objects/CComponentClipper.h"
#include "objects/MapObject.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "view/FlipMapView.h"

namespace zolvex {

namespace {

constexpr std::uint64_t kAreaTileWaitMs = 60000;
constexpr std::uint32_t kAreaTilePollMs = 1;

int StripsAlong(int length) { return (length + FlipMapView::kAreaStripSide - 1) / FlipMapView::kAreaStripSide; }

// Copies the surface's pixels into image at (left, top), cut at the image's edges.
void CopyIntoImage(const platform::Surface& surface, qmImage& image, int left, int top) {
  const int width = std::min(surface.Width(), image.getWidth() - left);
  const int height = std::min(surface.Height(), image.getHeight() - top);
  for (int row = 0; row < height; ++row) {
    std::uint8_t* line = image.getRow(top + row) + static_cast<size_t>(left) * 3;
    for (int column = 0; column < width; ++column) {
      const platform::Pixel p = surface.PixelAt(column, row);
      line[column * 3] = static_cast<std::uint8_t>(p);
      line[column * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
      line[column * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
}

bool IsDrawnInArea(const MapObject& item, int level, bool saveObjects) {
  if (item.IsScreenCoordinates() || !item.IsShownAtLevel(level)) return false;
  if (item.GetDrawLayer() == MapObject::DrawLayer::Image) return true;
  // The limit frame shades what lies outside the limit on the screen only.
  return saveObjects && !dynamic_cast<const CComponentClipper*>(&item);
}

}  // namespace

bool FlipMapView::RenderArea(qmImage& image, int x, int y, int width, int height, int level, bool stretchBackground,
                             bool saveObjects, const AreaProgress& progress) {
  std::lock_guard lock(ViewLock());
  lastAreaStrips_ = 0;
  lastAreaMissing_ = 0;
  MapDocument* document = GetDocument();
  if (!back_ || !HasValidDocument() || !image.isValid() || image.getBitsPerPixel() != 24 || width <= 0 ||
      height <= 0) {
    return false;
  }
  std::unique_ptr<platform::Surface> strip;
  if (!EnsureSurface(strip, std::min(width, kAreaStripSide), std::min(height, kAreaStripSide))) {
    GetPlatform().DialogBox().MessageBox("Not enough memory to create bitmap.", kMessageCaption,
                                         platform::MessageIcon::Stop, platform::MessageButtons::Ok);
    return false;
  }
  const bool wasSuspended = IsSuspended();
  SetSuspended(true);
  const int viewLevel = document->GetLevel();
  level = std::clamp(level, 0, std::max(document->GetLevelCount() - 1, 0));
  document->SetLevel(level);
  const int columns = StripsAlong(width), rows = StripsAlong(height);
  bool complete = true;
  for (int i = 0; i < columns && complete; ++i) {
    for (int j = 0; j < rows && complete; ++j) {
      const platform::Rect area = platform::Rect::FromSize(x + kAreaStripSide * i, y + kAreaStripSide * j,
                                                           strip->Width(), strip->Height());
      auto items = AwaitAreaTiles(*document, area, progress, i * rows + j, columns * rows);
      // Waiting lets posted work run, which may replace the document.
      complete = GetDocument() == document && HasValidDocument();
      if (!complete) break;
      DrawAreaStrip(strip, items, area.left, area.top, level, stretchBackground, saveObjects);
      CopyIntoImage(*strip, image, kAreaStripSide * i, kAreaStripSide * j);
      ++lastAreaStrips_;
    }
  }
  if (GetDocument() == document) {
    document->SetLevel(viewLevel);
    // The next frame asks again for the tiles of the window.
    MarkDirty();
  }
  SetSuspended(wasSuspended);
  return complete;
}

// The draw items of a strip once none of its tiles is missing, or after the longest wait;
// tiles still missing then leave the background.
std::vector<MapObject*> FlipMapView::AwaitAreaTiles(MapDocument& document, platform::Rect strip,
                                                    const AreaProgress& progress, int stripIndex, int strips) {
  std::vector<MapObject*> items;
  const std::uint64_t start = GetPlatform().TimeSource().NowMs();
  int total = -1;
  for (;;) {
    items.clear();
    document.GetDrawList(items, strip.left, strip.top, strip.Width(), strip.Height(), 1, 0);
    const int pending = document.GetPendingTileCount();
    total = std::max(total, pending);
    if (progress && total > 0) {
      progress((stripIndex + double(total - pending) / total) * 100.0 / strips);
    }
    if (pending <= 0) break;
    if (GetPlatform().TimeSource().NowMs() - start >= kAreaTileWaitMs) {
      lastAreaMissing_ += pending;
      break;
    }
    DrainInput();
    if (GetDocument() != &document) break;
    GetPlatform().Window().Pause(kAreaTilePollMs);
  }
  return items;
}

// The primitives draw into the strip's surface, with the view's corner at the strip's
// top-left corner of the level.
void FlipMapView::DrawAreaStrip(std::unique_ptr<platform::Surface>& strip, const std::vector<MapObject*>& items, int x,
                                int y, int level, bool stretchBackground, bool saveObjects) {
  std::swap(back_, strip);
  canvas_ = std::make_unique<platform::Canvas>(*back_);
  clip_ = back_->Bounds();
  const int viewX = ViewX(), viewY = ViewY();
  SetOriginUnchecked(x, y);
  back_->Fill(back_->Bounds(), GetBackgroundColor());
  DrawRegionBackground(back_->Width(), back_->Height(), stretchBackground);
  for (const auto layer : {MapObject::DrawLayer::Image, MapObject::DrawLayer::Overlay}) {
    for (MapObject* item : items) {
      if (item->GetDrawLayer() != layer || !IsDrawnInArea(*item, level, saveObjects)) continue;
      item->SetView(this);
      item->Draw();
    }
  }
  SetOriginUnchecked(viewX, viewY);
  std::swap(back_, strip);
  canvas_ = std::make_unique<platform::Canvas>(*back_);
  clip_ = back_->Bounds();
}

}  // namespace zolvex
