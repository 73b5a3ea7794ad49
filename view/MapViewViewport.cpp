// The viewport of MapView: the position over the current level, its clamping, moves,
// fitting, zoom steps and the page grid.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "documents/MapDocument.h"
#include "platform/TextValues.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

int Floor(double value) { return static_cast<int>(std::floor(value)); }

// The print page counted when no document has set one.
constexpr int kDefaultPrintWidth = 1024;
constexpr int kDefaultPrintHeight = 1248;

int CeilDiv(int value, int divisor) { return value <= 0 ? 0 : (value + divisor - 1) / divisor; }

}  // namespace

int MapView::GetViewportX() const { return HasValidDocument() ? viewX_ : -1; }

int MapView::GetViewportY() const { return HasValidDocument() ? viewY_ : -1; }

int MapView::GetViewportWidth() const { return HasValidDocument() ? viewWidth_ : -1; }

int MapView::GetViewportHeight() const { return HasValidDocument() ? viewHeight_ : -1; }

// A new window size: the document hears it as a move to the same place, so that page modes
// can lay out again (a new main level, toolbars at the edges); then the position is checked
// against the new size.
void MapView::SetViewSize(int width, int height) {
  std::lock_guard lock(viewLock_);
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == viewWidth_ && height == viewHeight_) return;
  viewWidth_ = width;
  viewHeight_ = height;
  if (!HasValidDocument()) return;
  document_->OnViewChanged(0, viewX_, viewY_, viewWidth_, viewHeight_, document_->GetLevel(), 0, -1, -1);
  ValidatePosition(true);
}

void MapView::SetContentRect(int left, int top, int right, int bottom) {
  std::lock_guard lock(viewLock_);
  contentRect_ = {left, top, right, bottom};
}

void MapView::SetViewLimit(int x, int y, int width, int height) {
  std::lock_guard lock(viewLock_);
  if (width == 0 || height == 0) x = -1;
  limitX_ = x;
  limitY_ = y;
  limitWidth_ = width;
  limitHeight_ = height;
  if (document_) document_->SetLimitRect(x, y, width, height, true);
}

// The smallest view position of an axis: the content's origin offset ("offsetx",
// "offsety") in pixels of the current level.
int MapView::DocumentOffset(const std::string& offset, double scale) {
  return Floor(scale * ParseInt(GetBrowserProperty(offset)));
}

void MapView::SetPosition(int x, int y, bool redraw, bool report) {
  std::lock_guard lock(viewLock_);
  viewX_ = x;
  viewY_ = y;
  ValidatePosition(false);
  if (redraw) Redraw();
  if (report) ValidatePosition(true);
}

void MapView::ValidatePosition(bool report) {
  std::lock_guard lock(viewLock_);
  if (!document_) return;
  double scaleX = document_->GetScaleX();
  double scaleY = document_->GetScaleY();
  int minX = DocumentOffset("offsetx", scaleX);
  int minY = DocumentOffset("offsety", scaleY);
  int maxX = document_->GetWidth() - viewWidth_;
  int maxY = document_->GetHeight() - viewHeight_;
  if (ContentRectInUse()) {
    minX = Floor(scaleX * contentRect_.left);
    maxX = Floor(scaleX * contentRect_.right - viewWidth_);
    minY = Floor(scaleY * contentRect_.top);
    maxY = Floor(scaleY * contentRect_.bottom - viewHeight_);
  }
  // Content narrower (lower) than the window is centred.
  viewX_ = minX < maxX ? std::clamp(viewX_, minX, maxX) : minX + (maxX - minX) / 2;
  viewY_ = minY < maxY ? std::clamp(viewY_, minY, maxY) : minY + (maxY - minY) / 2;
  if (report && reportPages_) ReportPage();
  // The cursor follows the level.
  SetLevelCursor(LevelCursor());
}

void MapView::ReportPage() {
  int page = PageAt(-1, -1);
  if (IsYes(document_->GetParam("doublepage"))) page = 2 * page - 1;
  if (page == lastReportedPage_) return;
  lastReportedPage_ = page;
  ViewEvent event;
  event.name = "pagechanged";
  event.param1 = std::to_string(page);
  event.param2 = std::to_string(PageCount());
  PostViewEvent(event);
}

