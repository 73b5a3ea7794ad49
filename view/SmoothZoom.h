#pragma once
#include <cstdint>
#include <utility>

#include "platform/Geometry.h"

namespace zolvex {

// A zoom that ZoomTo asks for and the next frame plays: where the picture converges to
// (or starts from), in window pixels of the frame that is stretched, and how much the
// level grew (new scale ÷ old scale; below 1 when zooming out).
struct ZoomRequest {
  int anchorX = 0;
  int anchorY = 0;
  double ratioX = 1.0;
  double ratioY = 1.0;
  bool zoomInPending = false;
  bool zoomOutPending = false;
};

// What a playing zoom needs from its view: the millisecond clock, the drawing of one
// frame, showing it at once (input that queued meanwhile is dropped) and a pause.
class ZoomFrameHost {
 public:
  virtual ~ZoomFrameHost() = default;
  virtual std::uint64_t NowMs() = 0;
  // Stretches source of the stored frame over the whole frame and draws what goes above
  // it; false when the stretch could not be made, which ends the zoom.
  virtual bool DrawFrame(const platform::Rect& source) = 0;
  virtual void ShowFrame() = 0;
  virtual void Pause(std::uint32_t ms) = 0;
};

// The zoom animation: one stored frame stretched for 300 ms. Zooming in, the stretched
// rectangle shrinks from the whole window to the 1/ratio part around the anchor, so the
// old frame grows until it matches the new level; zooming out, it grows from the ratio
// part around the anchor (the old window, enlarged) to the whole new frame.
class SmoothZoom {
 public:
  static constexpr double kDurationMs = 300.0;
  static constexpr std::uint32_t kFramePauseMs = 10;

  SmoothZoom(bool zoomIn, const ZoomRequest& request, platform::Size window);

  // The rectangle of the stored frame shown elapsedMs after the start.
  platform::Rect SourceAt(double elapsedMs) const;
  // Draws frames until 300 ms have passed or a frame cannot be drawn; answers how many
  // were shown.
  int Play(ZoomFrameHost& host) const;

 private:
  // One axis of the source rectangle at progress a (0 … 1): its first and last pixel.
  std::pair<int, int> Span(double a, int anchor, double ratio, int side) const;

  bool zoomIn_;
  platform::Point anchor_;
  double ratioX_;
  double ratioY_;
  platform::Size window_;
};

}  // namespace zolvex
