// The methods of the control's dispatch interface. Integer answers are -1 and text answers
// "" when there is no view or no ready document; no method raises an error.
#include <cstdint>

#include "control/ControlSite.h"
#include "control/CZolvexCtrl.h"
#include "documents/MapDocument.h"
#include "documents/ObjectFactory.h"
#include "objects/MapObject.h"
#include "platform/Numbers.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "view/FlipMapView.h"
#include "view/ObjectQuery.h"

namespace zolvex {

namespace {

constexpr std::size_t kMaxHeaderBytes = 100;
constexpr std::size_t kMaxMarginBytes = 10;
const char* const kPageSetupNames[] = {"header", "footer", "margin_left", "margin_top", "margin_right", "margin_bottom"};

}  // namespace

bool CZolvexCtrl::HasReadyDocument() const { return view_ && view_->HasValidDocument(); }

MapObject* CZolvexCtrl::FindObject(int objectId) const {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  return document ? document->FindObject(objectId) : nullptr;
}

// ---- Position ---------------------------------------------------------------------------

// The level travels as a 16-bit integer, as the page's scripts always passed it.
void CZolvexCtrl::MoveTo(int x, int y, int level) {
  level = static_cast<std::int16_t>(level);
  if (!HasReadyDocument()) {
    rememberedMove_ = RememberedMove{x, y, level, false};
    return;
  }
  view_->MoveTo(x, y, level, "left");
  view_->Redraw();
}

void CZolvexCtrl::MoveTo2(int x, int y, int level) {
  level = static_cast<std::int16_t>(level);
  if (!HasReadyDocument()) {
    rememberedMove_ = RememberedMove{x, y, level, true};
    return;
  }
  view_->MoveTo2(x, y, level);
}

// A move asked for before the content was ready lands once it is: in pixels of its level
// for MoveTo, in full-resolution pixels for MoveTo2, exactly as the call would have moved.
void CZolvexCtrl::ApplyRememberedMove() {
  if (!rememberedMove_ || !HasReadyDocument()) return;
  const RememberedMove move = *rememberedMove_;
  rememberedMove_.reset();
  if (move.fullResolution) {
    view_->MoveTo2(move.x, move.y, move.level);
  } else {
    view_->MoveTo(move.x, move.y, move.level, "left");
    view_->Redraw();
  }
}

void CZolvexCtrl::SetContent(const std::string& url) {
  properties_.Set("Url", url);
  if (url.empty() || !view_) return;
  view_->OpenUrl(ResolveAgainstPage(url), true, 0, 0, 0);
  ApplyRememberedMove();
}

// ---- Input from the page ----------------------------------------------------------------

void CZolvexCtrl::ProcessEvent(const std::string& type, long long param1, long long param2, long long param3,
                               long long) {
  if (!view_) return;
  SetBrowserProperty("magnifier", "no");
  const std::string kind = ToLower(type);
  if (kind == "key") {
    OnKeyDown(static_cast<int>(param1), 0);
    return;
  }
  const int x = static_cast<int>(param1);
  const int y = static_cast<int>(param2);
  const unsigned flags = static_cast<unsigned>(param3);
  const std::uint64_t now = platform_->TimeSource().NowMs();
  if (kind == "mousemove") {
    view_->OnMouseMove(x, y, flags, now);
  } else if (kind == "lbuttondown") {
    view_->OnLButtonDown(x, y, flags, now);
  } else if (kind == "rbuttondown") {
    view_->OnRButtonDown(x, y, flags, now);
  } else if (kind == "lbuttonup") {
    view_->OnLButtonUp(x, y, flags, now);
  } else if (kind == "rbuttonup") {
    view_->OnRButtonUp(x, y, flags, now);
  }
}

// ---- Questions about the content --------------------------------------------------------

int CZolvexCtrl::GetLevelCount() const { return HasReadyDocument() ? view_->GetLevelCount() : -1; }
int CZolvexCtrl::GetMapWidth(int level) const { return HasReadyDocument() ? view_->GetMapWidth(level) : -1; }
int CZolvexCtrl::GetMapHeight(int level) const { return HasReadyDocument() ? view_->GetMapHeight(level) : -1; }
int CZolvexCtrl::GetCurrentLevel() const { return HasReadyDocument() ? view_->GetCurrentLevel() : -1; }
int CZolvexCtrl::GetViewportX() const { return HasReadyDocument() ? view_->GetViewportX() : -1; }
int CZolvexCtrl::GetViewportY() const { return HasReadyDocument() ? view_->GetViewportY() : -1; }
int CZolvexCtrl::GetViewportWidth() const { return HasReadyDocument() ? view_->GetViewportWidth() : -1; }
int CZolvexCtrl::GetViewportHeight() const { return HasReadyDocument() ? view_->GetViewportHeight() : -1; }

std::string CZolvexCtrl::GetCurrentURL() const { return view_ ? view_->GetCurrentUrl() : properties_.Get("Url"); }

std::string CZolvexCtrl::GetBrowserProperty(const std::string& name) const {
  return view_ ? view_->GetBrowserProperty(name) : std::string();
}

void CZolvexCtrl::SetBrowserProperty(const std::string& name, const std::string& value) {
  std::lock_guard hold(lock_);
  if (!view_) return;
  if (EqualsNoCase(name, "Cursor")) {
    platform_->Window().SetCursor("wait");
  } else if (EqualsNoCase(name, "ShowToolbar")) {
    ShowToolbar(IsYes(value));
    Repaint();
  } else if (EqualsNoCase(name, "EnableMouseWheel")) {
    mouseWheel_ = !IsNo(value);
  } else if (EqualsNoCase(name, "magnifier")) {
    magnifier_ = IsYes(value);
    view_->SetBrowserProperty("magnifier", magnifier_ ? "yes" : "no");
  } else if (EqualsNoCase(name, "dibprint")) {
    dibPrint_ = IsYes(value);
  } else {
    view_->SetBrowserProperty(name, value);
  }
}

// ---- Objects ----------------------------------------------------------------------------

int CZolvexCtrl::SetObjectProperty(int objectId, const std::string& name, const std::string& value) {
  MapObject* object = FindObject(objectId);
  if (!object) return 0;
  object->SetProperty(name, value);
  return 1;
}

int CZolvexCtrl::CommitObjectProperty(int objectId) {
  MapObject* object = FindObject(objectId);
  if (!object) return 0;
  object->CommitProperties();
  view_->Redraw();
  return 1;
}

std::string CZolvexCtrl::GetObjectProperty(int objectId, const std::string& name) const {
  MapObject* object = FindObject(objectId);
  return object ? object->GetProperty(name) : std::string();
}

int CZolvexCtrl::AddObject(const std::string& objectType, const std::string& parameter) {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  if (!document) return -1;
  std::unique_ptr<MapObject> object =
      view_->Objects().CreateObjectFromText(*view_, objectType, parameter, view_->GetBaseUrl());
  if (!object) return -1;
  PlaceOnPage(*object);
  const int id = document->AddObject(std::move(object), true);
  view_->Redraw();
  return id;
}

// An object given a base page moves onto that page of the document's page grid.
void CZolvexCtrl::PlaceOnPage(MapObject& object) {
  MapDocument& document = *view_->GetDocument();
  const int pageWidth = ParseInt(document.GetParam("pagewidth"));
  const int pageHeight = ParseInt(document.GetParam("pageheight"));
  const int page = object.GetBasePage();
  if (pageWidth <= 0 || pageHeight <= 0 || page < 0 || !view_->HasValidDocument()) return;
  const long long perRow = static_cast<long long>(document.GetFullWidth()) * 2 / pageWidth;
  if (perRow <= 0) return;
  const long long row = page / perRow;
  long long column = page % perRow;
  if (IsYes(view_->GetBrowserProperty("reversepage"))) column = perRow - 1 - column;
  const long long dx = static_cast<long long>(pageWidth) * column / 2;
  const long long dy = static_cast<long long>(pageHeight) * row;
  object.SetRect(ClampToInt(object.GetX() + dx), ClampToInt(object.GetY() + dy), object.GetWidth(),
                 object.GetHeight());
  object.UpdateScreenRect();
}

std::string CZolvexCtrl::AddXMML(const std::string& xml) {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  if (!document) return {};
  std::string ids;
  for (auto& object : view_->Objects().CreateObjectsOfXmml(*view_, xml, view_->GetBaseUrl())) {
    const int id = document->AddObject(std::move(object), true);
    if (!ids.empty()) ids += ' ';
    ids += std::to_string(id);
  }
  view_->Redraw();
  return ids;
}

int CZolvexCtrl::RemoveObject(int objectId) {
  MapObject* object = FindObject(objectId);
  if (!object) return 0;
  view_->GetDocument()->RemoveObject(object);
  view_->Redraw();
  return 1;
}

std::string CZolvexCtrl::QueryObject(int x1, int y1, int x2, int y2, int angle) const {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  return document ? QueryObjects(*document, x1, y1, x2, y2, angle) : std::string();
}

int CZolvexCtrl::GetSelectedObjectID() const {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  MapObject* edited = document ? document->GetEditedObject() : nullptr;
  return edited ? edited->GetId() : -1;
}

int CZolvexCtrl::GetObjectIDByName(const std::string& name) const {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  if (!document) return -1;
  const std::string ids = Trim(document->FindObjectIDsByName(name));
  return ids.empty() ? -1 : ParseInt(ids);
}

std::string CZolvexCtrl::GetObjectIDList() const {
  MapDocument* document = view_ ? view_->GetDocument() : nullptr;
  if (!document) return {};
  std::string ids;
  for (MapObject* object : document->GetObjectList()) {
    if (!object->IsSelectable()) continue;
    if (!ids.empty()) ids += ' ';
    ids += std::to_string(object->GetId());
  }
  return ids;
}

// ---- Commands ---------------------------------------------------------------------------

void CZolvexCtrl::Execute(const std::string& action, const std::string& param) {
  std::lock_guard hold(lock_);
  if (!view_) return;
  if (EqualsNoCase(action, "setup")) {
    RunSetup();
  } else if (!EqualsNoCase(action, "copy")) {
    view_->Execute(action, param);
  }
}

void CZolvexCtrl::Repaint() {
  if (!view_) return;
  if (view_->GetDocument()) view_->Redraw();
  platform_->Window().Invalidate();
}

// ---- Page setup -------------------------------------------------------------------------

// The values the page replaces are kept from the first replacement on, so that however
// often it sets them, resetting returns the user's own.
void CZolvexCtrl::SetPrintProp(const std::string& header, const std::string& footer, const std::string& marginLeft,
                               const std::string& marginTop, const std::string& marginRight,
                               const std::string& marginBottom) {
  if (!platform_) return;
  platform::SettingsStore& settings = platform_->Settings();
  const std::string values[] = {header, footer, marginLeft, marginTop, marginRight, marginBottom};
  for (std::size_t i = 0; i < 6; ++i) {
    const char* name = kPageSetupNames[i];
    if (!printPropsChanged_) {
      const std::size_t limit = i < 2 ? kMaxHeaderBytes : kMaxMarginBytes;
      auto current = settings.GetString(kPageSetupKey, name);
      savedPrintProps_[name] = current ? current->substr(0, limit) : std::string();
      if (!current) savedPrintProps_.erase(name);
    }
    settings.SetString(kPageSetupKey, name, values[i]);
  }
  printPropsChanged_ = true;
}

void CZolvexCtrl::ResetPrintProp() {
  if (!printPropsChanged_ || !platform_) return;
  platform::SettingsStore& settings = platform_->Settings();
  for (const char* name : kPageSetupNames) {
    auto saved = savedPrintProps_.find(name);
    if (saved == savedPrintProps_.end()) {
      settings.DeleteValue(kPageSetupKey, name);
    } else {
      settings.SetString(kPageSetupKey, name, saved->second);
    }
  }
  savedPrintProps_.clear();
  printPropsChanged_ = false;
}

}  // namespace zolvex
