#pragma once
#include <string>
#include <vector>

#include "control/ControlEvent.h"
#include "platform/ScriptEngine.h"

namespace zolvex {

class CZolvexCtrl;

// The control's dispatch interface by name, as a page's script reaches it: its properties,
// the two properties of its Zolvex2 object ("Zolvex2.SkinURL"), its methods and the
// arguments of its events. Values are script values; the names are exactly the interface's.
class ControlDispatch {
 public:
  explicit ControlDispatch(CZolvexCtrl& control) : control_(control) {}

  static std::vector<std::string> PropertyNames();
  static std::vector<std::string> Zolvex2PropertyNames();
  static std::vector<std::string> MethodNames();

  // "" for a name the interface does not have.
  platform::ScriptValue Get(const std::string& name) const;
  // Raises AutomationError for a refused value; ignores names the interface does not have.
  void Put(const std::string& name, const platform::ScriptValue& value);
  // Missing arguments count as empty; a name the interface does not have answers nothing.
  platform::ScriptValue Invoke(const std::string& method, const std::vector<platform::ScriptValue>& arguments);

  static std::vector<platform::ScriptValue> EventArguments(const ControlEvent& event);

 private:
  CZolvexCtrl& control_;
};

}  // namespace zolvex