int MapView::PageCount() {
  std::lock_guard lock(viewLock_);
  int fromProperty = ParseInt(GetBrowserProperty("PrintPageCount"));
  if (fromProperty > 0) return fromProperty;
  if (!document_) return 0;
  // The full-resolution size is that of the last level; asking for it by index keeps the
  // current level as it is.
  int last = document_->GetLevelCount() - 1;
  int width = document_->GetLevelWidth(last);
  int height = document_->GetLevelHeight(last);
  int pageWidth = printPageWidth_;
  int pageHeight = printPageHeight_;
  if (pageWidth <= 0 || pageHeight <= 0) {
    pageWidth = kDefaultPrintWidth;
    pageHeight = kDefaultPrintHeight;
  }
  return CeilDiv(height, pageHeight) * CeilDiv(width, pageWidth);
}

int MapView::PageWidthAtLevel() const {
  int full = document_->GetFullWidth();
  return full == 0 ? 0 : Floor(document_->GetWidth() * pageWidth_ / full);
}

int MapView::PageHeightAtLevel() const {
  int full = document_->GetFullHeight();
  return full == 0 ? 0 : Floor(document_->GetHeight() * pageHeight_ / full);
}

int MapView::PageAt(int x, int y) {
  std::lock_guard lock(viewLock_);
  std::string printing = GetBrowserProperty("currentprintpagenumber");
  if (!printing.empty()) return ParseInt(printing) + 1;
  if (!HasValidDocument()) return -1;
  if (x == -1 && y == -1) {
    x = viewX_;
    y = viewY_;
  }
  double scaleX = document_->GetScaleX();
  double scaleY = document_->GetScaleY();
  if (ContentRectInUse()) {
    x = std::max(x, Floor(contentRect_.left * scaleX));
    y = std::max(y, Floor(contentRect_.top * scaleY));
  }
  int pw = PageWidthAtLevel();
  int ph = PageHeightAtLevel();
  if (pw <= 0 || ph <= 0) return -1;
  int ox = Floor(scaleX * ParseInt(document_->GetParam("offsetx")));
  int oy = Floor(scaleY * ParseInt(document_->GetParam("offsety")));
  if (!EqualsNoCase(document_->GetParam("direction"), "vertical")) {
    int columns = (document_->GetWidth() - pw / 10) / pw + 1;
    int row = (y - oy) / ph;
    int column = (x - ox) / pw;
    if (EqualsNoCase(GetBrowserProperty("reversepage"), "yes")) return columns * (row + 1) - column;
    return columns * row + column + 1;
  }
  int rows = (document_->GetHeight() - ph / 10) / ph + 1;
  return ((x - ox) / pw) * rows + (y - oy) / ph + 1;
}

bool MapView::PageOrigin(int page, int& x, int& y) {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return false;
  int pw = PageWidthAtLevel();
  int ph = PageHeightAtLevel();
  if (pw <= 0 || ph <= 0) return false;
  int ox = DocumentOffset("offsetx", document_->GetScaleX());
  int oy = DocumentOffset("offsety", document_->GetScaleY());
  int index = page - 1;
  int originX = 0;
  int originY = 0;
  if (!EqualsNoCase(document_->GetParam("direction"), "vertical")) {
    int columns = (document_->GetWidth() - pw / 10) / pw + 1;
    bool reversed = EqualsNoCase(GetBrowserProperty("reversepage"), "yes");
    int column = reversed ? columns - index % columns - 1 : index % columns;
    originX = ox + pw * column;
    originY = oy + ph * (index / columns);
  } else {
    int rows = (document_->GetHeight() - ph / 10) / ph + 1;
    originX = ox + pw * (index / rows);
    originY = oy + ph * (index % rows);
  }
  if (originX < 0 || originX > document_->GetWidth() - 1) return false;
  if (originY < 0 || originY > document_->GetHeight() - 1) return false;
  x = originX;
  y = originY;
  return true;
}

