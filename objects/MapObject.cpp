#include "objects/MapObject.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "objects/ObjectValues.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kSelectionOuterColor = platform::MakeColor(0xFF, 0x00, 0xFF);
constexpr platform::Color kSelectionInnerColor = platform::MakeColor(0xFF, 0xFF, 0xFF);

const char* YesNo(bool value) { return value ? "yes" : "no"; }

// Maps v of an integer axis onto a range: range · (v − from) / (to − from), in integers
// truncating; v unchanged when the reference range is empty.
int Rescale(int v, int from, int to, int range) {
  if (to == from) return v;
  return static_cast<int>(static_cast<std::int64_t>(range) * (v - from) / (to - from));
}

}  // namespace

MapObject::MapObject(int x, int y, int width, int height) : height_(height), width_(width), y_(y), x_(x) {}

MapObject::~MapObject() = default;

// ---- Serialisation and properties -------------------------------------------------------

std::string MapObject::GetXml() const { return {}; }

void MapObject::SetProperty(const std::string& name, const std::string& value) { pending_[ToLower(name)] = value; }

std::string MapObject::GetProperty(const std::string& name) const {
  const std::string key = ToLower(name);
  if (auto it = pending_.find(key); it != pending_.end()) return it->second;
  if (key == "x") return std::to_string(x_);
  if (key == "y") return std::to_string(y_);
  if (key == "width") return std::to_string(width_);
  if (key == "height") return std::to_string(height_);
  if (key == "visible") return YesNo(IsVisible());
  if (key == "xml") return GetXml();
  if (key == "tooltip") return tooltip_;
  if (key == "minlevel") return std::to_string(minLevel_ + 1);
  if (key == "maxlevel") return std::to_string(maxLevel_ + 1);
  if (key == "allowediting") return YesNo(allowEditing_);
  if (key == "tooltipsize") return tooltipSize_;
  return {};
}

std::string MapObject::PendingValue(const std::string& name) const {
  auto it = pending_.find(name);
  return it == pending_.end() ? std::string() : it->second;
}

int MapObject::PendingInt(const char* name) const { return ParseInt(GetProperty(name)); }

bool MapObject::ApplyInteger(const std::string& value, int& field) {
  if (value.empty()) return false;
  const int number = ParseInt(value);
  if (number == field) return false;
  field = number;
  return true;
}

bool MapObject::CommitText(const char* name, std::string& field) {
  const std::string value = GetProperty(name);
  if (EqualsNoCase(value, field)) return false;
  field = value;
  return true;
}

bool MapObject::CommitProperties() {
  bool applied = false;
  applied |= CommitInteger("x", x_);
  applied |= CommitInteger("y", y_);
  applied |= CommitInteger("width", width_);
  applied |= CommitInteger("height", height_);

  const std::string visible = GetProperty("visible");
  if (IsYes(visible) || IsNo(visible)) {
    const bool wasVisible = IsVisible();
    SetVisible(IsYes(visible));
    applied |= wasVisible != IsVisible();
  }

  applied |= CommitText("tooltip", tooltip_);
  applied |= CommitText("tooltipsize", tooltipSize_);

  int minLevel = minLevel_;
  int maxLevel = maxLevel_;
  if (const std::string value = GetProperty("minlevel"); !value.empty()) {
    minLevel = ParseOneBasedIndex(value);
    applied = true;
  }
  if (const std::string value = GetProperty("maxlevel"); !value.empty()) {
    maxLevel = ParseOneBasedIndex(value);
    applied = true;
  }
  SetLevelRange(minLevel, maxLevel);

  if (const std::string value = GetProperty("allowediting"); !value.empty()) {
    allowEditing_ = IsYes(value);
    applied = true;
  }
  applied |= CommitInteger("layer", layer_);
  return applied;
}

// ---- State ------------------------------------------------------------------------------

bool MapObject::IsShownAtLevel(int level) const {
  if (!IsVisible() && !IsWindowed()) return false;
  if (minLevel_ == -1 && maxLevel_ == -1) return true;
  if (minLevel_ > level) return false;
  if (minLevel_ == maxLevel_ && minLevel_ != level) return false;
  return maxLevel_ == -1 || level <= maxLevel_;
}

