#include "view/SmoothZoom.h"

#include <algorithm>
#include <utility>

#include "platform/Numbers.h"

namespace zolvex {

namespace {

// A ratio of 0 or less (a level without size) would divide by zero: such a zoom shows
// the frame unchanged.
double UsableRatio(double ratio) { return ratio > 0 ? ratio : 1.0; }

}  // namespace

SmoothZoom::SmoothZoom(bool zoomIn, const ZoomRequest& request, platform::Size window)
    : zoomIn_(zoomIn),
      anchor_{request.anchorX, request.anchorY},
      ratioX_(UsableRatio(request.ratioX)),
      ratioY_(UsableRatio(request.ratioY)),
      window_(window) {
  if (zoomIn_) {
    // The magnified part must not begin left of (above) the stored frame.
    anchor_.x = std::max(anchor_.x, SaturateToInt(window_.width / (2 * ratioX_)));
    anchor_.y = std::max(anchor_.y, SaturateToInt(window_.height / (2 * ratioY_)));
  }
}

std::pair<int, int> SmoothZoom::Span(double a, int anchor, double ratio, int side) const {
  const int middle = side / 2;
  int centre = 0;
  int half = 0;
  if (zoomIn_) {
    centre = SaturateToInt(a * anchor + (1 - a) * middle);
    half = SaturateToInt((1 - a * (1 - 1 / ratio)) * side) / 2;
  } else {
    centre = SaturateToInt(a * middle + (1 - a) * anchor);
    half = SaturateToInt((ratio + a * (1 - ratio)) * side) / 2;
  }
  const long long first = std::max(0LL, static_cast<long long>(centre) - half);
  const long long last = std::min(static_cast<long long>(side) - 1, static_cast<long long>(centre) + half);
  return {ClampToInt(first), ClampToInt(last)};
}

platform::Rect SmoothZoom::SourceAt(double elapsedMs) const {
  const double a = std::clamp(elapsedMs / kDurationMs, 0.0, 1.0);
  const auto [left, right] = Span(a, anchor_.x, ratioX_, window_.width);
  const auto [top, bottom] = Span(a, anchor_.y, ratioY_, window_.height);
  return {left, top, right, bottom};
}

int SmoothZoom::Play(ZoomFrameHost& host) const {
  const std::uint64_t start = host.NowMs();
  // Each frame pauses, so no more frames than this fit: a clock that stands still cannot
  // hold the window thread.
  const int maxFrames = static_cast<int>(kDurationMs / kFramePauseMs) + 1;
  int frames = 0;
  for (std::uint64_t elapsed = 0; elapsed < kDurationMs && frames < maxFrames; elapsed = host.NowMs() - start) {
    if (!host.DrawFrame(SourceAt(static_cast<double>(elapsed)))) break;
    host.ShowFrame();
    ++frames;
    host.Pause(kFramePauseMs);
  }
  return frames;
}

}  // namespace zolvex