void MapView::MoveTo(int x, int y, int level, const std::string& mode) {
  std::lock_guard lock(viewLock_);
  if (!document_) return;
  if (level >= 1) {
    level = std::min(level, document_->GetLevelCount());
    if (maxLevel_ != -1 && maxLevel_ + 1 < level) level = maxLevel_ + 1;
    if (level != document_->GetLevel() + 1) document_->SetLevel(level - 1);
  }
  int scratchX = 0;
  int scratchY = 0;
  document_->OnViewChanged(0, scratchX, scratchY, 0, 0, -1, 2, -1, -1);
  if (EqualsNoCase(mode, "center")) {
    SetPosition(x - viewWidth_ / 2, y - viewHeight_ / 2, false, true);
    return;
  }
  int levelIndex = level >= 1 ? level - 1 : -1;
  if (EqualsNoCase(mode, "abs")) {
    int fullWidth = document_->GetFullWidth();
    int fullHeight = document_->GetFullHeight();
    if (fullWidth != 0) x = Floor(static_cast<double>(document_->GetLevelWidth(levelIndex)) * x / fullWidth);
    if (fullHeight != 0) y = Floor(static_cast<double>(document_->GetLevelHeight(levelIndex)) * y / fullHeight);
  }
  SetPosition(x, y, false, true);
  document_->OnViewChanged(0, viewX_, viewY_, viewWidth_, viewHeight_, levelIndex, 0, x, y);
  GiveLevelNotices(visibleItems_);
}

void MapView::MoveTo2(int x, int y, int level) {
  std::lock_guard lock(viewLock_);
  if (!document_) return;
  int fullWidth = document_->GetFullWidth();
  int fullHeight = document_->GetFullHeight();
  if (fullWidth == 0 || fullHeight == 0) return;
  int levelY = Floor(static_cast<double>(document_->GetLevelHeight(level - 1)) * y / fullHeight);
  int levelX = Floor(static_cast<double>(document_->GetLevelWidth(level - 1)) * x / fullWidth);
  MoveTo(levelX, levelY, level, "left");
  Redraw();
}

void MapView::FitToWindow(bool stretch) {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return;
  document_->SetScale(1.0, 1.0);
  int smallerSide = std::min(viewWidth_, viewHeight_);
  int level = 0;
  for (int l = document_->GetLevelCount() - 1; l >= 0; --l) {
    if (std::min(document_->GetLevelWidth(l), document_->GetLevelHeight(l)) <= smallerSide) {
      level = l;
      break;
    }
  }
  document_->SetLevel(level);
  double factor = 1.0;
  if (stretch) {
    // A page side that is not set gives no measure on that axis (the window size the page
    // falls back to would stretch the level to full resolution); without either the scale
    // stays 1.
    const bool widthSet = std::strtod(GetBrowserProperty("pagewidth").c_str(), nullptr) > 0;
    const bool heightSet = std::strtod(GetBrowserProperty("pageheight").c_str(), nullptr) > 0;
    double shownWidth = widthSet ? document_->GetLevelWidth(level) * pageWidth_ / pageScaleX_ : 0;
    double shownHeight = heightSet ? document_->GetLevelHeight(level) * pageHeight_ / pageScaleY_ : 0;
    double ex = shownWidth > 0 ? viewWidth_ * document_->GetFullWidth() / shownWidth
                               : std::numeric_limits<double>::infinity();
    double ey = shownHeight > 0 ? viewHeight_ * document_->GetFullHeight() / shownHeight
                                : std::numeric_limits<double>::infinity();
    factor = std::min(ex, ey);
    if (!std::isfinite(factor) || factor <= 0) factor = 1.0;
  }
  // The document's scale stretches the level geometry, its tiles and its objects by the
  // whole factor, so the page grid takes the same factor: a page measures the window.
  pageScaleX_ = pageScaleY_ = factor;
  document_->SetScale(factor, factor);
  CopyPageSize();
  // The position was held for the old level: bring it inside (or centre it on) the new one.
  ValidatePosition(false);
}

bool MapView::ZoomIn() {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return false;
  int level = document_->GetLevel();
  if (level >= document_->GetLevelCount() - 1 || (maxLevel_ != -1 && level >= maxLevel_)) return false;
  ZoomTo(level + 1, viewX_ + viewWidth_ / 2, viewY_ + viewHeight_ / 2, true);
  return true;
}

bool MapView::ZoomOut() {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return false;
  int level = document_->GetLevel();
  if (level < 1 || (minLevel_ != -1 && level <= minLevel_)) return false;
  ZoomTo(level - 1, viewX_ + viewWidth_ / 2, viewY_ + viewHeight_ / 2, false);
  return true;
}

