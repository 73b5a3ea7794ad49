#pragma once
#include <memory>
#include <optional>
#include <string>

#include "control/ControlDispatch.h"
#include "control/ControlEvent.h"
#include "platform/ScriptEngine.h"

namespace zolvex {
class CZolvexCtrl;
namespace platform {
class WindowHost;
}
}  // namespace zolvex

namespace zolvex::host {

// A page's script running against the control, as a web page's script would: the control
// is the global "zolvex" with the dispatch interface's names, an event reaches the function
// the page assigned to zolvex.OnLoaded (and the others), and "host" gives exit, log and
// timers. Errors the script throws are reported on stderr with their line; the viewer runs on.
class PageScript {
 public:
  PageScript(CZolvexCtrl& control, platform::WindowHost& window);
  ~PageScript();

  // Runs the file's text; false when it cannot be read or throws (reported).
  bool RunFile(const std::string& path);
  // Hands an event to the page's handler of its name, when it has one.
  void Fire(const ControlEvent& event);
  // The code given to host.exit, once called.
  std::optional<int> ExitCode() const { return exitCode_; }

  static constexpr int kFirstTimerId = 1000;

 private:
  void DefineControl();
  void DefineHost();
  void Schedule(int id, int ms, bool repeat);
  void Report(const std::string& error);

  ControlDispatch dispatch_;
  platform::WindowHost& window_;
  std::unique_ptr<platform::ScriptEngine> engine_;
  std::optional<int> exitCode_;
};

}  // namespace zolvex::host
