#pragma once
#include <optional>

#include "platform/CanvasTypes.h"
#include "platform/Geometry.h"
#include "view/PageTransition.h"

namespace zolvex {

namespace platform {
class Canvas;
}

// The page curl: a corner of the page travels on a circle about a pivot below the page,
// from the corner's place to its mirror image across the spine. Each frame folds the page
// along the perpendicular bisector of the corner's rest and moved positions: beyond the
// fold the next page shows, the flap carries the back of the leaf, and a soft shadow lies
// along the fold.
class PageCurl {
 public:
  // direction 0 forward, 1 backward; a two-page spread turns about its middle, one page
  // about its left edge.
  PageCurl(int width, int height, int direction, bool onePage);

  // Where the fold meets the page's side edge (e1) and its bottom edge (e2).
  struct Fold {
    platform::PointF e1;
    platform::PointF e2;
  };

  platform::Point RestCorner() const { return corner_; }
  // The moved corner at progress t (0..1), in whole pixels.
  platform::Point CornerAt(double t) const;
  // The fold for a moved corner; none unless it differs from the rest corner in both
  // coordinates (then nothing is drawn).
  std::optional<Fold> FoldFor(platform::Point moved) const;

  // Plays the curl for durationMs; the frame before the first fold shows the old page.
  void Play(const TransitionStage& stage, TransitionHost& host, double durationMs) const;

 private:
  void DrawFold(platform::Canvas& canvas, const platform::Surface& source, const platform::Rect& sourceArea,
                platform::Point moved, const Fold& fold) const;
  void DrawFlap(platform::Canvas& canvas, const platform::Surface& source, const platform::Rect& sourceArea,
                platform::Point moved, const Fold& fold) const;

  int width_;
  int height_;
  int direction_;
  bool onePage_;
  platform::Point corner_;  // C0
  double spine_;            // x0
  double reach_;            // L
  double pivotX_;
  double pivotY_;
  double radius_;
};

}  // namespace zolvex