void MapView::ZoomAt(int x, int y, int direction) {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return;
  int level = document_->GetLevel();
  if (direction == 1) {
    if (level >= document_->GetLevelCount() - 1 || (maxLevel_ != -1 && level >= maxLevel_)) return;
    ZoomTo(level + 1, viewX_ + x, viewY_ + y, true);
    Redraw();
  } else if (direction == 2 && level > 0 && (minLevel_ == -1 || minLevel_ < level)) {
    ZoomTo(level - 1, viewX_ + x, viewY_ + y, true);
  }
}

void MapView::ZoomTo(int level, int x, int y, bool keepPoint) {
  std::lock_guard lock(viewLock_);
  if (!document_) return;
  if (maxLevel_ != -1 && maxLevel_ < level) level = maxLevel_;
  if (minLevel_ != -1 && minLevel_ > level) level = minLevel_;
  // A zoom that no frame has played yet is replaced by this one.
  zoomRequest_ = {};
  double oldScaleX = document_->GetScaleX();
  double oldScaleY = document_->GetScaleY();
  int previous = document_->GetLevel();

  std::string snap = GetBrowserProperty("snapzoomlevel");
  if (!snap.empty() && previous == ParseOneBasedIndex(snap) && level == ParseInt(snap)) {
    // The page under the point first comes into view; the zoom then centres on it.
    const platform::Point anchor = SnapZoomPan(x, y);
    x = anchor.x;
    y = anchor.y;
  }
  // The zoom starts from the frame now in place.
  const platform::Point old{viewX_, viewY_};
  const bool keepsPosition = level == 0 && previous == 1 && IsNo(document_->GetParam("smoothzoom"));
  const bool zoomInAnimated = !keepsPosition && level > previous && SmoothZoomAllowed(old.x, old.y);
  if (zoomInAnimated) CaptureTransitionSource();
  document_->SetLevel(level);
  if (keepsPosition) {
    GiveLevelNotices(visibleItems_);
    Redraw();
    return;
  }
  double ratioX = oldScaleX > 0 ? document_->GetScaleX() / oldScaleX : 1.0;
  double ratioY = oldScaleY > 0 ? document_->GetScaleY() / oldScaleY : 1.0;
  if (zoomInAnimated && document_->GetScaleX() > oldScaleX) RequestZoomIn(x, y, old, ratioX, ratioY);
  int width = document_->GetWidth();
  int height = document_->GetHeight();
  if (width < viewWidth_) {
    viewX_ = (width - viewWidth_) / 2;
  } else {
    int anchor = keepPoint ? x : old.x + viewWidth_ / 2;
    viewX_ = Floor(anchor * ratioX - viewWidth_ / 2);
  }
  if (height < viewHeight_) {
    viewY_ = (height - viewHeight_) / 2;
  } else {
    int anchor = keepPoint ? y : old.y + viewHeight_ / 2;
    viewY_ = std::clamp(Floor(anchor * ratioY - viewHeight_ / 2), 0, height - viewHeight_);
  }
  ValidatePosition(true);
  if (document_->GetScaleX() < oldScaleX && !IsYes(GetBrowserProperty("disablesmoothzoom")) &&
      !((viewX_ < 0 || viewY_ < 0) && IsNo(GetBrowserProperty("AlwaysSmoothZoom")))) {
    RequestZoomOut(old, oldScaleX, oldScaleY);
  }
  GiveLevelNotices(visibleItems_);
  Redraw();
}

int MapView::GetLevelCount() const { return HasValidDocument() ? document_->GetLevelCount() : -1; }

int MapView::GetCurrentLevel() const { return HasValidDocument() ? document_->GetLevel() + 1 : -1; }

int MapView::GetMapWidth(int level) const {
  if (!HasValidDocument() || level < 1 || level > document_->GetLevelCount()) return -1;
  return document_->GetLevelWidth(level - 1);
}

int MapView::GetMapHeight(int level) const {
  if (!HasValidDocument() || level < 1 || level > document_->GetLevelCount()) return -1;
  return document_->GetLevelHeight(level - 1);
}

}  // namespace zolvex