void MapObject::SetLevelRange(int minLevel, int maxLevel) {
  minLevel_ = minLevel;
  maxLevel_ = maxLevel;
}

// ---- Rendering into another target ------------------------------------------------------

void MapObject::BeginRemap(int mode) {
  renderMode_ = mode;
  referenceRect_ = view_ ? platform::Rect{0, 0, view_->GetViewWidth(), view_->GetViewHeight()} : platform::Rect{};
}

void MapObject::UpdateVisualRect() {
  visualX_ = screenX_ - PendingInt("_visualx");
  visualY_ = screenY_ - PendingInt("_visualy");
  visualWidth_ = screenWidth_;
  visualHeight_ = screenHeight_;
  if (IsCenterAnchored()) {
    visualX_ += visualWidth_ / 2;
    visualY_ += visualHeight_ / 2;
  }
}

void MapObject::DrawRemapped(const platform::Rect& reference) {
  referenceRect_ = reference;
  Draw();
}

void MapObject::RenderToDevice(platform::Canvas&, int, int, int, int, int) {}

// ---- Commands and mouse -----------------------------------------------------------------

bool MapObject::ExecuteCommand(const std::string&, const std::string&) { return true; }

void MapObject::NotifyListener(const char* notification, unsigned flags, platform::Point point) {
  if (listener_) listener_->OnObjectMouse(*this, notification, flags, point);
}

void MapObject::PostEvent(const char* name) {
  if (!eventListening_ || !view_) return;
  ObjectEvent event;
  event.name = name;
  event.objectId = id_;
  view_->PostObjectEvent(event);
}

void MapObject::RunPointerAction(const std::string& action, const char* eventName) {
  if (!action.empty() && view_) view_->QueueContent(action, true);
  PostEvent(eventName);
}

void MapObject::OnMouseMove(unsigned flags, platform::Point point) { NotifyListener("mmove", flags, point); }
void MapObject::OnLButtonUp(unsigned flags, platform::Point point) { NotifyListener("lup", flags, point); }
void MapObject::OnLButtonDown(unsigned flags, platform::Point point) { NotifyListener("ldown", flags, point); }
void MapObject::OnRButtonUp(unsigned flags, platform::Point point) { NotifyListener("rup", flags, point); }

void MapObject::OnRButtonDown(unsigned flags, platform::Point point) {
  NotifyListener("rdown", flags, point);
  PostEvent("onrbuttondown");
}

void MapObject::OnMouseExit() { RunPointerAction(exitAction_, "onmouseexit"); }
void MapObject::OnMouseEnter() { RunPointerAction(enterAction_, "onmouseenter"); }

void MapObject::OnClick(platform::Point point, int button) {
  NotifyListener("ldown", static_cast<unsigned>(button), point);
}

void MapObject::OnClickWithOption(platform::Point point, int button, const std::string&) {
  NotifyListener("ldown", static_cast<unsigned>(button), point);
}

// ---- Drawing and hit-testing ------------------------------------------------------------

void MapObject::Draw() {
  UpdateScreenRect();
  if (!selected_ || !view_) return;
  view_->DrawRectOutline(screenX_, screenY_, screenWidth_, screenHeight_, kSelectionOuterColor, 1, kPenSolid);
  view_->DrawRectOutline(screenX_ + 1, screenY_ + 1, screenWidth_ - 2, screenHeight_ - 2, kSelectionInnerColor, 1,
                         kPenSolid);
}

bool MapObject::HasLinkAt(int, int) const { return false; }
bool MapObject::AllowsViewDrag(int, int) const { return true; }
bool MapObject::IsClickThroughAt(int, int) const { return false; }

bool MapObject::HitTest(int x, int y) const { return GetScreenRect().Contains({x, y}); }

