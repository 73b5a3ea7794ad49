#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Geometry.h"
#include "platform/InputEvent.h"

namespace zolvex::platform {

class Surface;

// What a window tells its owner. Every call arrives on the window thread.
class WindowListener {
 public:
  virtual ~WindowListener() = default;
  virtual void OnSize(Size) {}
  // The window wants its content: the listener returns the surface to show (or null).
  virtual const Surface* OnPaint() { return nullptr; }
  virtual void OnMouse(const MouseEvent&) {}
  virtual void OnWheel(const WheelEvent&) {}
  virtual void OnKey(const KeyEvent&) {}
  virtual void OnClose() {}
};

// The view's window: size, posted messages handled in order on the window thread,
// periodic timers, mouse capture, cursors and repaints. Messages and timers may be
// posted from any thread; everything else belongs to the window thread.
class WindowHost {
 public:
  using Task = std::function<void()>;
  using TimerId = int;

  virtual ~WindowHost() = default;

  // The listener hears of size changes from now on; it reads the current size itself.
  virtual void SetListener(WindowListener* listener) = 0;
  virtual Size ClientSize() const = 0;
  virtual void Resize(Size size) = 0;
  virtual void SetTitle(const std::string& title) = 0;

  // Runs task on the window thread after every message posted before it.
  virtual void Post(Task task) = 0;
  // Calls task every periodMs milliseconds until KillTimer; setting an existing id
  // replaces that timer.
  virtual void SetTimer(TimerId id, std::uint32_t periodMs, Task task) = 0;
  virtual void KillTimer(TimerId id) = 0;

  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() const = 0;
  // Cursor by name: the toolkit's names ("default", "pointer", "grab", "grabbing",
  // "wait", "crosshair", "text", "move", "zoom-in", "zoom-out") or one of the zoom-hint
  // cursors "IDC_CURSOR_LOW", "IDC_CURSOR_MID" and "IDC_CURSOR_HIGH" (another "IDC_CURSOR_" name
  // is the compiled-in picture of that name), or the absolute path
  // of a cursor file (a file that cannot be read leaves the cursor as it was).
  virtual void SetCursor(const std::string& name) = 0;
  virtual std::string CurrentCursor() const = 0;
  // Asks for OnPaint soon; several requests before the paint make one paint.
  virtual void Invalidate() = 0;
  // Drops mouse and key input that has queued up but not been delivered.
  virtual void DrainPendingInput() = 0;
  // Shows the listener's surface at once, outside the paint cycle: an animation that holds
  // the window thread presents each of its frames this way.
  virtual void PresentNow() = 0;
  // Holds the window thread for ms milliseconds of the host's clock.
  virtual void Pause(std::uint32_t ms) = 0;

  // Handles messages, timers and input until Quit. RunFor stops after ms milliseconds
  // of the host's clock, or earlier at Quit; it answers false when Quit ended it.
  virtual void Run() = 0;
  virtual bool RunFor(std::uint32_t ms) = 0;
  virtual void Quit() = 0;
  // True when called on the thread that runs the window.
  virtual bool OnWindowThread() const = 0;
};

}  // namespace zolvex::platform
