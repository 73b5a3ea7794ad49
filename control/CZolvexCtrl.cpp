// The control: construction, persistence, the control window's lifecycle, properties and
// painting. Methods are in CZolvexCtrlMethods.cpp, input and view events in
// CZolvexCtrlInput.cpp.
#include "control/CZolvexCtrl.h"

#include <algorithm>

#include "control/ControlLogo.h"
#include "control/ControlSite.h"
#include "control/ControlToolbar.h"
#include "control/PropertyBag.h"
#include "tools/AreaSaver.h"
#include "view/ClipTools.h"
#include "documents/MessageTable.h"
#include "net/Pictures.h"
#include "net/Url.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/FlipMapView.h"

namespace zolvex {

namespace {

// The values handed to the view when the control window is created: the view's name and
// the control's value it takes ("" for values the control computes).
const std::vector<std::pair<const char*, const char*>>& CreationProperties() {
  static const std::vector<std::pair<const char*, const char*>> list{
      {"showthumbnail", "ShowThumbnail"},
      {"pageheight", "PageHeight"},
      {"pagewidth", "PageWidth"},
      {"progressbar", "ProgressBar"},
      {"ErrorMessage", "ErrorMessage"},
      {"autofit", "AutoFit"},
      {"AllowPrintAll", "AllowPrintAll"},
      {"PrintStretch", "PrintStretch"},
      {"AllowClipping", "AllowClipping"},
      {"AllowBookmark", "AllowBookmark"},
      {"PublisherInfo", "PublisherInfo"},
      {"ProductInfo", "ProductInfo"},
      {"PrintBorder", "PrintBorder"},
      {"PublishedTime", "PublishedTime"},
      {"HTTPPort", "HTTPPort"},
      {"KTQPort", "KTQPort"},
      {"AuthenURL", "AuthenURL"},
      {"AuthenMethod", "AuthenMethod"},
      {"comicsmenu", "ComicsMenu"},
      {"ContainerURL", ""},
      {"CustomErrorHandling", ControlProperties::kCustomErrorHandling},
      {"DefaultProtocol", "DefaultProtocol"},
      {"Timeout", "Timeout"},
      {"printoffset", "printoffset"},
      {"printrange", "printrange"},
      {"usehintcursor", "usehintcursor"},
      {"flipsoundurl", "flipsoundurl"},
      {"ReloadOnModified", "ReloadOnModified"},
      {"CustomOptions", "CustomOptions"},
      {"WheelAction", "WheelAction"},
      {"CacheAhead", "CacheAhead"},
      {"PageIndexPosition", "PageIndexPosition"},
      {"PageIndexWidth", "PageIndexWidth"},
      {"PageIndexHeight", "PageIndexHeight"},
      {"ErrorMsgXml", "ErrorMsgXml"},
  };
  return list;
}

}  // namespace

CZolvexCtrl::CZolvexCtrl(ControlSite* site)
    : site_(site),
      zolvex2_(properties_, [this] { MarkModified(); }),
      toolbar_(std::make_unique<ControlToolbar>()),
      logo_(std::make_unique<ControlLogo>()) {}

CZolvexCtrl::~CZolvexCtrl() { DestroyControlWindow(); }

// ---- Persistence ------------------------------------------------------------------------

void CZolvexCtrl::LoadProperties(const PropertyBag& bag) {
  properties_.Load(bag);
  modified_ = false;
}

void CZolvexCtrl::SaveProperties(PropertyBag& bag) const { properties_.Save(bag); }

// ---- Lifecycle --------------------------------------------------------------------------

void CZolvexCtrl::CreateControlWindow(platform::Platform& platform) {
  if (view_) return;
  platform_ = &platform;
  view_ = std::make_unique<FlipMapView>(platform);
  view_->Clipping().SetOutputTools(std::make_unique<AreaSaver>(*view_));
  platform::Size size = platform.Window().ClientSize();
  if (size.width <= 0 || size.height <= 0) size = {kDefaultWidth, kDefaultHeight};
  view_->InitSurfaces(size.width, size.height);
  view_->SetNavigationListener(this);
  std::weak_ptr<int> alive = alive_;
  view_->SetEventHandlers(
      [this, alive](const ViewEvent& event) {
        if (!alive.expired()) OnViewEvent(event);
      },
      [this, alive](const ObjectEvent& event) {
        if (!alive.expired()) OnObjectEvent(event);
      });
  view_->SetKeyMessageHandler([this, alive](int key) {
    if (!alive.expired()) OnKeyDown(key, 0);
  });
  view_->SetRedrawCheck([this, alive] {
    if (!alive.expired()) RedrawIfDirty();
  });
  view_->SetBrowserProperty("httpResourceUrl", properties_.Get(ControlProperties::kSkinUrl));
  view_->SetBrowserProperty("autohide", "yes");
  toolbar_->SetEnabled(IsYes(properties_.Get("ShowToolbar")), platform.TimeSource().NowMs());
  ApplyLogoLocation(properties_.Get("LogoLocation"));
  ApplyBackgroundColor(properties_.Get("BackgroundColor"));
  ApplyBackgroundImage(properties_.Get("BackgroundImage"));
  ApplyDefaultLanguage(properties_.Get("DefaultLanguage"));
  if (site_) site_->ShowBorder(!IsNo(properties_.Get("ShowBorder")));
  PassPropertiesToView();
  platform.Window().SetListener(this);
  StartTimers();
  SetContent(properties_.Get("Url"));
  FireBrowserEvent("created", view_->GetBrowserProperty("version"), "");
}

void CZolvexCtrl::PassPropertiesToView() {
  for (const auto& [viewName, controlName] : CreationProperties()) {
    const bool computed = *controlName == '\0';
    view_->SetBrowserProperty(viewName, computed ? (site_ ? site_->PageUrl() : std::string()) : properties_.Get(controlName));
  }
}

void CZolvexCtrl::StartTimers() {
  platform::WindowHost& window = platform_->Window();
  window.SetTimer(kToolbarTimer, kToolbarPeriodMs, [this] {
    std::lock_guard hold(lock_);
    if (toolbar_->HideWhenIdle(platform_->TimeSource().NowMs())) platform_->Window().Invalidate();
  });
  window.SetTimer(kRedrawTimer, kRedrawPeriodMs, [this] { RedrawIfDirty(); });
  window.SetTimer(kTickTimer, kTickPeriodMs, [this] {
    std::lock_guard hold(lock_);
    if (view_) view_->OnTick();
  });
}

void CZolvexCtrl::RedrawIfDirty() {
  std::lock_guard hold(lock_);
  if (view_ && view_->NeedsRedraw()) view_->Redraw();
}

void CZolvexCtrl::StopTimers() {
  platform::WindowHost& window = platform_->Window();
  window.KillTimer(kTickTimer);
  window.KillTimer(kRedrawTimer);
  window.KillTimer(kToolbarTimer);
}

void CZolvexCtrl::DestroyControlWindow() {
  std::lock_guard hold(lock_);
  if (!view_) return;
  StopTimers();
  platform_->Window().SetListener(nullptr);
  view_->Execute("clear", "");
  view_->SetNavigationListener(nullptr);
  view_->SetEventHandlers(nullptr, nullptr);
  view_->SetKeyMessageHandler(nullptr);
  view_.reset();
  ResetPrintProp();
}

// ---- Properties -------------------------------------------------------------------------

std::optional<std::string> CZolvexCtrl::GetProperty(const std::string& name) const {
  const ControlPropertySpec* spec = ControlProperties::Find(name);
  if (!spec) return std::nullopt;
  return properties_.Get(spec->name);
}

bool CZolvexCtrl::SetProperty(const std::string& name, const std::string& value) {
  const ControlPropertySpec* spec = ControlProperties::Find(name);
  if (!spec) return false;
  ControlProperties::CheckValue(*spec, value);
  if (std::string(spec->name) != "Zolvex2") {
    properties_.Set(spec->name, value);
    if (view_) ApplyProperty(*spec, value);
  }
  MarkModified();
  if ((spec->yesNoCode != 0 || std::string(spec->name) == "BackgroundColor") && platform_) Repaint();
  return true;
}

void CZolvexCtrl::ApplyProperty(const ControlPropertySpec& spec, const std::string& value) {
  const std::string name = spec.name;
  if (name == "BackgroundImage") {
    ApplyBackgroundImage(value);
  } else if (name == "Url") {
    SetContent(value);
  } else if (name == "LogoLocation") {
    ApplyLogoLocation(value);
  } else if (name == "ShowToolbar") {
    ShowToolbar(IsYes(value));
  } else if (name == "DefaultLanguage") {
    ApplyDefaultLanguage(value);
  } else if (name == "ShowBorder") {
    if (site_) site_->ShowBorder(!IsNo(value));
  } else if (name == "BackgroundColor") {
    ApplyBackgroundColor(value);
    if (site_ && site_->InDesignMode()) site_->OnPropertyChanged(name);
  } else if (spec.browserName && !spec.storedOnly) {
    view_->SetBrowserProperty(spec.browserName, value);
  }
}

void CZolvexCtrl::ApplyBackgroundColor(const std::string& value) {
  if (ParseColor(value)) view_->SetBrowserProperty("BackgroundColor", value);
}

void CZolvexCtrl::ApplyBackgroundImage(const std::string& value) {
  if (value.empty()) {
    view_->SetBackgroundImage(nullptr);
  } else {
    view_->SetBackgroundImage(LoadPictureFromUrl(ResolveAgainstPage(value)));
  }
  view_->Redraw();
}

void CZolvexCtrl::ApplyLogoLocation(const std::string& value) {
  logo_->SetLocation(value);
  if (platform_) platform_->Window().Invalidate();
}

// The built-in message language is chosen once per user: a language already in the
// profile stays.
void CZolvexCtrl::ApplyDefaultLanguage(const std::string& value) {
  platform::SettingsStore& settings = platform_->Settings();
  std::string stored = settings.GetProfileString(kProfileSection, "Language", "");
  if (stored.empty() && !value.empty()) {
    settings.SetProfileString(kProfileSection, "Language", value);
    stored = value;
  }
  if (!stored.empty()) MessageTable::Shared().SetLanguage(MessageLanguageFromName(stored));
}

void CZolvexCtrl::ShowToolbar(bool shown) {
  toolbar_->SetEnabled(shown, platform_->TimeSource().NowMs());
  platform_->Window().Invalidate();
}

bool CZolvexCtrl::IsToolbarShown() const { return toolbar_->IsShown(); }

std::string CZolvexCtrl::ResolveAgainstPage(const std::string& url) const {
  if (url.empty() || url == "#" || url.find(':') != std::string::npos || !site_) return url;
  const std::string page = site_->PageUrl();
  return page.empty() ? url : ResolveUrl(url, page);
}

// ---- Painting ---------------------------------------------------------------------------

void CZolvexCtrl::OnSize(platform::Size size) {
  std::lock_guard hold(lock_);
  if (!view_) return;
  view_->InitSurfaces(size.width, size.height);
  view_->Redraw();
}

const platform::Surface* CZolvexCtrl::OnPaint() {
  std::lock_guard hold(lock_);
  if (!view_) return nullptr;
  return ComposeFrame(view_->BackBuffer());
}

// The view's frame with the toolbar and the logo above it; the view's own frame stays
// as the view drew it (it is what saving and copying take).
const platform::Surface* CZolvexCtrl::ComposeFrame(const platform::Surface* viewFrame) {
  if (!viewFrame || (!toolbar_->IsShown() && !logo_->IsShown())) return viewFrame;
  if (!composed_ || composed_->Width() != viewFrame->Width() || composed_->Height() != viewFrame->Height()) {
    composed_ = std::make_unique<platform::Surface>(viewFrame->Width(), viewFrame->Height());
  }
  composed_->Blit(*viewFrame, viewFrame->Bounds(), composed_->Bounds());
  logo_->Draw(*composed_);
  toolbar_->Draw(*composed_);
  return composed_.get();
}

}  // namespace zolvex
