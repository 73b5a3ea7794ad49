#include <emscripten/bind.h>

#include "apps/zolvexweb/WebControl.h"
#include "platform/web/BrowserDecoderWorker.h"

namespace {

emscripten::val Names(const std::vector<std::string>& names) {
  emscripten::val list = emscripten::val::array();
  for (const std::string& name : names) list.call<void>("push", name);
  return list;
}

emscripten::val PropertyNames() { return Names(zolvex::ControlDispatch::PropertyNames()); }
emscripten::val Zolvex2PropertyNames() { return Names(zolvex::ControlDispatch::Zolvex2PropertyNames()); }
emscripten::val MethodNames() { return Names(zolvex::ControlDispatch::MethodNames()); }

// Whether the browser's JPEG decoder is up, and how many streams it delivered and refused:
// profiles and tests see from it which decoder the tiles went through.
emscripten::val BrowserDecodes() {
  emscripten::val counts = emscripten::val::object();
  counts.set("ready", zolvex::platform::BrowserDecoderWorker::Ready());
  counts.set("decoded", zolvex::platform::BrowserDecoderWorker::Decoded());
  counts.set("refused", zolvex::platform::BrowserDecoderWorker::Refused());
  return counts;
}

}  // namespace

EMSCRIPTEN_BINDINGS(zolvex) {
  using zolvex::web::WebControl;
  emscripten::function("propertyNames", &PropertyNames);
  emscripten::function("zolvex2PropertyNames", &Zolvex2PropertyNames);
  emscripten::function("methodNames", &MethodNames);
  emscripten::function("browserDecodes", &BrowserDecodes);
  emscripten::class_<WebControl>("WebControl")
      .constructor<const std::string&, int, int, const std::string&, emscripten::val, emscripten::val>()
      .function("get", &WebControl::Get)
      .function("put", &WebControl::Put)
      .function("invoke", &WebControl::Invoke)
      .function("mouse", &WebControl::Mouse)
      .function("wheel", &WebControl::Wheel)
      .function("key", &WebControl::Key)
      .function("resize", &WebControl::Resize)
      .function("presentCount", &WebControl::PresentCount)
      .function("pendingTiles", &WebControl::PendingTiles)
      .function("moveView", &WebControl::MoveView)
      .function("showFrame", &WebControl::ShowFrame);
}
