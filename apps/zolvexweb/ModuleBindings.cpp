#include <emscripten/bind.h>

#include "apps/zolvexweb/WebControl.h"

namespace {

emscripten::val Names(const std::vector<std::string>& names) {
  emscripten::val list = emscripten::val::array();
  for (const std::string& name : names) list.call<void>("push", name);
  return list;
}

emscripten::val PropertyNames() { return Names(zolvex::ControlDispatch::PropertyNames()); }
emscripten::val Zolvex2PropertyNames() { return Names(zolvex::ControlDispatch::Zolvex2PropertyNames()); }
emscripten::val MethodNames() { return Names(zolvex::ControlDispatch::MethodNames()); }

}  // namespace

EMSCRIPTEN_BINDINGS(zolvex) {
  using zolvex::web::WebControl;
  emscripten::function("propertyNames", &PropertyNames);
  emscripten::function("zolvex2PropertyNames", &Zolvex2PropertyNames);
  emscripten::function("methodNames", &MethodNames);
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
