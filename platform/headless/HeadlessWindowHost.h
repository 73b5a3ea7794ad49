#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/WindowHost.h"

namespace zolvex::platform {

// A window without a display: the same message, timer and input order as the desktop
// window, driven by an event loop of its own on the thread that runs it. Timers follow
// the injected clock; with a manual clock tests call RunPending after advancing it.
class HeadlessWindowHost : public WindowHost {
 public:
  HeadlessWindowHost(Size size, std::shared_ptr<Clock> clock);

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

  // Input as a user would give it: queued behind the messages already posted.
  void InjectMouse(const MouseEvent& event);
  void InjectWheel(const WheelEvent& event);
  void InjectKey(const KeyEvent& event);
  // Handles every queued message, input and due timer without waiting.
  void RunPending();
  // Runs like RunFor, but stops as soon as done() holds after what was due has been
  // handled: true then, false after ms milliseconds or at Quit.
  bool RunUntil(const std::function<bool()>& done, std::uint32_t ms);
  int PaintCount() const { return paints_; }

  // Frames shown with PresentNow go to the sink, which tests use to capture animations.
  using FrameSink = std::function<void(const Surface&)>;
  void SetFrameSink(FrameSink sink) { frameSink_ = std::move(sink); }
  int PresentCount() const { return presents_; }
  // With a manual clock the host plays a display that refreshes every intervalMs: each
  // PresentNow moves the clock on by one refresh (0 leaves the clock to the test), and
  // Pause moves it on by the pause. Default 16 ms.
  void SetFrameIntervalMs(std::uint32_t intervalMs) { frameIntervalMs_ = intervalMs; }
  const std::string& Title() const { return title_; }

 private:
  enum class LoopEnd { Done, Deadline, Quit };
  LoopEnd Loop(std::uint32_t ms, const std::function<bool()>* done);
  struct Entry {
    Task task;
    bool input = false;
  };
  struct Timer {
    std::uint32_t period;
    std::uint64_t due;
    Task task;
  };

  void Enqueue(Task task, bool input);
  bool RunQueued();
  void FireDueTimers();
  void PaintIfWanted();
  std::uint64_t NextWakeMs(std::uint64_t deadline) const;

  std::shared_ptr<Clock> clock_;
  ManualClock* manualClock_ = nullptr;
  bool realTime_;
  FrameSink frameSink_;
  int presents_ = 0;
  std::uint32_t frameIntervalMs_ = 16;
  WindowListener* listener_ = nullptr;
  Size size_;
  std::string title_;
  std::string cursor_ = "default";
  bool capture_ = false;
  bool paintWanted_ = false;
  int paints_ = 0;
  std::atomic<bool> quit_ = false;
  std::atomic<std::thread::id> owner_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Entry> queue_;
  std::map<TimerId, Timer> timers_;
};

}  // namespace zolvex::platform
