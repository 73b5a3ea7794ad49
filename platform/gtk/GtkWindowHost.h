#pragma once
#include <map>
#include <memory>

#include "platform/WindowHost.h"

typedef struct _GtkWidget GtkWidget;

namespace zolvex::platform {

// The view's window on the desktop: a GTK window with a drawing area. Posted tasks are
// GLib idle callbacks (same priority, so they run in the order posted); timers are GLib
// timeouts; the drawing area paints the surface its listener returns.
class GtkWindowHost : public WindowHost {
 public:
  GtkWindowHost(Size size, const std::string& title);
  ~GtkWindowHost() override;

  void SetListener(WindowListener* listener) override;
  Size ClientSize() const override;
  void Resize(Size size) override;
  void SetTitle(const std::string& title) override;
  void Post(Task task) override;
  void SetTimer(TimerId id, std::uint32_t periodMs, Task task) override;
  void KillTimer(TimerId id) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  bool HasCapture() const override;
  void SetCursor(const std::string& name) override;
  std::string CurrentCursor() const override;
  void Invalidate() override;
  void DrainPendingInput() override;
  void PresentNow() override;
  void Pause(std::uint32_t ms) override;
  void Run() override;
  bool RunFor(std::uint32_t ms) override;
  void Quit() override;
  bool OnWindowThread() const override;

  // Signal handlers reach the host through these.
  struct Bridge;

 private:
  void ConnectSignals();

  GtkWidget* window_ = nullptr;
  GtkWidget* area_ = nullptr;
  WindowListener* listener_ = nullptr;
  Size size_;
  std::string cursor_ = "default";
  bool capture_ = false;
  bool droppingInput_ = false;
  bool quit_ = false;
  std::map<TimerId, unsigned> timers_;  // id -> GLib source
  std::unique_ptr<Bridge> bridge_;
};

}  // namespace zolvex::platform
