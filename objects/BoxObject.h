#pragma once
#include <array>
#include <string>

#include "objects/CComponentLink.h"

namespace zolvex {

// A rectangle turned about its centre (element box), drawn as a polygon. Its object
// rectangle is the bounding box of the turned corners, by which it is hit-tested. It draws
// no picture, selection frame or handles, and writes no element when saved.
class BoxObject : public CComponentLink {
 public:
  // Two opposite corners in content coordinates and the angle in degrees.
  BoxObject(int x, int y, int bx, int by, int angle);

  // Besides the common ones: color, colorfill, angle, bx and by of the box.
  std::string GetProperty(const std::string& name) const override;
  bool CommitProperties() override;
  void Draw() override;

  void SetColors(platform::Color outline, platform::Color fill);
  platform::Color GetOutlineColor() const { return outlineColor_; }
  platform::Color GetBoxFill() const { return boxFill_; }
  int GetPenStyle() const { return penStyle_; }
  void SetPenStyle(int style) { penStyle_ = style; }
  int GetThickness() const { return thickness_; }
  void SetThickness(int thickness) { thickness_ = thickness; }
  int GetAngle() const { return angle_; }
  // The turned corners in content coordinates.
  const std::array<platform::Point, 4>& GetCorners() const { return corners_; }

 private:
  // Turns the corners and makes their bounding box the object's rectangle.
  void ComputeCorners();
  bool CommitBoxColor(const char* name, platform::Color& field);
  int PenWidth() const;

  platform::Color outlineColor_ = kDefaultColor;
  platform::Color boxFill_ = platform::kNoColor;
  int penStyle_ = kPenSolid;
  int thickness_ = 1;
  int cornerX_;
  int cornerY_;
  int cornerBX_;
  int cornerBY_;
  int angle_;
  std::array<platform::Point, 4> corners_{};
  std::array<platform::Point, 4> screenCorners_{};
};

}  // namespace zolvex
