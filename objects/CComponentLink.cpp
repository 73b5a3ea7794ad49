#include "objects/CComponentLink.h"

#include "image/ViewImage.h"
#include "image/qmImageUtils.h"
#include "objects/ObjectValues.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kHoverSound = 1;
constexpr std::string_view kSilentPrefix = "ext_silent:";
constexpr std::string_view kAutoScrollPrefix = "autoscroll";

bool IsSilent(const std::string& link) { return link.size() >= 12 && StartsWithNoCase(link, kSilentPrefix); }

std::string FillText(platform::Color fill) { return fill == platform::kNoColor ? std::string() : FormatColor(fill); }

}  // namespace

CComponentLink::CComponentLink(int x, int y, int width, int height, const std::string& link,
                               std::shared_ptr<ViewImage> normal, std::shared_ptr<ViewImage> mouseOver)
    : CComponentImage(x, y, width, height, normal),
      link_(link),
      normal_(std::move(normal)),
      mouseOver_(std::move(mouseOver)) {
  SetSilentLink(IsSilent(link_));
}

CComponentLink::~CComponentLink() = default;

void CComponentLink::SetLink(const std::string& link) {
  link_ = link;
  SetSilentLink(IsSilent(link_));
}

// ---- Pictures and colours ---------------------------------------------------------------

void CComponentLink::SetPictures(std::shared_ptr<ViewImage> normal, std::shared_ptr<ViewImage> mouseOver,
                                 std::shared_ptr<ViewImage> pressed) {
  normal_ = std::move(normal);
  mouseOver_ = std::move(mouseOver);
  pressed_ = std::move(pressed);
  for (ViewImage* picture : {normal_.get(), mouseOver_.get(), pressed_.get()}) UseCornerAsKeyColor(picture);
  SetCurrentPicture(normal_);
}

void CComponentLink::SetKeyTransparent(bool on) {
  CComponentImage::SetKeyTransparent(on);
  if (!on) return;
  UseCornerAsKeyColor(normal_.get());
  UseCornerAsKeyColor(mouseOver_.get());
}

void CComponentLink::Invalidate() {
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

void CComponentLink::SetFillColor(platform::Color color) {
  if (color != fill_ && !hovered_) {
    currentFill_ = color;
    Invalidate();
  }
  fill_ = color;
}

void CComponentLink::SetMouseOverFillColor(platform::Color color) {
  if (color != mouseOverFill_ && hovered_) {
    currentFill_ = color;
    Invalidate();
  }
  mouseOverFill_ = color;
}

void CComponentLink::SetColors(platform::Color color, platform::Color mouseOverColor) {
  currentColor_ = hovered_ ? mouseOverColor : color;
  color_ = color;
  mouseOverColor_ = mouseOverColor;
}

void CComponentLink::ShowPicture(const std::shared_ptr<ViewImage>& picture) {
  if (CurrentPicture() == picture) return;
  SetCurrentPicture(picture);
  Invalidate();
}

void CComponentLink::ShowLook(platform::Color color, platform::Color fill, const std::shared_ptr<ViewImage>& picture) {
  const bool changed = (currentColor_ != color && outline_) || CurrentPicture() != picture || currentFill_ != fill;
  currentColor_ = color;
  currentFill_ = fill;
  SetCurrentPicture(picture);
  if (changed) Invalidate();
}

// ---- Pointer ----------------------------------------------------------------------------

bool CComponentLink::IsAutoScrollLink() const {
  return link_.size() > kAutoScrollPrefix.size() && StartsWithNoCase(link_, kAutoScrollPrefix);
}

void CComponentLink::PlayHoverSound() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  if (mouseOverSound_.empty())
    view->PlayBuiltInSound(kHoverSound);
  else
    view->OpenUrl(mouseOverSound_, true, 0, 0, 0);
}