bool MapObject::IsOnScreen() const {
  if (!view_) return false;
  // An object fixed to the window shows whether or not a document is open.
  if (screenCoordinates_) return true;
  const auto metrics = ViewMetrics();
  if (!metrics) return false;
  const int viewWidth = view_->GetViewWidth();
  const int viewHeight = view_->GetViewHeight();
  const platform::Rect content = view_->GetContentRect();
  int marginX = 0;
  int marginY = 0;
  if (content.right - content.left > 0) {
    const int shownWidth = Truncate(std::min(metrics->scaleX * (content.right - content.left), double(viewWidth)));
    const int shownHeight =
        Truncate(std::min(metrics->scaleY * (content.bottom - content.top), double(viewHeight)));
    if (shownWidth < viewWidth || shownHeight < viewHeight) {
      marginX = (viewWidth - shownWidth) / 2;
      marginY = (viewHeight - shownHeight) / 2;
    }
  }
  return marginX <= screenX_ + screenWidth_ && marginY <= screenY_ + screenHeight_ &&
         screenX_ <= viewWidth - marginX && screenY_ <= viewHeight - marginY;
}

// ---- Placement --------------------------------------------------------------------------

std::optional<DocumentMetrics> MapObject::ViewMetrics() const {
  if (!view_) return std::nullopt;
  return view_->GetDocumentMetrics();
}

bool MapObject::IsAnchored() const {
  const std::string anchor = GetProperty("anchor");
  return IsYes(anchor) || EqualsNoCase(anchor, "center");
}

bool MapObject::IsCenterAnchored() const { return EqualsNoCase(GetProperty("anchor"), "center"); }

void MapObject::SetView(ViewPrimitives* view) {
  view_ = view;
  UpdateScreenRect();
}

int MapObject::MapContentAxis(int p, int size, int contentSize, double scale, int virtualSize, int screenSize) {
  return RoundHalfTowardZero((p + size / 2) * double(contentSize) * scale / virtualSize - screenSize / 2);
}

platform::Point MapObject::AnchorPoint(const DocumentMetrics& metrics) const {
  const int vx = view_->GetViewportX();
  const int vy = view_->GetViewportY();
  return {Truncate(x_ * double(metrics.contentWidth) * metrics.scaleX / virtualWidth_ - vx + screenOffsetX_),
          Truncate(y_ * double(metrics.contentHeight) * metrics.scaleY / virtualHeight_ - vy + screenOffsetY_)};
}

platform::Point MapObject::RemapPosition(platform::Point anchored) const {
  if (renderMode_ == 0) return anchored;
  const platform::Point source = renderMode_ > 0 ? platform::Point{visualX_, visualY_} : anchored;
  return {Rescale(source.x, referenceRect_.left, referenceRect_.right, view_->GetViewWidth()),
          Rescale(source.y, referenceRect_.top, referenceRect_.bottom, view_->GetViewHeight())};
}

int MapObject::AlignX(int mapped, int raw) const {
  if (!(alignment_ & kAlignRight)) return mapped;
  if (screenCoordinates_) return view_->GetViewWidth() - raw;
  return view_->GetViewWidth() - 2 * view_->GetViewportX() - mapped;
}

int MapObject::AlignY(int mapped, int raw) const {
  if (!(alignment_ & kAlignBottom)) return mapped;
  if (screenCoordinates_) return view_->GetViewHeight() - raw;
  return view_->GetViewHeight() - 2 * view_->GetViewportY() - mapped;
}

