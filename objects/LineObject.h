#pragma once
#include <string>
#include <vector>

#include "objects/MapObject.h"

namespace zolvex {

// A straight line between two points with optional arrow heads (element line). It has a
// link of its own and a mouse-over colour, is hit near its segment, and in editing mode its
// ends and the whole line are dragged with the mouse.
class LineObject : public MapObject {
 public:
  static constexpr platform::Color kDefaultColor = platform::MakeColor(0x32, 0x32, 0xFF);
  static constexpr platform::Color kDefaultMouseOverColor = platform::MakeColor(0xFF, 0x0A, 0x0A);
  static constexpr double kDefaultArrowLength = 20.0;
  enum Arrow : int { kNoArrow = 0, kArrowHead = 1, kArrowTail = 2, kArrowBoth = 3 };

  // The two ends, in content coordinates (screen pixels for an object in screen coordinates).
  LineObject(int x1, int y1, int x2, int y2);

  std::string GetXml() const override;
  bool CommitProperties() override;
  void Draw() override;
  bool HitTest(int x, int y) const override;
  bool HasLinkAt(int x, int y) const override;
  void OnMouseEnter() override;
  void OnMouseExit() override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnClick(platform::Point point, int button) override;
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;
  bool IsCapturingMouse() const override;
  bool AllowsViewDrag(int, int) const override { return !IsCapturingMouse(); }
  bool CanRenderToDevice() const override { return true; }
  void RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level) override;

  void SetEnds(platform::Point first, platform::Point second);
  platform::Point GetFirst() const { return first_; }
  platform::Point GetSecond() const { return second_; }
  const std::string& GetLink() const { return link_; }
  void SetLink(const std::string& link) { link_ = link; }
  void SetColors(platform::Color color, platform::Color mouseOverColor);
  platform::Color GetColor() const { return color_; }
  platform::Color GetCurrentColor() const { return currentColor_; }
  platform::Color GetMouseOverColor() const { return mouseOverColor_; }
  int GetPenStyle() const { return penStyle_; }
  void SetPenStyle(int style) { penStyle_ = style; }
  // Negative: a fixed width in screen pixels at every zoom level.
  int GetThickness() const { return thickness_; }
  void SetThickness(int thickness) { thickness_ = thickness; }
  int GetArrow() const { return arrow_; }
  void SetArrow(int arrow) { arrow_ = arrow; }
  // Values below 1 become 1; negative lengths are fixed screen pixels.
  double GetArrowLength() const { return arrowLength_; }
  void SetArrowLength(double length);
  bool IsHovered() const { return hovered_; }
  // The screen positions of the two ends as last drawn or mapped.
  platform::Point ScreenFirst() const;
  platform::Point ScreenSecond() const;

  // "head", "tail", "both"; anything else is no arrow.
  static int ArrowFromName(const std::string& name);
  // A real number as text; text that is not a finite number reads as 0.
  static double ParseReal(const std::string& text);

 private:
  enum class Drag { None, First, Second, Whole };
  struct Segment {
    platform::Point from;
    platform::Point to;
  };

  int PenWidth() const;
  double ScreenArrowLength() const;
  // The line and the lines of its arrow heads on the screen.
  std::vector<Segment> ScreenSegments() const;
  bool FollowsClick(int button) const;
  void FollowLink();
  void ShowColor(platform::Color color);
  // The rectangle of the object becomes the bounding box of the ends.
  void UpdateBounds();

  std::string link_;
  platform::Color currentColor_ = kDefaultColor;
  platform::Color color_ = kDefaultColor;
  platform::Color mouseOverColor_ = kDefaultMouseOverColor;
  int penStyle_ = kPenSolid;
  int thickness_ = 1;
  int arrow_ = kNoArrow;
  double arrowLength_ = kDefaultArrowLength;
  platform::Point first_;
  platform::Point second_;
  bool hovered_ = false;
  bool clicked_ = false;
  int creationStep_ = 0;
  Drag drag_ = Drag::None;
  platform::Point dragStart_;
  platform::Point savedFirst_;
  platform::Point savedSecond_;
};

// The end-point handle of lines and polylines: a small square around the point.
void DrawPointHandle(ViewPrimitives& view, platform::Point point, platform::Color outer);

}  // namespace zolvex
