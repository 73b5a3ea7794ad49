#pragma once
#include <string>

#include "objects/CComponentLink.h"
#include "objects/RectDragEditor.h"

namespace zolvex {

// An ellipse in its bounding box, or a pie between two radial points (element ellipse).
// It is moved, resized and drawn with the mouse as a rectangle is.
class EllipseObject : public CComponentLink {
 public:
  // The bounding box (x, y) .. (bx, by).
  EllipseObject(int x, int y, int bx, int by);

  std::string GetXml() const override;
  bool CommitProperties() override;
  void Draw() override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  bool IsCapturingMouse() const override { return editor_.IsCapturing(*this); }
  bool AllowsViewDrag(int, int) const override { return !IsCapturingMouse(); }

  int GetPenStyle() const { return penStyle_; }
  void SetPenStyle(int style) { penStyle_ = style; }
  int GetThickness() const { return thickness_; }
  void SetThickness(int thickness) { thickness_ = thickness; }
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
  bool CommitNumber(const char* name, int& field);

  int penStyle_ = kPenSolid;
  int thickness_ = 1;
  bool pie_ = false;
  bool arcOnly_ = false;
  platform::Point radial1_;
  platform::Point radial2_;
  RectDragEditor editor_;
};

}  // namespace zolvex
