#pragma once
#include <cstdint>

#include "platform/Geometry.h"

namespace zolvex {

namespace platform {
class Surface;
}

// The control's toolbar: a row of buttons at the top-left corner of the window (zoom in,
// zoom out, fit, back, help). While enabled it shows on use and hides after three seconds
// without use.
class ControlToolbar {
 public:
  enum Command { kNone = 0, kZoomIn, kZoomOut, kFit, kBack, kHelp };
  static constexpr int kButtonCount = 5;
  static constexpr int kButtonSize = 26;
  static constexpr int kMargin = 6;
  static constexpr std::int64_t kHideAfterMs = 3000;

  // ShowToolbar: an enabled toolbar is shown at once.
  void SetEnabled(bool enabled, std::int64_t now);
  bool IsEnabled() const { return enabled_; }
  bool IsShown() const { return enabled_ && shown_; }
  // The pointer moved or a button was used: show it and restart the idle time.
  void NoteUse(std::int64_t now);
  // Hides it after the idle time; true when that changed what is shown.
  bool HideWhenIdle(std::int64_t now);
  // The button at a window point while shown; kNone elsewhere.
  Command CommandAt(platform::Point point) const;
  platform::Rect ButtonArea(int index) const;
  platform::Rect Area() const;
  void Draw(platform::Surface& target) const;

 private:
  void DrawGlyph(platform::Surface& target, Command command, const platform::Rect& box) const;

  bool enabled_ = false;
  bool shown_ = false;
  std::int64_t lastUse_ = 0;
};

}  // namespace zolvex
