#pragma once
#include <string>

#include "objects/EditableShape.h"

namespace zolvex {

// An ellipse in its bounding box, or a pie between two radial points (element ellipse).
// It is moved, resized and drawn with the mouse as a rectangle is.
class EllipseObject : public EditableShape {
 public:
  // The bounding box (x, y) .. (bx, by).
  EllipseObject(int x, int y, int bx, int by);

  std::string GetXml() const override;
  bool CommitProperties() override;
  void Draw() override;

  // The radial points of a pie, in content coordinates; drawPie draws the pie rather than
  // the whole ellipse.
  void SetPie(platform::Point first, platform::Point second, bool drawPie);
  bool IsPie() const { return pie_; }
  platform::Point GetRadialPoint1() const { return radial1_; }
  platform::Point GetRadialPoint2() const { return radial2_; }
  bool IsArcOnly() const { return arcOnly_; }
  void SetArcOnly(bool on) { arcOnly_ = on; }

 private:
  int PenWidth() const;
  void DrawShape(ViewPrimitives& view);
  // Applies one of x, y, bx, by and then hides its pending value, so that later commits
  // leave the rectangle alone.
  bool CommitCorner(const char* name);

  bool pie_ = false;
  bool arcOnly_ = false;
  platform::Point radial1_;
  platform::Point radial2_;
};

}  // namespace zolvex
