#include "control/ControlDispatch.h"

#include <functional>
#include <map>

#include "control/ControlProperties.h"
#include "control/CZolvexCtrl.h"

namespace zolvex {

namespace {

using platform::ScriptInteger;
using platform::ScriptText;
using platform::ScriptValue;
using Arguments = std::vector<ScriptValue>;
using Method = std::function<ScriptValue(CZolvexCtrl&, const Arguments&)>;

constexpr const char* kZolvex2Prefix = "Zolvex2.";

int Int(const Arguments& arguments, std::size_t index) {
  return index < arguments.size() ? static_cast<int>(ScriptInteger(arguments[index])) : 0;
}
long long Long(const Arguments& arguments, std::size_t index) {
  return index < arguments.size() ? ScriptInteger(arguments[index]) : 0;
}
std::string Text(const Arguments& arguments, std::size_t index) {
  return index < arguments.size() ? ScriptText(arguments[index]) : std::string();
}
ScriptValue Number(long long value) { return static_cast<double>(value); }

// The methods in dispatch order.
const std::vector<std::pair<const char*, Method>>& Methods() {
  static const std::vector<std::pair<const char*, Method>> methods{
      {"MoveTo", [](CZolvexCtrl& c, const Arguments& a) { c.MoveTo(Int(a, 0), Int(a, 1), Int(a, 2)); return ScriptValue(); }},
      {"SetContent", [](CZolvexCtrl& c, const Arguments& a) { c.SetContent(Text(a, 0)); return ScriptValue(); }},
      {"ProcessEvent",
       [](CZolvexCtrl& c, const Arguments& a) {
         c.ProcessEvent(Text(a, 0), Long(a, 1), Long(a, 2), Long(a, 3), Long(a, 4));
         return ScriptValue();
       }},
      {"GetLevelCount", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetLevelCount()); }},
      {"GetMapWidth", [](CZolvexCtrl& c, const Arguments& a) { return Number(c.GetMapWidth(Int(a, 0))); }},
      {"GetCurrentLevel", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetCurrentLevel()); }},
      {"GetViewportX", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetViewportX()); }},
      {"GetViewportY", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetViewportY()); }},
      {"GetViewportWidth", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetViewportWidth()); }},
      {"GetViewportHeight", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetViewportHeight()); }},
      {"GetMapHeight", [](CZolvexCtrl& c, const Arguments& a) { return Number(c.GetMapHeight(Int(a, 0))); }},
      {"GetBrowserProperty", [](CZolvexCtrl& c, const Arguments& a) { return ScriptValue(c.GetBrowserProperty(Text(a, 0))); }},
      {"SetBrowserProperty",
       [](CZolvexCtrl& c, const Arguments& a) {
         c.SetBrowserProperty(Text(a, 0), Text(a, 1));
         return ScriptValue();
       }},
      {"GetCurrentURL", [](CZolvexCtrl& c, const Arguments&) { return ScriptValue(c.GetCurrentURL()); }},
      {"SetObjectProperty",
       [](CZolvexCtrl& c, const Arguments& a) { return Number(c.SetObjectProperty(Int(a, 0), Text(a, 1), Text(a, 2))); }},
      {"CommitObjectProperty", [](CZolvexCtrl& c, const Arguments& a) { return Number(c.CommitObjectProperty(Int(a, 0))); }},
      {"AddObject", [](CZolvexCtrl& c, const Arguments& a) { return Number(c.AddObject(Text(a, 0), Text(a, 1))); }},
      {"RemoveObject", [](CZolvexCtrl& c, const Arguments& a) { return Number(c.RemoveObject(Int(a, 0))); }},
      {"Execute", [](CZolvexCtrl& c, const Arguments& a) { c.Execute(Text(a, 0), Text(a, 1)); return ScriptValue(); }},
      {"Repaint", [](CZolvexCtrl& c, const Arguments&) { c.Repaint(); return ScriptValue(); }},
      {"MoveTo2", [](CZolvexCtrl& c, const Arguments& a) { c.MoveTo2(Int(a, 0), Int(a, 1), Int(a, 2)); return ScriptValue(); }},
      {"QueryObject",
       [](CZolvexCtrl& c, const Arguments& a) {
         return ScriptValue(c.QueryObject(Int(a, 0), Int(a, 1), Int(a, 2), Int(a, 3), Int(a, 4)));
       }},
      {"GetObjectProperty",
       [](CZolvexCtrl& c, const Arguments& a) { return ScriptValue(c.GetObjectProperty(Int(a, 0), Text(a, 1))); }},
      {"GetSelectedObjectID", [](CZolvexCtrl& c, const Arguments&) { return Number(c.GetSelectedObjectID()); }},
      {"GetObjectIDByName", [](CZolvexCtrl& c, const Arguments& a) { return Number(c.GetObjectIDByName(Text(a, 0))); }},
      {"GetObjectIDList", [](CZolvexCtrl& c, const Arguments&) { return ScriptValue(c.GetObjectIDList()); }},
      {"AddXMML", [](CZolvexCtrl& c, const Arguments& a) { return ScriptValue(c.AddXMML(Text(a, 0))); }},
      {"SetPrintProp",
       [](CZolvexCtrl& c, const Arguments& a) {
         c.SetPrintProp(Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3), Text(a, 4), Text(a, 5));
         return ScriptValue();
       }},
      {"ResetPrintProp", [](CZolvexCtrl& c, const Arguments&) { c.ResetPrintProp(); return ScriptValue(); }},
  };
  return methods;
}

}  // namespace

std::vector<std::string> ControlDispatch::PropertyNames() {
  std::vector<std::string> names;
  for (const auto& spec : ControlProperties::Table()) names.push_back(spec.name);
  return names;
}

std::vector<std::string> ControlDispatch::Zolvex2PropertyNames() { return {"SkinURL", "CustomErrorHandling"}; }

std::vector<std::string> ControlDispatch::MethodNames() {
  std::vector<std::string> names;
  for (const auto& [name, method] : Methods()) names.push_back(name);
  return names;
}

ScriptValue ControlDispatch::Get(const std::string& name) const {
  if (name == std::string(kZolvex2Prefix) + "SkinURL") return control_.GetZolvex2().GetSkinURL();
  if (name == std::string(kZolvex2Prefix) + "CustomErrorHandling") return control_.GetZolvex2().GetCustomErrorHandling();
  return control_.GetProperty(name).value_or(std::string());
}

void ControlDispatch::Put(const std::string& name, const ScriptValue& value) {
  const std::string text = ScriptText(value);
  if (name == std::string(kZolvex2Prefix) + "SkinURL") {
    control_.GetZolvex2().SetSkinURL(text);
  } else if (name == std::string(kZolvex2Prefix) + "CustomErrorHandling") {
    control_.GetZolvex2().SetCustomErrorHandling(text);
  } else {
    control_.SetProperty(name, text);
  }
}

ScriptValue ControlDispatch::Invoke(const std::string& method, const Arguments& arguments) {
  for (const auto& [name, call] : Methods()) {
    if (method == name) return call(control_, arguments);
  }
  return {};
}

std::vector<ScriptValue> ControlDispatch::EventArguments(const ControlEvent& event) {
  std::vector<ScriptValue> values(event.arguments.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (const auto* number = std::get_if<long long>(&event.arguments[i])) {
      values[i].emplace<double>(static_cast<double>(*number));
    } else {
      values[i].emplace<std::string>(std::get<std::string>(event.arguments[i]));
    }
  }
  return values;
}

}  // namespace zolvex