void CComponentLink::OnMouseEnter() {
  if (!clicked_) {
    const bool changed = (currentColor_ != mouseOverColor_ && outline_) || CurrentPicture() != mouseOver_ ||
                         currentFill_ != mouseOverFill_;
    if (changed) ShowLook(mouseOverColor_, mouseOverFill_, mouseOver_);
    // The separator after "autoscroll" is skipped; the view parses the rest.
    if (IsAutoScrollLink() && GetView())
      GetView()->Execute("setautoscroll", link_.substr(kAutoScrollPrefix.size() + 1));
    if (!hovered_) {
      hovered_ = true;
      PlayHoverSound();
    }
  }
  MapObject::OnMouseEnter();
}

void CComponentLink::OnMouseExit() {
  hovered_ = false;
  clicked_ = false;
  ShowLook(color_, fill_, normal_);
  if (ViewPrimitives* view = GetView()) {
    if (IsAutoScrollLink()) view->Execute("setautoscroll", "0,0");
    if (!mouseOverSound_.empty()) view->StopSound();
  }
  MapObject::OnMouseExit();
}

void CComponentLink::OnMouseMove(unsigned, platform::Point) {
  if (!hovered_) OnMouseEnter();
}

void CComponentLink::OnLButtonDown(unsigned flags, platform::Point point) {
  NotifyListener("ldown", flags, point);
  if (!pressed_) return;
  clicked_ = true;
  ShowPicture(pressed_);
}

void CComponentLink::OnLButtonUp(unsigned flags, platform::Point point) {
  NotifyListener("lup", flags, point);
  if (!pressed_) return;
  clicked_ = true;
  ShowPicture(mouseOver_ ? mouseOver_ : normal_);
}

// ---- Clicks and links -------------------------------------------------------------------

bool CComponentLink::FollowsClick(int button) const {
  if (IsEditing()) return false;
  if (button == kObjectLeftButton) return true;
  return button == kObjectRightButton && link_.size() >= 7 && StartsWithNoCase(link_, "rmenu:");
}

void CComponentLink::OnClick(platform::Point, int button) {
  if (FollowsClick(button)) FollowLink();
}

void CComponentLink::OnClickWithOption(platform::Point, int button, const std::string& option) {
  if (FollowsClick(button)) FollowLink(!EqualsNoCase(option, "nosave"));
}

bool CComponentLink::HasLinkAt(int, int) const { return !link_.empty() && !EqualsNoCase(link_, "null"); }

void CComponentLink::FollowLink(bool record) {
  ViewPrimitives* view = GetView();
  if (!HasLinkAt(0, 0) || !view) return;
  if (link_.size() > 4 && StartsWithNoCase(link_, "ext:")) {
    view->QueueContent(link_ + "<@" + std::to_string(GetId()), true);
    return;
  }
  view->SetBrowserProperty("ifx", GetProperty("ifx"));
  view->QueueContent(link_, record);
}

bool CComponentLink::ExecuteCommand(const std::string& name, const std::string& value) {
  if (EqualsNoCase(name, "select")) {
    held_ = IsYes(value);
    if (held_)
      OnMouseEnter();
    else
      OnMouseExit();
  } else if (EqualsNoCase(name, "follow")) {
    FollowLink();
  }
  return true;
}

// ---- Properties -------------------------------------------------------------------------

std::string CComponentLink::GetProperty(const std::string& name) const {
  std::string value = MapObject::GetProperty(name);
  if (!value.empty()) return value;
  const std::string key = ToLower(name);
  if (key == "color") return FormatColor(color_);
  if (key == "mouseovercolor") return FormatColor(mouseOverColor_);
  if (key == "fillcolor") return FillText(fill_);
  if (key == "mouseoverfillcolor") return FillText(mouseOverFill_);
  if (key == "href") return link_;
  if (key == "transparency") return std::to_string(GetTransparency());
  if (key == "transparent") return IsKeyTransparent() ? "yes" : "no";
  return {};
}

