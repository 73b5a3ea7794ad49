#pragma once
#include <string>

#include "objects/MapObject.h"

namespace zolvex {

// A rectangle with handles that the user moves and resizes with the mouse: the view's clip
// frame, and the grey masks of clip editing (with a translucent fill). The pointer passes
// through its interior outside the centre handle.
class ClipperObject : public MapObject {
 public:
  enum class Drag { None, Moving, TopLeft, TopRight, BottomLeft, BottomRight, Left, Top, Right, Bottom };
  static constexpr int kHandle = 10;

  ClipperObject(int x, int y, int width, int height);

  void SetFill(platform::Color color, int opacity);
  platform::Color GetFillColor() const { return fillColor_; }
  int GetFillOpacity() const { return fillOpacity_; }
  Drag GetDrag() const { return drag_; }

  std::string GetXml() const override;
  bool IsCapturingMouse() const override { return drag_ != Drag::None; }
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void Draw() override;
  bool HasLinkAt(int x, int y) const override;
  bool AllowsViewDrag(int, int) const override { return drag_ == Drag::None; }
  bool IsClickThroughAt(int x, int y) const override { return !HasLinkAt(x, y); }
  std::string GetObjectCursor() const override { return cursor_; }

  // The zone a press at (u, v) relative to the screen origin starts to drag, for a frame
  // of w x h on the screen; None outside every zone.
  static Drag ZoneAt(int u, int v, int w, int h);
  // The cursor over (u, v): "nwse-resize", "nesw-resize", "ew-resize", "ns-resize", "move",
  // or "" in the interior outside the centre.
  static std::string CursorAt(int u, int v, int w, int h);

 private:
  void Resize(platform::Point pointer);
  void DrawSizeLabel(ViewPrimitives& view, int x, int y, int w, int h);

  platform::Color fillColor_ = platform::kNoColor;
  int fillOpacity_ = 0;
  Drag drag_ = Drag::None;
  platform::Point grab_{0, 0};
  mutable std::string cursor_;
};

}  // namespace zolvex
