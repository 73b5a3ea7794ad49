// The view's periodic work on the control's 100-millisecond tick, and its tooltips.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "documents/MapDocument.h"
#include "objects/MapObject.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/BackButton.h"
#include "view/Magnifier.h"
#include "view/BrowserPropertyRules.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

constexpr int kDefaultTooltipTimeMs = 1000;
// Ticks without a mouse move after which the zoom area disappears.
constexpr int kZoomAreaIdleTicks = 9;
// Automatic scrolling moves at most this many pixels per step.
constexpr int kScrollStep = 20;
// Automatic play counts ticks in fives against its delay.
constexpr int kTicksPerPlayUnit = 5;

struct SizedTooltip {
  int width = 0;
  int height = 0;
  std::string text;
};

// "(width,height)text": the closing parenthesis must leave at least three characters of
// text after it and the comma a number on either side of it. Anything else is no sized
// tooltip at all.
std::optional<SizedTooltip> ParseSizedTooltip(const std::string& text) {
  const std::size_t close = text.find(')');
  if (close == std::string::npos || close <= 1 || close + 3 >= text.size()) return std::nullopt;
  const std::string inside = text.substr(1, close - 1);
  const std::size_t comma = inside.find(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 >= inside.size()) return std::nullopt;
  SizedTooltip tooltip{ParseInt(inside.substr(0, comma)), ParseInt(inside.substr(comma + 1)), text.substr(close + 1)};
  // A box without area would show nothing anyway.
  if (tooltip.width <= 0 || tooltip.height <= 0) return std::nullopt;
  return tooltip;
}

}  // namespace

std::int64_t MapView::NowMs() const { return static_cast<std::int64_t>(platform_.TimeSource().NowMs()); }

// ---- The view's own objects -------------------------------------------------------------

bool MapView::IsOwnObject(MapObject* object) const {
  return object && std::find(ownObjects_.begin(), ownObjects_.end(), object) != ownObjects_.end();
}

void MapView::AddOwnObject(MapObject* object) {
  if (IsOwnObject(object)) return;
  object->SetView(this);
  ownObjects_.push_back(object);
}

void MapView::RemoveOwnObject(MapObject* object) {
  ownObjects_.erase(std::remove(ownObjects_.begin(), ownObjects_.end(), object), ownObjects_.end());
}

void MapView::DrawOwnObjects(bool includeHidden) {
  const int level = HasValidDocument() ? document_->GetLevel() : 0;
  for (MapObject* object : ownObjects_) {
    if (object == magnifier_.get()) {
      DrawMagnifierOnce();
      continue;
    }
    if (object->IsShownAtLevel(level) && (includeHidden || !object->IsHiddenForPrinting())) object->Draw();
  }
}

// ---- The magnifier ------------------------------------------------------------------------

Magnifier& MapView::EnsureMagnifier() {
  if (!magnifier_) {
    magnifier_ = std::make_unique<Magnifier>(
        [this](const platform::Rect& area) { return CaptureImage(area.left, area.top, area.Width(), area.Height()); });
    magnifier_->SetView(this);
    magnifier_->FollowPointer(lastMouse_);
    AddOwnObject(magnifier_.get());
  }
  return *magnifier_;
}

void MapView::ShowMagnifier(bool shown) {
  if (!shown && !magnifier_) return;
  Magnifier& magnifier = EnsureMagnifier();
  if (magnifier.IsVisible() == shown) return;
  magnifier.SetVisible(shown);
  Redraw();
}

bool MapView::IsMagnifierShown() const { return magnifier_ && magnifier_->IsVisible(); }

void MapView::SetMagnifierSize(int width, int height) { EnsureMagnifier().SetSize(width, height); }

void MapView::DrawMagnifierOnce() {
  if (magnifierDrawn_ || !IsMagnifierShown()) return;
  magnifierDrawn_ = true;
  magnifier_->Draw();
}

const TooltipObject* MapView::ShownTooltip() const {
  for (const TooltipObject* tooltip : {simpleTooltip_.get(), sizedTooltip_.get()}) {
    if (std::find(ownObjects_.begin(), ownObjects_.end(), tooltip) != ownObjects_.end()) return tooltip;
  }
  return nullptr;
}

// ---- Tick ---------------------------------------------------------------------------------

void MapView::OnTick() {
  // A page flip renders with the view suspended and lets window messages through while
  // it waits for tiles; a tick then must not start another page turn or scroll.
  if (suspended_) return;
  bool redraw = false;
  if (HasValidDocument()) {
    redraw |= AdvanceAnimatedPage();
    RunAutomaticPlay();
    redraw |= RunAutomaticScroll();
  }
  redraw |= HideIdleBackButton();
  ShowPendingTooltip();
  redraw |= CountZoomAreaIdle();
  if (redraw || NeedsRedraw()) Redraw();
}

void MapView::ShowBackButton(bool shown) {
  if (backButton_->IsVisible() == shown) return;
  backButton_->SetVisible(shown);
  MarkDirty();
}

bool MapView::IsBackButtonShown() const { return backButton_->IsVisible(); }

void MapView::ShowBackButtonOnTouch() {
  if (propertyRules_->IsTouchScreen()) ShowBackButton(true);
}

