#include "view/BrowserPropertyRules.h"

#include "documents/MapDocument.h"
#include "objects/MapObject.h"
#include "platform/Platform.h"
#include "platform/TextValues.h"
#include "platform/ArgumentScanner.h"
#include "view/ClipTools.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

namespace {

// The version of the viewer's module as "major.minor.build.revision", from the project's.
constexpr const char* kModuleVersion = ZOLVEX_MODULE_VERSION;
constexpr std::string_view kObjectIdByName = "objectidbyname:";
constexpr std::string_view kObjectAt = "objectat:";

std::string YesNo(bool flag) { return flag ? "yes" : "no"; }

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += separator;
    joined += part;
  }
  return joined;
}

}  // namespace

BrowserPropertyRules::BrowserPropertyRules(MapView& view, CommandInterpreter& interpreter)
    : view_(view), interpreter_(interpreter) {}

std::optional<std::string> BrowserPropertyRules::Read(const std::string& name) {
  const std::string key = ToLower(name);
  if (key == "progressbar") return YesNo(progressBar_);
  if (key == "mousewheel") return YesNo(mouseWheel_);
  if (key == "firewalled") return YesNo(firewalled_);
  if (key == "snappage") return YesNo(snapPage_);
  if (key == "showthumbnail") return YesNo(showThumbnail_);
  if (key == "touchscreen") return YesNo(view_.IsBackButtonShown());
  if (key == "magnifier") return YesNo(view_.IsMagnifierShown());
  if (key == "topobjectid") {
    MapObject* hovered = view_.HoveredObject();
    return hovered && hovered->GetId() >= 0 ? std::to_string(hovered->GetId()) : std::string();
  }
  if (auto clip = view_.Clipping().ReadProperty(key)) return clip;
  if (key == "iscreating") return std::to_string(interpreter_.CreatingObjectId());
  if (key == "version") return std::string(kModuleVersion);
  if (key == "selectedobjects") return Join(interpreter_.SelectedObjectIds(), ",");
  const platform::Rect limit = view_.GetViewLimit();
  if (key == "limitx") return std::to_string(limit.left);
  if (key == "limity") return std::to_string(limit.top);
  if (key == "limitwidth") return std::to_string(limit.Width());
  if (key == "limitheight") return std::to_string(limit.Height());
  if (key == "minlevel") return std::to_string(view_.GetMinLevel() + 1);
  if (key == "maxlevel") return std::to_string(view_.GetMaxLevel() + 1);
  if (key.size() > kObjectIdByName.size() && key.starts_with(kObjectIdByName)) {
    MapDocument* document = view_.GetDocument();
    return document ? document->FindObjectIDsByName(name.substr(kObjectIdByName.size())) : std::string();
  }
  if (key.size() > kObjectAt.size() && key.starts_with(kObjectAt)) {
    int point[2] = {0, 0};
    if (ArgumentScanner(std::string_view(key).substr(kObjectAt.size())).Ints(point, 2) < 2) return std::string();
    // Image tiles are draw items too, but they carry no ID for the page.
    MapObject* object = view_.ObjectAt(point[0], point[1]);
    return object && object->GetId() >= 0 ? std::to_string(object->GetId()) : std::string();
  }
  return std::nullopt;
}

bool BrowserPropertyRules::Write(const std::string& name, const std::string& value) {
  const std::string key = ToLower(name);
  if (key == "progressbar") {
    progressBar_ = IsYes(value);
  } else if (key == "mousewheel") {
    mouseWheel_ = IsYes(value);
  } else if (key == "firewalled") {
    firewalled_ = IsYes(value);
  } else if (key == "snappage") {
    snapPage_ = IsYes(value);
  } else if (key == "showthumbnail") {
    showThumbnail_ = !IsNo(value);
  } else if (key == "touchscreen") {
    touchScreen_ = IsYes(value);
    view_.ShowBackButton(touchScreen_);
  } else if (key == "magnifier") {
    view_.ShowMagnifier(IsYes(value));
  } else if (view_.Clipping().WriteProperty(key, value)) {
    // The clip frame's visibility is not stored.
  } else if (key == "playdelay") {
    // A delay below one tick would play every tick faster than the timer can count.
    interpreter_.SetPlayDelay(std::max(ParseInt(value), 1));
  } else {
    return true;
  }
  return false;
}

void BrowserPropertyRules::AfterStore(const std::string& name, const std::string& value) {
  const std::string key = ToLower(name);
  if (key == "drawcentermarker") {
    centerMarker_ = IsYes(value);
  } else if (key == "comicsmenu") {
    if (MapDocument* document = view_.GetDocument()) document->SetParam("comicsmenu", value);
  } else if (key == "usezoomcursor" || key == "usehintcursor") {
    // The level cursor reads the stored choice; show it at once.
    view_.ShowLevelCursor();
  } else if (key == "cursor") {
    if (!value.empty()) view_.LoadCursorFile(value);
  } else if (key == "isediting") {
    if (!IsYes(value)) {
      interpreter_.ClearEditMarks();
      interpreter_.Redraw();
    }
  } else if (key == "pagewidth" || key == "pageheight") {
    view_.TakePageSizeProperty();
  } else if (key == "autofit") {
    view_.FitToWindow(IsYes(value));
  } else if (key == "maxlevel" || key == "minlevel") {
    KeepLevelInLimits(key);
  }
}

// A new level limit that the current level lies beyond zooms to the limit, keeping the
// middle of the window.
void BrowserPropertyRules::KeepLevelInLimits(const std::string& key) {
  if (!view_.HasValidDocument()) return;
  const int level = view_.GetDocument()->GetLevel();
  const int limit = key == "maxlevel" ? view_.GetMaxLevel() : view_.GetMinLevel();
  // A limit beyond the document's levels cannot be reached; zooming there would leave the pyramid.
  if (limit == -1 || limit > view_.GetDocument()->GetLevelCount() - 1) return;
  bool beyond = key == "maxlevel" ? level > limit : level < limit;
  if (!beyond) return;
  view_.ZoomTo(limit, view_.ViewX() + view_.GetViewWidth() / 2, view_.ViewY() + view_.GetViewHeight() / 2, false);
}

}  // namespace zolvex
