#include "view/PageTransition.h"

#include <algorithm>
#include <functional>

#include "platform/TextValues.h"
#include "view/PageCurl.h"
#include "view/SurfaceBlend.h"
#include "view/TransitionRequest.h"

namespace zolvex {

namespace {

using platform::Rect;

// The cross-fade and the squeeze leave this much time between frames.
constexpr std::uint32_t kFramePauseMs = 12;

// Calls frame(elapsed) until it answers that it drew the last frame; elapsed counts from start.
void RunFrames(TransitionHost& host, std::uint64_t start, const std::function<bool(double)>& frame) {
  while (!frame(static_cast<double>(host.NowMs() - start))) {
  }
}

// Fades the new page in over twice the duration, blending both pages onto the frame.
void CrossFade(const TransitionStage& stage, TransitionHost& host, double durationMs) {
  const int w = stage.size.width, h = stage.size.height;
  platform::Surface work(w, h);
  work.Blit(stage.newPage, Rect::FromSize(0, 0, stage.newSize.width, stage.newSize.height), work.Bounds());
  const Rect whole = work.Bounds();
  RunFrames(host, host.NowMs(), [&](double elapsed) {
    const double p = TransitionProgress(elapsed, durationMs, 0.5);
    const int x = stage.origin.x, y = stage.origin.y;
    SurfaceBlend(stage.frame, work, x, y, whole, static_cast<int>(255 * p), stage.pixelFormat, kNoBlendKey);
    SurfaceBlend(stage.frame, stage.oldPage, x, y, whole, static_cast<int>(255 * (1 - p)), stage.pixelFormat,
                 kNoBlendKey);
    host.ShowFrame();
    host.Pause(kFramePauseMs);
    return p >= 1;
  });
}

int Trunc(double value) { return static_cast<int>(value); }

// The squeeze: every copy is a stretching blit into the frame at the stage's origin.
class Squeeze {
 public:
  Squeeze(const TransitionStage& stage, TransitionHost& host, int direction, double durationMs)
      : stage_(stage), host_(host), direction_(direction), duration_(durationMs),
        w_(stage.size.width), h_(stage.size.height), w2_(stage.newSize.width), h2_(stage.newSize.height) {}

  // The old page shrinks against one edge over the new page; the sound follows the fold.
  void OnePage() {
    RunFrames(host_, host_.NowMs(), [&](double elapsed) {
      const double p = TransitionProgress(elapsed, duration_);
      CopyNew({0, 0, w2_, h2_}, {0, 0, w_, h_});
      CopyOld({0, 0, w_, h_}, OnePageTarget(p));
      return ShowAndPause(p);
    });
    host_.PlayFlipSound();
  }

  // The turning half of the old page folds flat against the spine over the new half; at
  // half time the sound plays and the new page's other half unfolds from the spine.
  void TwoPages() {
    CopyOld({0, 0, w_, h_}, {0, 0, w_, h_});
    const std::uint64_t start = host_.NowMs();
    RunFrames(host_, start, [&](double elapsed) {
      const double p = TransitionProgress(elapsed, duration_, 2.0);
      FoldTurningHalf(p);
      return ShowAndPause(p);
    });
    host_.PlayFlipSound();
    RunFrames(host_, start, [&](double elapsed) {
      const double q = TransitionProgress(elapsed, duration_, 2.0, 1.0);
      UnfoldOtherHalf(q);
      return ShowAndPause(q);
    });
  }

 private:
  Rect OnePageTarget(double p) const {
    switch (direction_) {
      case kForwardHorizontal: return {0, 0, Trunc((1 - p) * w_), h_};
      case kBackwardHorizontal: return {Trunc(w_ * p), 0, w_, h_};
      case kForwardVertical: return {0, 0, w_, Trunc((1 - p) * h_)};
      default: return {0, Trunc(h_ * p), w_, h_};
    }
  }

  void FoldTurningHalf(double p) {
    const int hw = w_ / 2, hh = h_ / 2, hw2 = w2_ / 2, hh2 = h2_ / 2;
    switch (direction_) {
      case kForwardHorizontal:
        CopyNew({hw2, 0, w2_, h2_}, {hw, 0, w_, h_});
        CopyOld({hw, 0, w_, h_}, {hw, 0, Trunc((1 - 0.5 * p) * w_), h_});
        break;
      case kBackwardHorizontal:
        CopyNew({0, 0, hw2, h2_}, {0, 0, hw, h_});
        CopyOld({0, 0, hw, h_}, {Trunc(w_ * p * 0.5), 0, hw, h_});
        break;
      case kForwardVertical:
        CopyNew({0, hh2, w2_, h2_}, {0, hh, w_, h_});
        CopyOld({0, hh, w_, h_}, {0, hh, w_, Trunc((1 - 0.5 * p) * h_)});
        break;
      default:
        CopyNew({0, 0, w2_, hh2}, {0, 0, w_, hh});
        CopyOld({0, 0, w_, hh}, {0, Trunc(h_ * p * 0.5), w_, hh});
        break;
    }
  }

  void UnfoldOtherHalf(double q) {
    const int hw = w_ / 2, hh = h_ / 2, hw2 = w2_ / 2, hh2 = h2_ / 2;
    switch (direction_) {
      case kForwardHorizontal: CopyNew({0, 0, hw2, h2_}, {Trunc((1 - q) * hw), 0, hw, h_}); break;
      case kBackwardHorizontal: CopyNew({hw2, 0, w2_, h2_}, {hw, 0, Trunc((q + 1) * hw), h_}); break;
      case kForwardVertical: CopyNew({0, 0, w2_, hh2}, {0, Trunc((1 - q) * hh), w_, hh}); break;
      default: CopyNew({0, hh2, w2_, h2_}, {0, hh, w_, Trunc((q + 1) * hh)}); break;
    }
  }

  void CopyNew(const Rect& from, const Rect& to) { Copy(stage_.newPage, from, to); }
  void CopyOld(const Rect& from, const Rect& to) { Copy(stage_.oldPage, from, to); }
  void Copy(const platform::Surface& page, const Rect& from, const Rect& to) {
    if (to.IsEmpty() || from.IsEmpty()) return;
    stage_.frame.Blit(page, from, to.Offset(stage_.origin.x, stage_.origin.y));
  }
  bool ShowAndPause(double progress) {
    host_.ShowFrame();
    host_.Pause(kFramePauseMs);
    return progress >= 1;
  }

  const TransitionStage& stage_;
  TransitionHost& host_;
  int direction_;
  double duration_;
  int w_, h_, w2_, h2_;
};

}  // namespace

double TransitionProgress(double elapsedMs, double durationMs, double rate, double offset) {
  return std::min(1.0, elapsedMs / std::max(durationMs, 1.0) * rate - offset);
}

void PlayTransitionEffect(const std::string& name, int direction, double durationMs, bool onePage,
                          const TransitionStage& stage, TransitionHost& host) {
  if (stage.size.width <= 0 || stage.size.height <= 0) return;
  if (EqualsNoCase(name, "alpha")) {
    CrossFade(stage, host, durationMs);
  } else if (EqualsNoCase(name, "pageturn")) {
    if (direction == kForwardHorizontal || direction == kBackwardHorizontal)
      PageCurl(stage.size.width, stage.size.height, direction, onePage).Play(stage, host, durationMs);
  } else if (EqualsNoCase(name, "fenceflip")) {
    Squeeze squeeze(stage, host, direction, durationMs);
    if (onePage) squeeze.OnePage();
    else squeeze.TwoPages();
  }
}

}  // namespace zolvex
