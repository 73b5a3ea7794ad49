#include "apps/zolvexweb/WebControl.h"

#include "control/AutomationError.h"
#include "control/ControlProperties.h"
#include "control/PropertyBag.h"
#include "platform/TextValues.h"
#include "platform/web/WebWindowHost.h"
#include "view/FlipMapView.h"

namespace zolvex::web {

namespace {

using emscripten::val;
using platform::ScriptValue;

ScriptValue FromPage(const val& value) {
  const std::string type = value.typeOf().as<std::string>();
  if (type == "number") return value.as<double>();
  if (type == "boolean") return value.as<bool>();
  if (type == "string") return value.as<std::string>();
  if (value.isNull() || value.isUndefined()) return {};
  return val::global("String")(value).as<std::string>();
}

val ToPage(const ScriptValue& value) {
  if (const auto* number = std::get_if<double>(&value)) return val(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return val(*flag);
  if (const auto* text = std::get_if<std::string>(&value)) return val(*text);
  return val::undefined();
}

bool IsPersisted(const std::string& name) {
  for (const char* persisted : ControlProperties::PersistedOrder()) {
    if (EqualsNoCase(persisted, name)) return true;
  }
  return false;
}

platform::MouseAction ActionNamed(const std::string& name) {
  if (name == "down") return platform::MouseAction::Down;
  if (name == "up") return platform::MouseAction::Up;
  if (name == "dblclick") return platform::MouseAction::DoubleClick;
  if (name == "leave") return platform::MouseAction::Leave;
  return platform::MouseAction::Move;
}

platform::MouseButton ButtonNamed(const std::string& name) {
  if (name == "left") return platform::MouseButton::Left;
  if (name == "middle") return platform::MouseButton::Middle;
  if (name == "right") return platform::MouseButton::Right;
  return platform::MouseButton::None;
}

// A page has no raw sockets: images on tile servers come through the server's HTTP
// tunnel, on the page's own port unless the page names another.
void WebDefaults(MemoryPropertyBag& bag, const std::string& pageUrl) {
  bag.Write("DefaultProtocol", "alwayshttp");
  const std::size_t scheme = pageUrl.find("://");
  const std::size_t hostEnd = scheme == std::string::npos ? scheme : pageUrl.find_first_of("/?#", scheme + 3);
  const std::string host = scheme == std::string::npos ? "" : pageUrl.substr(scheme + 3, hostEnd - scheme - 3);
  const std::size_t colon = host.rfind(':');
  if (colon != std::string::npos) bag.Write("HTTPPort", host.substr(colon + 1));
}

}  // namespace

WebControl::WebControl(const std::string& canvasId, int width, int height, const std::string& pageUrl,
                       val properties, val fire)
    : pageUrl_(pageUrl), fire_(std::move(fire)) {
  platform::PlatformOptions options;
  options.backend = platform::Backend::Web;
  options.width = width;
  options.height = height;
  options.canvasId = canvasId;
  std::string error;
  platform_ = platform::CreatePlatform(options, error);
  control_ = std::make_unique<CZolvexCtrl>(this);
  control_->SetEventSink(this);
  dispatch_ = std::make_unique<ControlDispatch>(*control_);

  MemoryPropertyBag bag;
  WebDefaults(bag, pageUrl_);
  const val names = val::global("Object")["keys"](properties);
  const int count = names["length"].as<int>();
  std::vector<std::pair<std::string, std::string>> viewSettings;
  std::string url;
  for (int i = 0; i < count; ++i) {
    const std::string name = names[i].as<std::string>();
    const std::string value = platform::ScriptText(FromPage(properties[name]));
    if (EqualsNoCase(name, "Url")) {
      url = value;
    } else if (IsPersisted(name)) {
      bag.Write(name, value);
    } else {
      viewSettings.emplace_back(name, value);
    }
  }
  control_->LoadProperties(bag);
  control_->CreateControlWindow(*platform_);
  control_->SetBrowserProperty("firewalled", "yes");
  control_->SetBrowserProperty("https", "no");
  for (const auto& [name, value] : viewSettings) control_->SetBrowserProperty(name, value);
  if (!url.empty()) control_->SetContent(url);
}

WebControl::~WebControl() {
  control_->SetEventSink(nullptr);
  control_->DestroyControlWindow();
}

val WebControl::Get(const std::string& name) const { return ToPage(dispatch_->Get(name)); }

val WebControl::Put(const std::string& name, val value) {
  try {
    dispatch_->Put(name, FromPage(value));
  } catch (const AutomationError& error) {
    val refusal = val::object();
    refusal.set("code", error.Code());
    refusal.set("description", error.Description());
    return refusal;
  }
  return val::null();
}

val WebControl::Invoke(const std::string& method, val arguments) {
  std::vector<ScriptValue> values;
  const int count = arguments["length"].as<int>();
  for (int i = 0; i < count; ++i) values.push_back(FromPage(arguments[i]));
  return ToPage(dispatch_->Invoke(method, values));
}

void WebControl::Mouse(const std::string& action, const std::string& button, int x, int y, int modifiers) {
  auto& window = static_cast<platform::WebWindowHost&>(platform_->Window());
  window.DeliverMouse({ActionNamed(action), ButtonNamed(button), {x, y}, static_cast<unsigned>(modifiers)});
}

void WebControl::Wheel(int x, int y, int delta, int modifiers) {
  auto& window = static_cast<platform::WebWindowHost&>(platform_->Window());
  window.DeliverWheel({{x, y}, delta, static_cast<unsigned>(modifiers)});
}

void WebControl::Key(bool down, int key, int modifiers, int character) {
  auto& window = static_cast<platform::WebWindowHost&>(platform_->Window());
  window.DeliverKey({down, key, static_cast<unsigned>(modifiers), static_cast<char32_t>(character)});
}

void WebControl::Resize(int width, int height) { platform_->Window().Resize({width, height}); }

int WebControl::PresentCount() const {
  return static_cast<platform::WebWindowHost&>(platform_->Window()).PresentCount();
}

int WebControl::PendingTiles() const {
  FlipMapView* view = control_->View();
  if (!view || !view->HasValidDocument()) return -1;
  return view->PendingTileCount();
}

void WebControl::MoveView(int x, int y, int level) {
  if (FlipMapView* view = control_->View(); view && view->HasValidDocument()) view->MoveTo(x, y, level, "left");
}

int WebControl::ShowFrame() {
  FlipMapView* view = control_->View();
  if (!view || !view->HasValidDocument()) return -1;
  view->Redraw();
  // A frame held back for its tiles left the canvas's picture as it is.
  if (!view->FrameHeldBack()) platform_->Window().PresentNow();
  return view->PendingTileCount();
}

void WebControl::Fire(const ControlEvent& event) {
  val arguments = val::array();
  for (const ScriptValue& argument : ControlDispatch::EventArguments(event)) arguments.call<void>("push", ToPage(argument));
  fire_(event.name, arguments);
}

}  // namespace zolvex::web