bool CComponentLink::CommitColor(const char* name, platform::Color& field, bool currentFollows) {
  const auto color = ParseColor(GetProperty(name));
  if (!color) return false;
  const bool changed = *color != field;
  field = *color;
  if (currentFollows) currentColor_ = *color;
  return changed;
}

bool CComponentLink::CommitFill(const char* name, platform::Color field,
                                void (CComponentLink::*setter)(platform::Color)) {
  const std::string value = GetProperty(name);
  if (value.empty()) return false;
  const platform::Color color = ParseColor(value).value_or(platform::kNoColor);
  (this->*setter)(color);
  return color != field;
}

void CComponentLink::ReplaceNormalPicture(std::shared_ptr<ViewImage> picture) {
  const std::shared_ptr<ViewImage> old = normal_;
  for (std::shared_ptr<ViewImage>* slot : {&normal_, &mouseOver_, &pressed_})
    if (*slot == old) *slot = picture;
  if (CurrentPicture() == old) SetCurrentPicture(picture);
}

// A new mouse-over picture leaves the normal picture alone even when both were the same.
void CComponentLink::ReplaceMouseOverPicture(std::shared_ptr<ViewImage> picture) {
  const std::shared_ptr<ViewImage> old = mouseOver_;
  const bool showingMouseOver = CurrentPicture() == old && (old != normal_ || hovered_);
  if (pressed_ == old && old != normal_) pressed_ = picture;
  mouseOver_ = picture;
  if (showingMouseOver) SetCurrentPicture(picture);
}

bool CComponentLink::CommitPicture(const char* name, std::string& source, bool isNormal) {
  const std::string path = GetProperty(name);
  // The pending value stays and is committed again and again: load a file only once.
  if (path.empty() || path == source) return false;
  std::shared_ptr<ViewImage> picture = qmImageUtils::loadImage(path);
  if (!picture || !picture->isValid()) return false;
  if (IsKeyTransparent()) UseCornerAsKeyColor(picture.get());
  if (isNormal)
    ReplaceNormalPicture(std::move(picture));
  else
    ReplaceMouseOverPicture(std::move(picture));
  source = path;
  Invalidate();
  return true;
}

bool CComponentLink::CommitLinkProperties() {
  bool applied = false;
  if (const std::string sound = GetProperty("mouseoversound"); !sound.empty() && sound != mouseOverSound_) {
    mouseOverSound_ = sound;
    applied = true;
  }
  applied |= CommitColor("color", color_, !hovered_);
  applied |= CommitColor("mouseovercolor", mouseOverColor_, hovered_);
  applied |= CommitFill("fillcolor", fill_, &CComponentLink::SetFillColor);
  applied |= CommitFill("mouseoverfillcolor", mouseOverFill_, &CComponentLink::SetMouseOverFillColor);
  if (const std::string value = GetProperty("transparency"); !value.empty()) {
    const int transparency = ParseInt(value);
    applied |= transparency != GetTransparency();
    SetTransparency(transparency);
  }
  if (const std::string value = GetProperty("transparent"); !value.empty()) {
    applied |= IsYes(value) != IsKeyTransparent();
    SetKeyTransparent(IsYes(value));
  }
  applied |= CommitPicture("src", pictureSource_, true);
  applied |= CommitPicture("onmouseover", mouseOverPictureSource_, false);
  if (const std::string value = GetProperty("outline"); !value.empty()) {
    applied |= IsYes(value) != outline_;
    outline_ = IsYes(value);
  }
  if (const std::string href = GetProperty("href"); !href.empty() && href != link_) {
    SetLink(href);
    applied = true;
  }
  return applied;
}

bool CComponentLink::CommitProperties() {
  const bool linkApplied = CommitLinkProperties();
  const bool baseApplied = MapObject::CommitProperties();
  return linkApplied || baseApplied;
}

}  // namespace zolvex
