#pragma once
#include <string>
#include <vector>

#include "objects/MapObject.h"

namespace zolvex {

// A polyline (element polyvector): points joined by lines, closed or open, drawn free-hand
// or point by point. It is placed by its points alone; its object rectangle plays no part.
class PolyVectorObject : public MapObject {
 public:
  static constexpr platform::Color kDefaultColor = platform::MakeColor(0x32, 0x32, 0xFF);
  // The most points one polyline holds; further points are not added.
  static constexpr std::size_t kMaxPoints = 65536;

  PolyVectorObject();

  std::string GetXml() const override;
  bool CommitProperties() override;
  void Draw() override;
  bool HitTest(int x, int y) const override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnRButtonDown(unsigned flags, platform::Point point) override;
  bool IsCapturingMouse() const override { return dragIndex_ >= 0 || movingAll_ || IsBeingCreated(); }
  bool AllowsViewDrag(int, int) const override { return !IsCapturingMouse(); }
  bool CanRenderToDevice() const override { return true; }
  void RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level) override;

  // Appends a point (content coordinates, or screen pixels in screen coordinates); false
  // when the polyline is full.
  bool AddPoint(platform::Point point);
  const std::vector<platform::Point>& GetPoints() const { return points_; }
  platform::Color GetColor() const { return color_; }
  void SetColor(platform::Color color) { color_ = color; }
  int GetPenStyle() const { return penStyle_; }
  void SetPenStyle(int style) { penStyle_ = style; }
  int GetThickness() const { return thickness_; }
  // Values below 1 become 1.
  void SetThickness(int thickness) { thickness_ = thickness < 1 ? 1 : thickness; }
  bool IsClosed() const { return closed_; }
  void SetClosed(bool on) { closed_ = on; }
  // Point mode: drawn point by point, each point with a handle in editing mode; otherwise
  // a free-hand line.
  bool IsPointMode() const { return pointMode_; }
  void SetPointMode(bool on) { pointMode_ = on; }

 private:
  std::vector<platform::Point> ScreenPoints() const;
  int PenWidth() const;
  bool PointAt(platform::Point screen, platform::Point& point) const;
  void Invalidate();
  void PressWhileCreating(platform::Point point);
  void PressToEdit(platform::Point point);

  platform::Color color_ = kDefaultColor;
  int penStyle_ = kPenSolid;
  int thickness_ = 1;
  std::vector<platform::Point> points_;
  bool closed_ = false;
  bool pointMode_ = false;
  int dragIndex_ = -1;
  bool movingAll_ = false;
  platform::Point lastPointer_;
};

}  // namespace zolvex
