#include "view/PageCurl.h"

#include <cmath>
#include <vector>

#include "platform/Canvas.h"
#include "view/TransitionRequest.h"

namespace zolvex {

namespace {

using platform::PointF;

const double kPi = 2 * std::acos(0.0);
// The corner's angle on its circle at rest: 10π/27, two thirds of 100 degrees.
const double kRestAngle = kPi * 0.37037037037037035;
constexpr double kDegreesPerRadian = 57.29582790879778;

constexpr platform::Color kBlankLeaf = platform::MakeColor(255, 255, 255);
// The shadow runs from transparent black at the moved corner to half-transparent black at
// the rest corner, repeating, with a blend that is dark only about the middle (the fold).
constexpr platform::Pixel kShadowFrom = 0x00000000u;
constexpr platform::Pixel kShadowTo = 0x7F000000u;

PointF ToF(platform::Point p) { return {double(p.x), double(p.y)}; }

}  // namespace

PageCurl::PageCurl(int width, int height, int direction, bool onePage)
    : width_(width), height_(height), direction_(direction), onePage_(onePage) {
  const bool twoPageBackward = !onePage && direction == kBackwardHorizontal;
  corner_ = {twoPageBackward ? 0 : width, height};
  spine_ = onePage ? width - corner_.x : width / 2;
  reach_ = onePage ? width : width / 2;
  pivotX_ = spine_;
  pivotY_ = height + std::tan(kRestAngle) * reach_;
  radius_ = reach_ / std::cos(kRestAngle);
}

platform::Point PageCurl::CornerAt(double t) const {
  const double sweep = kPi - 2 * kRestAngle;
  const double angle = direction_ == kForwardHorizontal ? kRestAngle + sweep * t : (kPi - kRestAngle) - sweep * t;
  return {static_cast<int>(std::floor(pivotX_ + radius_ * std::cos(angle))),
          static_cast<int>(std::floor(pivotY_ - radius_ * std::sin(angle)))};
}

std::optional<PageCurl::Fold> PageCurl::FoldFor(platform::Point moved) const {
  if (moved.x == corner_.x || moved.y == corner_.y) return std::nullopt;
  // Single precision, as the fold has always been computed.
  const float x0 = float(corner_.x), y0 = float(corner_.y), px = float(moved.x), py = float(moved.y);
  const float slope = -1.0f / ((y0 - py) / (x0 - px));
  const float e1y = (y0 + py) * 0.5f + (x0 - px) * 0.5f * slope;
  const float e2x = (px + x0) * 0.5f + (y0 - py) * 0.5f / slope;
  return Fold{{x0, e1y}, {e2x, y0}};
}

void PageCurl::DrawFold(platform::Canvas& canvas, const platform::Surface& source, const platform::Rect& sourceArea,
                        platform::Point moved, const Fold& fold) const {
  const platform::Rect page = platform::Rect::FromSize(0, 0, width_, height_);
  const PointF rest = ToF(corner_), p = ToF(moved);
  // Beyond the fold, the next page.
  canvas.ClipPolygon({rest, fold.e1, fold.e2});
  canvas.DrawSurface(source, sourceArea, page);
  canvas.ResetClip();
  // The flap: the back of the leaf.
  canvas.ClipPolygon({p, fold.e2, fold.e1});
  DrawFlap(canvas, source, sourceArea, moved, fold);
  canvas.ResetClip();
  // The shadow over both.
  canvas.ClipPolygon({p, fold.e2, rest, fold.e1, p});
  canvas.Save();
  canvas.SetBrush(platform::Brush::LinearGradient(p, rest, kShadowFrom, kShadowTo,
                                                  {{0, 0}, {0.4, 0}, {0.5, 1}, {0.6, 0}, {1.0, 0}}, true));
  canvas.FillRect(page);
  canvas.Restore();
  canvas.ResetClip();
}

// A single leaf is blank on its back; a spread's turning leaf shows the next page, laid
// from the moved corner along the leaf's bottom edge.
void PageCurl::DrawFlap(platform::Canvas& canvas, const platform::Surface& source, const platform::Rect& sourceArea,
                        platform::Point moved, const Fold& fold) const {
  if (onePage_) {
    canvas.FillRect(platform::Rect::FromSize(0, 0, width_, height_), kBlankLeaf);
    return;
  }
  const double px = moved.x, py = moved.y, x0 = corner_.x, y0 = corner_.y;
  const bool leftOfCorner = px <= x0;
  const double left = leftOfCorner ? px : px - width_;
  const double right = leftOfCorner ? px + width_ : px;
  const double top = py <= y0 ? py - height_ : py;
  const double bottom = py <= y0 ? py : py + height_;
  const double radians = leftOfCorner ? std::atan2(y0 - py, fold.e2.x - px) : std::atan2(py - y0, px - fold.e2.x);
  const platform::Matrix turn = platform::Matrix::RotationAbout(ToF(moved), radians * kDegreesPerRadian);
  canvas.DrawSurface(source, sourceArea, turn.Apply({left, top}), turn.Apply({right, top}),
                     turn.Apply({left, bottom}));
}

void PageCurl::Play(const TransitionStage& stage, TransitionHost& host, double durationMs) const {
  const platform::Rect page = platform::Rect::FromSize(0, 0, width_, height_);
  const platform::Rect oldArea = page;
  const platform::Rect newArea = platform::Rect::FromSize(0, 0, stage.newSize.width, stage.newSize.height);
  const bool onePageBackward = onePage_ && direction_ == kBackwardHorizontal;
  const platform::Surface& source = onePageBackward ? stage.oldPage : stage.newPage;
  const platform::Rect sourceArea = onePageBackward ? oldArea : newArea;
  const platform::Rect target = page.Offset(stage.origin.x, stage.origin.y);

  platform::Surface work(width_, height_);
  platform::Canvas canvas(work);
  if (!onePage_) work.Blit(stage.oldPage, oldArea, page);
  // Until the first fold is drawn the frame shows the old page, not the cleared background.
  stage.frame.Blit(stage.oldPage, oldArea, target);
  host.PlayFlipSound();

  const std::uint64_t start = host.NowMs();
  for (;;) {
    const double t = TransitionProgress(static_cast<double>(host.NowMs() - start), durationMs);
    if (t <= 0) {
      host.Pause(1);  // nothing to draw until the clock moves
      continue;
    }
    const platform::Point moved = CornerAt(t);
    if (const auto fold = FoldFor(moved)) {
      // A single leaf starts each frame from a whole page underneath it.
      if (onePageBackward) work.Blit(stage.newPage, newArea, page);
      else if (onePage_) work.Blit(stage.oldPage, oldArea, page);
      DrawFold(canvas, source, sourceArea, moved, *fold);
      stage.frame.Blit(work, page, target);
    }
    host.ShowFrame();
    if (t >= 1) break;
  }
}

}  // namespace zolvex
