#pragma once
#include <memory>
#include <string>

#include "control/ControlEvent.h"

namespace zolvex {
class CZolvexCtrl;
namespace platform {
class WindowHost;
}
}  // namespace zolvex

namespace zolvex::host {

class WindowMessage;

// What the desktop window tells its user around the picture: the title names the open
// document, an empty window says how to open one, and a document that cannot be opened
// leaves its reason in the window (the view also reports it as its error report says).
class DesktopGreeting {
 public:
  static constexpr const char* kProgramName = "Zolvex";

  DesktopGreeting(CZolvexCtrl& control, platform::WindowHost& window);
  ~DesktopGreeting();
  DesktopGreeting(const DesktopGreeting&) = delete;
  DesktopGreeting& operator=(const DesktopGreeting&) = delete;

  // Shows the start hint when nothing is open.
  void Start();
  // Follows the control's events: a loaded document names the window and clears the
  // message, an error shows its reason.
  void OnEvent(const ControlEvent& event);

  // The lines the window shows now (empty while a document is shown).
  std::string ShownText() const;

  // "a.ktq — Zolvex" for ".../maps/a.ktq,100,200,3"; the program's name for no URL.
  static std::string TitleFor(const std::string& url);
  static std::string StartHint();
  static std::string ErrorText(const std::string& url, const std::string& reason);

 private:
  bool ShowsDocument() const;
  void Show(const std::string& text);
  void Hide();

  CZolvexCtrl& control_;
  platform::WindowHost& window_;
  std::unique_ptr<WindowMessage> message_;
  bool shown_ = false;
  std::string loadingUrl_;
};

}  // namespace zolvex::host