void MapObject::UpdateScreenRect() {
  if (!view_) return;
  const auto metrics = ViewMetrics();
  if (!metrics && !screenCoordinates_) return;
  if ((virtualWidth_ < 1 || virtualHeight_ < 1) && metrics && metrics->valid) {
    virtualWidth_ = metrics->contentWidth;
    virtualHeight_ = metrics->contentHeight;
  }
  const bool hasVirtualSize = metrics && virtualWidth_ > 0 && virtualHeight_ > 0;
  const int vx = view_->GetViewportX();
  const int vy = view_->GetViewportY();

  if (!screenCoordinates_) {
    if (hasVirtualSize) {
      screenWidth_ = RoundHalfTowardZero(width_ * double(metrics->contentWidth) * metrics->scaleX / virtualWidth_);
      screenHeight_ =
          RoundHalfTowardZero(height_ * double(metrics->contentHeight) * metrics->scaleY / virtualHeight_);
      screenX_ = MapContentAxis(x_, width_, metrics->contentWidth, metrics->scaleX, virtualWidth_, screenWidth_) +
                 screenOffsetX_ - vx;
      screenY_ =
          MapContentAxis(y_, height_, metrics->contentHeight, metrics->scaleY, virtualHeight_, screenHeight_) +
          screenOffsetY_ - vy;
    } else {
      screenX_ = screenOffsetX_ + x_ - vx;
      screenY_ = screenOffsetY_ + y_ - vy;
      screenWidth_ = width_;
      screenHeight_ = height_;
    }
  } else {
    screenWidth_ = width_;
    screenHeight_ = height_;
    screenX_ = x_;
    screenY_ = y_;
    // An anchor needs the document's size and scale; without them the object stays at
    // its screen position.
    if (hasVirtualSize && IsAnchored()) {
      const platform::Point position = RemapPosition(AnchorPoint(*metrics));
      screenX_ = position.x;
      screenY_ = position.y;
      if (IsCenterAnchored()) {
        screenX_ -= screenWidth_ / 2;
        screenY_ -= screenHeight_ / 2;
      }
    }
  }
  screenX_ = AlignX(screenX_, x_) + PendingInt("_visualx");
  screenY_ = AlignY(screenY_, y_) + PendingInt("_visualy");
}

int MapObject::MapXToScreen(int x) const {
  if (!view_) return -1;
  const auto metrics = ViewMetrics();
  if (!metrics && !screenCoordinates_) return -1;
  int mapped = x;
  if (!screenCoordinates_) {
    if (virtualWidth_ > 0 && virtualHeight_ > 0)
      mapped = MapContentAxis(x, width_, metrics->contentWidth, metrics->scaleX, virtualWidth_, screenWidth_);
    mapped += screenOffsetX_ - view_->GetViewportX();
  }
  return AlignX(mapped, x);
}

int MapObject::MapYToScreen(int y) const {
  if (!view_) return -1;
  const auto metrics = ViewMetrics();
  if (!metrics && !screenCoordinates_) return -1;
  int mapped = y;
  if (!screenCoordinates_) {
    if (virtualWidth_ > 0 && virtualHeight_ > 0)
      mapped = MapContentAxis(y, height_, metrics->contentHeight, metrics->scaleY, virtualHeight_, screenHeight_);
    mapped += screenOffsetY_ - view_->GetViewportY();
  }
  return AlignY(mapped, y);
}

void MapObject::UpdateFromScreenRect() {
  if (!view_) return;
  if (screenCoordinates_) {
    UpdateFromScreenRectScreen();
    return;
  }
  if (const auto metrics = ViewMetrics()) UpdateFromScreenRectContent(*metrics);
}

void MapObject::UpdateFromScreenRectContent(const DocumentMetrics& metrics) {
  const int levelWidth = metrics.levelWidth;
  const int levelHeight = metrics.levelHeight;
  // An empty level or coordinate space cannot be inverted; the rectangle stays.
  if (levelWidth < 1 || levelHeight < 1 || virtualWidth_ < 1 || virtualHeight_ < 1) return;
  const int vx = view_->GetViewportX();
  const int vy = view_->GetViewportY();
  width_ = RoundHalfTowardZero(double(virtualWidth_) * screenWidth_ / levelWidth);
  height_ = RoundHalfTowardZero(double(virtualHeight_) * screenHeight_ / levelHeight);
  x_ = RoundHalfTowardZero(double(vx + screenWidth_ / 2 + screenX_) * virtualWidth_ / levelWidth - width_ / 2);
  y_ = RoundHalfTowardZero(double(vy + screenHeight_ / 2 + screenY_) * virtualHeight_ / levelHeight -
                           height_ / 2);
  const int limitX = ParseInt(view_->GetBrowserProperty("limitx"));
  if (limitX != -1) {
    x_ += limitX;
    y_ += ParseInt(view_->GetBrowserProperty("limity"));
  }
}

