#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/WindowHost.h"

namespace zolvex::platform {

// The control's window in a web page: a canvas element. The browser's event loop is the
// window thread: posted tasks and timers run from it, repaints wait for the next animation
// frame, and each frame is shown by one copy of the back buffer into the canvas. Input
// arrives from the page's listeners (the module's script) through Deliver*.
class WebWindowHost : public WindowHost {
 public:
  // canvasId: the id of the page's canvas element.
  WebWindowHost(Size size, std::string canvasId);
  ~WebWindowHost() override;

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

  void DeliverMouse(const MouseEvent& event);
  void DeliverWheel(const WheelEvent& event);
  void DeliverKey(const KeyEvent& event);

  // Frames shown so far (one copy into the canvas each).
  int PresentCount() const { return presents_; }

 private:
  struct Timer {
    WebWindowHost* host = nullptr;
    long browserId = 0;
    Task task;
  };
  static WebWindowHost* Live(int handle);
  static void PumpOnMain(void* handle);
  static void PumpFromWorker(int handle);
  static int PaintFrame(double time, void* handle);
  static void TimerFired(void* timer);
  void SchedulePump();
  void RunTasks();
  void Present();
  bool StartStaging(int width, int height);
  // False when the canvas has no WebGL.
  bool PresentWithGl(const Surface& surface);
  void PresentWith2d(const Surface& surface);

  int handle_;
  std::string canvasId_;
  Size size_;
  WindowListener* listener_ = nullptr;
  std::string cursor_ = "default";
  bool capture_ = false;
  bool framePending_ = false;
  bool unshown_ = false;  // invalidated since the last copy into the canvas
  int presents_ = 0;
  // Rows compared and copied to the canvas as one area: a band changes where its tiles do.
  static constexpr int kBandRows = 32;
  // What the canvas shows: the back buffer's BGRA as WebGL's texture holds it, or RGBA as
  // the 2-D canvas takes it.
  std::vector<std::uint32_t> staging_;
  int stagingWidth_ = 0;
  bool canvas2d_ = false;  // the canvas has no WebGL
  // Areas of the frame being shown: bands of rows (top, bottom) for WebGL; left, top, right,
  // bottom for the 2-D canvas.
  std::vector<int> changed_;

  std::mutex mutex_;
  std::deque<Task> tasks_;
  bool pumpScheduled_ = false;
  std::map<TimerId, std::unique_ptr<Timer>> timers_;
};

}  // namespace zolvex::platform
