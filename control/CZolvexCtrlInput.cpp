// The control's input: mouse messages go to the page first and then, unless the page
// vetoed them through "Process_Event", to the view; keys go to the page, then to the
// control's shortcuts or the view. Also the events the view posts, the help text and the
// connection-settings dialog.
#include <cstdio>

#include "control/ControlLogo.h"
#include "control/ControlToolbar.h"
#include "control/CZolvexCtrl.h"
#include "tools/ClipDialog.h"
#include "view/ClipTools.h"
#include "documents/CReaderException.h"
#include "documents/MapDocument.h"
#include "objects/ViewEvent.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "tiles/SourceOpener.h"
#include "view/FlipMapView.h"

namespace zolvex {

namespace {

constexpr int kKeyF5 = platform::kKeyF1 + 4;
constexpr int kKeyF6 = platform::kKeyF1 + 5;
constexpr int kKeyF7 = platform::kKeyF1 + 6;
constexpr int kKeyF8 = platform::kKeyF1 + 7;
constexpr int kKeyF9 = platform::kKeyF1 + 8;

const char* const kConnectionModes[] = {"Direct", "Secure proxy", "Behind firewall (HTTP)"};

}  // namespace

// ---- Events to the page -----------------------------------------------------------------

void CZolvexCtrl::Fire(const std::string& name, int dispatchId, std::vector<EventArgument> arguments) {
  if (sink_) sink_->Fire(ControlEvent{name, dispatchId, std::move(arguments)});
}

void CZolvexCtrl::FireBrowserEvent(const std::string& name, const std::string& param1, const std::string& param2) {
  Fire("OnBrowserEvent", event_id::kOnBrowserEvent, {name, param1, param2});
}

void CZolvexCtrl::OnLoading(const std::string& url) { Fire("OnLoading", event_id::kOnLoading, {url}); }

void CZolvexCtrl::OnLoaded(const std::string& url) {
  ApplyRememberedMove();
  Fire("OnLoaded", event_id::kOnLoaded, {url});
}

void CZolvexCtrl::OnError(const CReaderException& error) {
  Fire("OnError", event_id::kOnError, {error.Message()});
}

void CZolvexCtrl::OnFollowLink(const std::string& url) {
  auto [address, target] = SplitFollowLink(url);
  FireBrowserEvent("FollowLink", address, target);
}

void CZolvexCtrl::OnObjectEvent(const ObjectEvent& event) {
  Fire("OnObjectMouseEvent", event_id::kOnObjectMouseEvent, {event.name, static_cast<long long>(event.objectId), 0LL, 0LL, 0LL});
}

void CZolvexCtrl::OnViewEvent(const ViewEvent& event) {
  if (!view_) return;
  if (EqualsNoCase(event.name, "reset")) {
    Reset(event);
  } else if (EqualsNoCase(event.name, "setcontent")) {
    view_->OpenUrl(event.param2, false, 0, 0, 0);
    view_->SetBrowserProperty("ifx", "");
  } else if (EqualsNoCase(event.name, "ClipSave") && !IsYes(view_->GetBrowserProperty("customclipsave"))) {
    SaveClip();
  } else {
    FireBrowserEvent(event.name, event.param1, event.param2);
  }
}

// The clip dialog uploads the clip; once it is saved, clip editing ends.
void CZolvexCtrl::SaveClip() {
  ClipDialog dialog(properties_.Get("ClippingURL"), properties_.Get("Categories"),
                    view_->GetBrowserProperty("ClipString"), view_->GetCurrentUrl());
  if (dialog.Run(*platform_) && view_) view_->Execute("clipedit", "no");
}

void CZolvexCtrl::Reset(const ViewEvent& event) {
  view_->OpenUrl(event.param2, false, event.position.x, event.position.y, event.level);
  view_->MoveTo(event.position.x, event.position.y, event.level, "left");
  view_->Redraw();
}

// ---- Mouse ------------------------------------------------------------------------------

// The page hears the message first; it keeps the view from it by changing
// "Process_Event" while it handles the event.
bool CZolvexCtrl::FireMouseEvent(const char* name, int dispatchId, int x, int y, unsigned flags) {
  view_->SetBrowserProperty("Process_Event", "yes");
  const long long time = static_cast<long long>(platform_->TimeSource().NowMs());
  Fire(name, dispatchId, {static_cast<long long>(x), static_cast<long long>(y), static_cast<long long>(flags), time});
  return view_ && EqualsNoCase(view_->GetBrowserProperty("Process_Event"), "yes");
}

void CZolvexCtrl::OnMouse(const platform::MouseEvent& event) {
  if (!view_) return;
  const int x = event.point.x, y = event.point.y;
  const std::uint64_t now = platform_->TimeSource().NowMs();
  using platform::MouseAction;
  using platform::MouseButton;
  if (event.action == MouseAction::Leave) {
    view_->OnMouseLeave();
    return;
  }
  if (event.action == MouseAction::Move) {
    const bool wasShown = toolbar_->IsShown();
    if (toolbar_->IsEnabled()) toolbar_->NoteUse(static_cast<std::int64_t>(now));
    if (!wasShown && toolbar_->IsShown()) platform_->Window().Invalidate();
    if (FireMouseEvent("OnMouseMove", event_id::kOnMouseMove, x, y, event.modifiers)) {
      view_->OnMouseMove(x, y, event.modifiers, now);
    }
    return;
  }
  const bool down = event.action != MouseAction::Up;
  const bool dbl = event.action == MouseAction::DoubleClick;
  if (event.button == MouseButton::Left && HandleControlClick(event.point, down)) return;
  switch (event.button) {
    case MouseButton::Left: {
      const unsigned flags = down ? event.modifiers | platform::kModLeftButton : event.modifiers & ~platform::kModLeftButton;
      const char* name = dbl ? "OnLButtonDblClk" : down ? "OnLButtonDown" : "OnLButtonUp";
      const int id = dbl ? event_id::kOnLButtonDblClk : down ? event_id::kOnLButtonDown : event_id::kOnLButtonUp;
      if (!FireMouseEvent(name, id, x, y, flags)) return;
      if (down) {
        view_->OnLButtonDown(x, y, flags, now);
      } else {
        view_->OnLButtonUp(x, y, flags, now);
      }
      break;
    }
    case MouseButton::Right: {
      const char* name = dbl ? "OnRButtonDblClk" : down ? "OnRButtonDown" : "OnRButtonUp";
      const int id = dbl ? event_id::kOnRButtonDblClk : down ? event_id::kOnRButtonDown : event_id::kOnRButtonUp;
      if (!FireMouseEvent(name, id, x, y, event.modifiers)) return;
      if (down) {
        view_->OnRButtonDown(x, y, event.modifiers, now);
      } else {
        view_->OnRButtonUp(x, y, event.modifiers, now);
      }
      break;
    }
    case MouseButton::Middle:
      if (!FireMouseEvent(down ? "OnMButtonDown" : "OnMButtonUp", down ? event_id::kOnMButtonDown : event_id::kOnMButtonUp,
                          x, y, event.modifiers)) {
        return;
      }
      if (!down) ToggleSnapPage();
      break;
    case MouseButton::None:
      break;
  }
}

// Presses on the toolbar and the logo belong to the control; their releases too.
bool CZolvexCtrl::HandleControlClick(platform::Point point, bool down) {
  const ControlToolbar::Command command = toolbar_->CommandAt(point);
  if (command != ControlToolbar::kNone) {
    if (down) RunToolbarCommand(command);
    return true;
  }
  const platform::Size window = platform_->Window().ClientSize();
  if (!logo_->Contains(point, window)) return false;
  const std::string link = properties_.Get("LogoLink");
  if (link.empty()) return false;
  if (down) platform_->ShellService().OpenUrl(link, "_blank");
  return true;
}

void CZolvexCtrl::RunToolbarCommand(int command) {
  toolbar_->NoteUse(static_cast<std::int64_t>(platform_->TimeSource().NowMs()));
  switch (command) {
    case ControlToolbar::kZoomIn: view_->Execute("zoomin", ""); break;
    case ControlToolbar::kZoomOut: view_->Execute("zoomout", ""); break;
    case ControlToolbar::kFit:
      view_->FitToWindow(false);
      view_->Redraw();
      break;
    case ControlToolbar::kBack: view_->Execute("back", ""); break;
    case ControlToolbar::kHelp: ShowHelp(); break;
    default: break;
  }
  platform_->Window().Invalidate();
}

// A middle click turns snapping to pages on or off for the current document.
void CZolvexCtrl::ToggleSnapPage() {
  MapDocument* document = view_->GetDocument();
  if (!document) return;
  document->SetParam("snappage", IsYes(document->GetParam("snappage")) ? "no" : "yes");
}

void CZolvexCtrl::OnWheel(const platform::WheelEvent& event) {
  if (!view_ || !mouseWheel_) return;
  view_->Execute("wheel", std::to_string(event.delta) + "," + std::to_string(event.point.x) + "," +
                              std::to_string(event.point.y));
}

// ---- Keys -------------------------------------------------------------------------------

void CZolvexCtrl::OnKey(const platform::KeyEvent& event) {
  if (event.down) OnKeyDown(event.key, event.modifiers);
}

void CZolvexCtrl::OnKeyDown(int key, unsigned flags) {
  if (!view_) return;
  FireBrowserEvent("key", std::to_string(key), std::to_string(flags));
  if (!view_ || HandleShortcut(key, flags)) return;
  view_->OnKeyDown(key, 0, flags, platform_->TimeSource().NowMs());
}

bool CZolvexCtrl::ClippingAllowed() const { return !IsNo(properties_.Get("AllowClipping")); }

// True when the key was the control's own and the view is not to see it.
bool CZolvexCtrl::HandleShortcut(int key, unsigned flags) {
  const bool control = (flags & platform::kModControl) != 0;
  MapDocument* document = view_->GetDocument();
  const bool documentClipping = !document || !IsNo(document->GetParam("AllowClipping"));
  if (control && key == 'O') {
    AskForUrl();
  } else if (control && key == 'T') {
    RunSetup();
  } else if (control && key == 'C' && ClippingAllowed()) {
    view_->Execute("copy", "");
  } else if (control && key == 'S' && ClippingAllowed() &&
             ((!properties_.Get("ClippingURL").empty() && !properties_.Get("Categories").empty()) ||
              IsYes(view_->GetBrowserProperty("customclipsave"))) &&
             HasReadyDocument()) {
    view_->Execute("clipedit", "");
  } else if (key == platform::kKeyF1) {
    ShowHelp();
  } else if (key == kKeyF5) {
    // Reloading is the browser's key; the control keeps it from the view.
  } else if (key == kKeyF9) {
    // Printing is not part of this viewer; the key goes on to the view.
    return false;
  } else if (key == kKeyF6 && documentClipping && ClippingAllowed()) {
    view_->Execute("wallpaper", "");
  } else if (key == kKeyF7 && documentClipping && ClippingAllowed()) {
    view_->SetBrowserProperty("selector", IsYes(view_->GetBrowserProperty("selector")) ? "no" : "yes");
  } else if (key == kKeyF8 && documentClipping && ClippingAllowed()) {
    view_->Clipping().SaveClipArea("");
  } else {
    return false;
  }
  return true;
}

void CZolvexCtrl::AskForUrl() {
  auto answer = platform_->DialogBox().PromptText("Open URL:", MapView::kMessageCaption, GetCurrentURL());
  if (answer && !Trim(*answer).empty()) SetContent(Trim(*answer));
}

// ---- Help -------------------------------------------------------------------------------

std::string CZolvexCtrl::HelpText() const {
  std::string text = "Zolvex version " + GetBrowserProperty("Version") + "\n\n";
  text +=
      "Mouse\n"
      "  Left click: zoom in at the point\n"
      "  Right click: zoom out at the point\n"
      "  Drag with the left button: move the image\n"
      "  Wheel: as the page sets it (scroll, pan or zoom)\n"
      "  Middle click: snap to pages on or off\n\n"
      "Keys\n"
      "  Arrow keys: move by half a window, or by a page\n"
      "  Page Up, Page Down, Home, End: previous, next, first and last page\n"
      "  Numeric + and -: zoom in and out\n"
      "  Backspace, Escape: go back\n"
      "  Ctrl+O: open a URL\n"
      "  Ctrl+T: connection settings\n"
      "  F1: this help\n";
  if (ClippingAllowed()) {
    text +=
        "  Ctrl+C: copy the view\n"
        "  Ctrl+S: clip and save a region\n"
        "  F6: set the view as the wallpaper\n"
        "  F7: show or hide the selection frame\n"
        "  F8: save the selected area\n";
  }
  if (!IsNo(properties_.Get("AllowPrinting"))) text += "  F9: print\n";
  return text;
}

void CZolvexCtrl::ShowHelp() {
  platform_->DialogBox().MessageBox(HelpText(), "Zolvex Help", platform::MessageIcon::Information,
                                    platform::MessageButtons::Ok);
}

// ---- Connection settings ----------------------------------------------------------------

bool CZolvexCtrl::RunSetup() {
  platform::SettingsStore& settings = platform_->Settings();
  const bool firewalled = IsYes(view_->GetBrowserProperty("firewalled"));
  const bool https = IsYes(view_->GetBrowserProperty("https"));
  const int mode = !firewalled ? 0 : https ? 1 : 2;
  const bool noWizard = settings.GetString(SourceOpener::kSettingsKey, "noconnwiz").value_or("0") == "1";
  std::vector<platform::FormField> fields{
      {"mode", "Connection", platform::FieldKind::Choice, kConnectionModes[mode],
       {kConnectionModes[0], kConnectionModes[1], kConnectionModes[2]}},
      {"ktqport", "Tile server port", platform::FieldKind::Text, properties_.Get("KTQPort"), {}},
      {"httpport", "HTTP port", platform::FieldKind::Text, properties_.Get("HTTPPort"), {}},
      {"timeout", "Time-out", platform::FieldKind::Text, properties_.Get("Timeout"), {}},
      {"nowizard", "Do not show the connection wizard", platform::FieldKind::Check, noWizard ? "yes" : "no", {}},
  };
  const std::vector<platform::FormField> before = fields;
  if (!platform_->DialogBox().Form("Connection settings", fields)) return false;
  bool changed = false;
  for (std::size_t i = 0; i < fields.size(); ++i) changed = changed || fields[i].value != before[i].value;
  if (!changed) return false;
  ApplyConnectionSettings(fields);
  const std::string url = view_->GetCurrentUrl().empty() ? properties_.Get("Url") : view_->GetCurrentUrl();
  if (!properties_.Get("Url").empty()) {
    ShowConnectingNotice();
    view_->SetBrowserProperty("ClearScreen", "yes");
    view_->OpenUrl(url, false, 0, 0, 0);
  }
  return true;
}

void CZolvexCtrl::ApplyConnectionSettings(const std::vector<platform::FormField>& fields) {
  platform::SettingsStore& settings = platform_->Settings();
  const std::string& mode = fields[0].value;
  const bool firewalled = mode != kConnectionModes[0];
  const bool https = mode == kConnectionModes[1];
  settings.SetProfileString(kProfileSection, "firewalled", firewalled ? "1" : "0");
  settings.SetProfileString(kProfileSection, "https", https ? "1" : "0");
  view_->SetBrowserProperty("firewalled", firewalled ? "yes" : "no");
  view_->SetBrowserProperty("https", https ? "yes" : "no");
  SetProperty("KTQPort", Trim(fields[1].value));
  SetProperty("HTTPPort", Trim(fields[2].value));
  SetProperty("Timeout", Trim(fields[3].value));
  if (IsYes(fields[4].value)) {
    settings.SetString(SourceOpener::kSettingsKey, "noconnwiz", "1");
  } else {
    settings.DeleteValue(SourceOpener::kSettingsKey, "noconnwiz");
  }
}

// A text fixed on the screen tells the user that the content is being reopened.
void CZolvexCtrl::ShowConnectingNotice() {
  char parameter[320];
  std::snprintf(parameter, sizeof parameter,
                "text=\"Please wait a few minutes while zolvex is connecting ...\" background=\"#000000\" "
                "color=\"#FF0000\" x=\"%d\" y=\"%d\" co-ordinate=\"screen\" size=\"12\"",
                view_->GetViewWidth() / 2 - 50, view_->GetViewHeight() / 2);
  AddObject("text", parameter);
  view_->Redraw();
}

}  // namespace zolvex
