#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "objects/CComponentImage.h"

namespace zolvex {

// A panel of objects drawn and operated as one: its own picture with its children placed
// at fixed offsets inside it. The group owns its children; they are in screen
// coordinates and share the group's view.
class ObjectGroup : public CComponentImage {
 public:
  ObjectGroup(int x, int y, int width, int height, std::shared_ptr<ViewImage> picture);
  ~ObjectGroup() override;

  // Adds a child at (x, y) inside the group with its size as it stands now; answers it.
  MapObject* AddChild(std::unique_ptr<MapObject> child);
  std::size_t GetChildCount() const { return children_.size(); }
  MapObject* GetChild(std::size_t index) const { return children_[index].object.get(); }
  // The child under a screen point: shown, hit (or capturing the mouse) and not
  // click-through there, the highest layer winning; a capturing child wins at once.
  MapObject* ChildAt(platform::Point point);
  MapObject* GetHoveredChild() const { return hovered_; }

  void Draw() override;
  void SetView(ViewPrimitives* view) override;
  void SetTransparency(int transparency) override;
  void SetKeyTransparent(bool on) override;
  bool HasLinkAt(int x, int y) const override;
  bool IsCapturingMouse() const override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnRButtonDown(unsigned flags, platform::Point point) override;
  void OnRButtonUp(unsigned flags, platform::Point point) override;
  void OnMouseExit() override;
  void OnClick(platform::Point point, int button) override;
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;

 protected:
  // Moves a child to another place inside the group.
  void SetChildPlacement(MapObject* child, const platform::Rect& placement);
  // Puts a child last, so that it is drawn above the others.
  void MoveChildToEnd(MapObject* child);

 private:
  struct Child {
    std::unique_ptr<MapObject> object;
    platform::Rect placement;  // inside the group
  };

  // Puts every child at the group's screen position plus its offset.
  void PlaceChildren();
  // The child under the point and the point relative to its screen origin.
  MapObject* ChildAndPoint(platform::Point point, platform::Point& relative);
  // Hands the event to the child under the point, with the point relative to the child.
  void ToChildAt(platform::Point point, const std::function<void(MapObject&, platform::Point)>& action);
  void Hover(MapObject* child);

  std::vector<Child> children_;
  MapObject* hovered_ = nullptr;
};

}  // namespace zolvex