int MapObject::InverseAnchorAxis(int screen, int contentSize, double scale, int virtualSize, int viewOrigin,
                                 int offset) {
  const double perUnit = double(contentSize) * scale / virtualSize;
  if (!(perUnit > 0)) return screen;
  const auto forward = [&](int p) { return Truncate(p * perUnit - viewOrigin + offset); };
  const double estimate = (screen + viewOrigin - offset) / perUnit;
  const int first = static_cast<int>(std::floor(estimate)) - 1;
  for (int p = first; p <= first + 3; ++p)
    if (forward(p) == screen) return p;
  return RoundHalfTowardZero(estimate);
}

void MapObject::UpdateFromScreenRectScreen() {
  width_ = screenWidth_;
  height_ = screenHeight_;
  const int sx = screenX_ - PendingInt("_visualx");
  const int sy = screenY_ - PendingInt("_visualy");
  const auto metrics = ViewMetrics();
  const bool anchored = metrics && virtualWidth_ > 0 && virtualHeight_ > 0 && IsAnchored();
  // Alignment places the object by its own x and y, whatever its anchor.
  const int centreX = IsCenterAnchored() ? screenWidth_ / 2 : 0;
  const int centreY = IsCenterAnchored() ? screenHeight_ / 2 : 0;
  if (alignment_ & kAlignRight)
    x_ = view_->GetViewWidth() - sx;
  else if (anchored)
    x_ = InverseAnchorAxis(sx + centreX, metrics->contentWidth, metrics->scaleX, virtualWidth_,
                           view_->GetViewportX(), screenOffsetX_);
  else
    x_ = sx;
  if (alignment_ & kAlignBottom)
    y_ = view_->GetViewHeight() - sy;
  else if (anchored)
    y_ = InverseAnchorAxis(sy + centreY, metrics->contentHeight, metrics->scaleY, virtualHeight_,
                           view_->GetViewportY(), screenOffsetY_);
  else
    y_ = sy;
}

std::optional<platform::Point> MapObject::CreationPoint(platform::Point press) const {
  if (!view_) return std::nullopt;
  if (screenCoordinates_) return press;
  auto at = ScreenToContent(press);
  if (!at) return std::nullopt;
  const int limitX = ParseInt(view_->GetBrowserProperty("limitx"));
  if (limitX != -1) {
    at->x += limitX;
    at->y += ParseInt(view_->GetBrowserProperty("limity"));
  }
  return at;
}

void MapObject::PostDoneCreating() {
  if (!view_) return;
  ViewEvent event;
  event.name = "donecreatingobject";
  event.param1 = std::to_string(id_);
  view_->PostViewEvent(event);
}

std::optional<platform::Point> MapObject::ScreenToContent(platform::Point screen) const {
  const auto metrics = ViewMetrics();
  if (!metrics || !(metrics->scaleX > 0) || !(metrics->scaleY > 0)) return std::nullopt;
  return platform::Point{Truncate((screen.x + view_->GetViewportX()) / metrics->scaleX),
                         Truncate((screen.y + view_->GetViewportY()) / metrics->scaleY)};
}

std::optional<platform::Point> MapObject::ContentToScreen(platform::Point content) const {
  const auto metrics = ViewMetrics();
  if (!metrics) return std::nullopt;
  return platform::Point{Truncate(metrics->scaleX * content.x) - view_->GetViewportX(),
                         Truncate(metrics->scaleY * content.y) - view_->GetViewportY()};
}

// ---- Fields -----------------------------------------------------------------------------

void MapObject::SetRect(int x, int y, int width, int height) {
  x_ = x;
  y_ = y;
  width_ = width;
  height_ = height;
}

void MapObject::SetScreenRect(int x, int y, int width, int height) {
  screenX_ = x;
  screenY_ = y;
  screenWidth_ = width;
  screenHeight_ = height;
}

void MapObject::SetVirtualSize(int width, int height) {
  virtualWidth_ = width;
  virtualHeight_ = height;
}

void MapObject::SetScreenOffset(int x, int y) {
  screenOffsetX_ = x;
  screenOffsetY_ = y;
}

}  // namespace zolvex