// Touch-screen mode hides its back button after a minute without input.
bool MapView::HideIdleBackButton() {
  if (!backButton_->IsVisible() || NowMs() - lastInputTime_ <= kBackButtonIdleMs) return false;
  ShowBackButton(false);
  return true;
}

bool MapView::AdvanceAnimatedPage() {
  if (document_->GetPageCount() <= 1 || IsYes(GetBrowserProperty("pauseanimation"))) return false;
  document_->NextPage();
  return true;
}

void MapView::RunAutomaticPlay() {
  if (!commands_->IsPlaying()) return;
  pendingTiles_ = document_->GetPendingTileCount();
  int ticks = commands_->PlayTicks();
  // The page stays until all of it has arrived; the delay counts from then.
  if (pendingTiles_ > 0) ticks = 0;
  ++ticks;
  if (commands_->PlayDelay() < ticks / kTicksPerPlayUnit) {
    commands_->SetPlayTicks(0);
    Execute("nextpage", "");
    return;
  }
  commands_->SetPlayTicks(ticks);
}

bool MapView::RunAutomaticScroll() {
  const platform::Point speed = commands_->AutoScrollSpeed();
  if (speed.x == 0 && speed.y == 0) return false;
  const int steps = std::max({std::abs(speed.x) / kScrollStep, std::abs(speed.y) / kScrollStep, 1});
  const platform::Point start{viewX_, viewY_};
  for (int i = 1; i <= steps; ++i) {
    const platform::Point before{viewX_, viewY_};
    SetPosition(start.x + i * speed.x / steps, start.y + i * speed.y / steps, true, true);
    if (platform::Point{viewX_, viewY_} == before) {
      // The content's edge: scrolling ends there.
      commands_->Execute("autoscroll", "0,0");
      return true;
    }
  }
  return false;
}

bool MapView::CountZoomAreaIdle() {
  if (!IsYes(GetBrowserProperty("DrawZoomArea"))) return false;
  ++zoomAreaIdle_;
  if (zoomAreaIdle_ <= kZoomAreaIdleTicks || zoomAreaHidden_) return false;
  zoomAreaHidden_ = true;
  return true;
}

// ---- Tooltips -----------------------------------------------------------------------------

void MapView::ShowPendingTooltip() {
  if (!tooltipCandidate_) return;
  if (!IsListed(tooltipCandidate_)) {
    tooltipCandidate_ = nullptr;
    return;
  }
  if (hoverStart_ < 0) return;
  const std::string setting = GetBrowserProperty("tooltiptime");
  const int tooltipTime = setting.empty() ? kDefaultTooltipTimeMs : ParseInt(setting);
  if (NowMs() - hoverStart_ <= tooltipTime) return;
  const std::string text = tooltipCandidate_->GetTooltip();
  if (text.empty()) return;
  HideTooltips();
  lastTooltipText_ = text;
  if (text.front() == '(') {
    ShowSizedTooltip(text);
  } else {
    ShowSimpleTooltip(text);
  }
  hoverStart_ = -1;
}

void MapView::ShowSimpleTooltip(const std::string& text) {
  simpleTooltip_->SetContent(text, tooltipCandidate_->GetProperty("tooltipfont"),
                             ParseInt(tooltipCandidate_->GetProperty("tooltipsize")));
  simpleTooltip_->SetView(this);
  simpleTooltip_->PlaceAt(lastMouse_, simpleTooltip_->MeasureContent(*this), {viewWidth_, viewHeight_});
  simpleTooltip_->SetVisible(true);
  AddOwnObject(simpleTooltip_.get());
  tooltipKind_ = 1;
  tooltipAnchor_ = lastMouse_;
  MarkDirty();
}

void MapView::ShowSizedTooltip(const std::string& text) {
  std::optional<SizedTooltip> sized = ParseSizedTooltip(text);
  if (!sized) return;
  sizedTooltip_->SetContent(TooltipObject::PlainText(sized->text), tooltipCandidate_->GetProperty("tooltipfont"),
                            ParseInt(tooltipCandidate_->GetProperty("tooltipsize")));
  sizedTooltip_->SetView(this);
  sizedTooltip_->PlaceAt(lastMouse_, {sized->width, sized->height}, {viewWidth_, viewHeight_});
  sizedTooltip_->SetVisible(true);
  AddOwnObject(sizedTooltip_.get());
  tooltipKind_ = 2;
  MarkDirty();
}

// Input handlers call this while they still hold objects of the last frame, so the
// frame is only marked for the next redraw, not drawn at once.
void MapView::HideTooltips() {
  zoomAreaIdle_ = 0;
  for (TooltipObject* tooltip : {simpleTooltip_.get(), sizedTooltip_.get()}) {
    if (!IsOwnObject(tooltip)) continue;
    tooltip->SetVisible(false);
    RemoveOwnObject(tooltip);
    MarkDirty();
  }
  hoverStart_ = -1;
}

void MapView::ForgetPointerState() {
  HideTooltips();
  hovered_ = nullptr;
  tooltipCandidate_ = nullptr;
  lastTooltipText_.clear();
  if (rubberBand_) {
    rubberBandObject_->SetVisible(false);
    RemoveOwnObject(rubberBandObject_.get());
    rubberBand_ = false;
  }
  commands_->Execute("SelectObjects", "");
}

}  // namespace zolvex
