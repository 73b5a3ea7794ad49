#include "apps/zolvex/PageScript.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "control/AutomationError.h"
#include "control/CZolvexCtrl.h"
#include "platform/WindowHost.h"

namespace zolvex::host {

namespace {

using platform::ScriptValue;

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
  return "[" + list + "]";
}

// Builds the page's objects out of the natives: every property of the interface is an
// accessor of "zolvex", every method a function of it; other members a page assigns
// (its event handlers) stay plain members.
std::string ControlPrelude() {
  return "(function () {\n"
         "  const zolvex = {};\n"
         "  for (const name of " + NameList(ControlDispatch::PropertyNames()) + ") {\n"
         "    if (name === 'Zolvex2') continue;\n"
         "    Object.defineProperty(zolvex, name, { enumerable: true,\n"
         "      get() { return __zolvexGet(name); }, set(value) { __zolvexPut(name, value); } });\n"
         "  }\n"
         "  const zolvex2 = {};\n"
         "  for (const name of " + NameList(ControlDispatch::Zolvex2PropertyNames()) + ") {\n"
         "    Object.defineProperty(zolvex2, name, { enumerable: true,\n"
         "      get() { return __zolvexGet('Zolvex2.' + name); }, set(value) { __zolvexPut('Zolvex2.' + name, value); } });\n"
         "  }\n"
         "  Object.defineProperty(zolvex, 'Zolvex2', { enumerable: true, get() { return zolvex2; },\n"
         "    set(value) { __zolvexPut('Zolvex2', value); } });\n"
         "  for (const name of " + NameList(ControlDispatch::MethodNames()) + ") {\n"
         "    zolvex[name] = function (...args) { return __zolvexInvoke(name, ...args); };\n"
         "  }\n"
         "  globalThis.zolvex = zolvex;\n"
         "})();\n";
}

constexpr const char* kHostPrelude = R"JS(
(function () {
  const timers = new Map();
  let next = 1;
  function start(callback, ms, repeat) {
    if (typeof callback !== 'function') throw new TypeError('a timer needs a function');
    const id = next++;
    timers.set(id, { callback, repeat });
    __hostSchedule(id, Number(ms) || 0, repeat);
    return id;
  }
  function stop(id) {
    if (timers.delete(id)) __hostCancel(id);
  }
  const host = {
    exit(code) { __hostExit(code === undefined ? 0 : code); },
    log(text) { __hostLog(String(text)); },
    setTimeout(callback, ms) { return start(callback, ms, false); },
    setInterval(callback, ms) { return start(callback, ms, true); },
    clearTimeout: stop,
    clearInterval: stop,
  };
  Object.defineProperty(host, '__fire', { value(id) {
    const timer = timers.get(id);
    if (!timer) return;
    if (!timer.repeat) timers.delete(id);
    timer.callback();
  } });
  globalThis.host = host;
  globalThis.setTimeout = host.setTimeout;
  globalThis.setInterval = host.setInterval;
  globalThis.clearTimeout = stop;
  globalThis.clearInterval = stop;
})();
)JS";

}  // namespace

PageScript::PageScript(CZolvexCtrl& control, platform::WindowHost& window)
    : dispatch_(control), window_(window), engine_(platform::ScriptEngine::Create()) {
  DefineControl();
  DefineHost();
}

PageScript::~PageScript() = default;

void PageScript::DefineControl() {
  engine_->DefineFunction("__zolvexGet", [this](const std::vector<ScriptValue>& a) {
    return a.empty() ? ScriptValue() : dispatch_.Get(platform::ScriptText(a[0]));
  });
  engine_->DefineFunction("__zolvexPut", [this](const std::vector<ScriptValue>& a) {
    if (a.size() < 2) return ScriptValue();
    try {
      dispatch_.Put(platform::ScriptText(a[0]), a[1]);
    } catch (const AutomationError& error) {
      throw platform::ScriptError(error.Code(), error.Description());
    }
    return ScriptValue();
  });
  engine_->DefineFunction("__zolvexInvoke", [this](const std::vector<ScriptValue>& a) {
    if (a.empty()) return ScriptValue();
    return dispatch_.Invoke(platform::ScriptText(a[0]), std::vector<ScriptValue>(a.begin() + 1, a.end()));
  });
  std::string error;
  if (!engine_->Run(ControlPrelude(), "zolvex-prelude", error)) Report(error);
}

void PageScript::DefineHost() {
  engine_->DefineFunction("__hostExit", [this](const std::vector<ScriptValue>& a) {
    exitCode_ = a.empty() ? 0 : static_cast<int>(std::clamp<long long>(platform::ScriptInteger(a[0]), 0, 255));
    window_.Quit();
    return ScriptValue();
  });
  engine_->DefineFunction("__hostLog", [](const std::vector<ScriptValue>& a) {
    std::fprintf(stderr, "%s\n", a.empty() ? "" : platform::ScriptText(a[0]).c_str());
    return ScriptValue();
  });
  engine_->DefineFunction("__hostSchedule", [this](const std::vector<ScriptValue>& a) {
    if (a.size() >= 3) Schedule(static_cast<int>(platform::ScriptInteger(a[0])), static_cast<int>(platform::ScriptInteger(a[1])), std::get_if<bool>(&a[2]) && std::get<bool>(a[2]));
    return ScriptValue();
  });
  engine_->DefineFunction("__hostCancel", [this](const std::vector<ScriptValue>& a) {
    if (!a.empty()) window_.KillTimer(kFirstTimerId + static_cast<int>(platform::ScriptInteger(a[0])));
    return ScriptValue();
  });
  std::string error;
  if (!engine_->Run(kHostPrelude, "host-prelude", error)) Report(error);
}

// Timers of the script are timers of the window, numbered after the control's own.
void PageScript::Schedule(int id, int ms, bool repeat) {
  const int timer = kFirstTimerId + id;
  window_.SetTimer(timer, static_cast<std::uint32_t>(std::max(ms, 1)), [this, id, timer, repeat] {
    if (!repeat) window_.KillTimer(timer);
    bool called = false;
    std::string error;
    if (!engine_->CallMember("host", "__fire", {static_cast<double>(id)}, called, error)) Report(error);
  });
}

bool PageScript::RunFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "zolvex: cannot read the script %s\n", path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string error;
  if (engine_->Run(text.str(), path, error)) return true;
  Report(error);
  return false;
}

void PageScript::Fire(const ControlEvent& event) {
  bool called = false;
  std::string error;
  if (!engine_->CallMember("zolvex", event.name, ControlDispatch::EventArguments(event), called, error)) Report(error);
}

void PageScript::Report(const std::string& error) { std::fprintf(stderr, "zolvex: script error: %s\n", error.c_str()); }

}  // namespace zolvex::host
