#pragma once
#include <cstdint>
#include <string>

#include "platform/Geometry.h"
#include "platform/Surface.h"

namespace zolvex {

// What a running transition needs from its view: the millisecond clock, a way to show the
// frame at once, a pause, and the page sound.
class TransitionHost {
 public:
  virtual ~TransitionHost() = default;
  virtual std::uint64_t NowMs() = 0;
  // Shows the frame surface as it is now.
  virtual void ShowFrame() = 0;
  virtual void Pause(std::uint32_t ms) = 0;
  virtual void PlayFlipSound() = 0;
};

// The surfaces of one transition: the old page is size large, the new page holds its
// picture in (0, 0, newSize); the frame (the back buffer) receives the animation in the
// rectangle of size at origin.
struct TransitionStage {
  platform::Surface& frame;
  const platform::Surface& oldPage;
  const platform::Surface& newPage;
  platform::Point origin;
  platform::Size size;
  platform::Size newSize;
  int pixelFormat;
};

// Plays the effect named (in any case) "alpha" (cross-fade), "pageturn" (page curl; only
// the horizontal directions 0 and 1) or "fenceflip" (squeeze) for durationMs, frame by
// frame until the one drawn with progress 1. Any other name draws nothing.
void PlayTransitionEffect(const std::string& name, int direction, double durationMs, bool onePage,
                          const TransitionStage& stage, TransitionHost& host);

// Frame progress: min(1, elapsed / duration × rate − offset).
double TransitionProgress(double elapsedMs, double durationMs, double rate = 1.0, double offset = 0.0);

}  // namespace zolvex
