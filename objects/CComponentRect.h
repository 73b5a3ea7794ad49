#pragma once
#include <memory>
#include <string>

#include "objects/EditableShape.h"

namespace zolvex {

// A rectangle or picture (elements rect, rectangle, img and sound): an optional fill, the
// picture, an optional outline of a pen style and thickness, and in editing mode the
// corner handles by which the user moves and resizes it.
class CComponentRect : public EditableShape {
 public:
  static constexpr int kLayer = 2;

  CComponentRect(int x, int y, int width, int height, const std::string& link, std::shared_ptr<ViewImage> normal,
                 std::shared_ptr<ViewImage> mouseOver);

  std::string GetXml() const override;
  void Draw() override;
  void RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level) override;

  // The object was made with a picture.
  bool HasPicture() const { return hasPicture_; }

 private:
  void DrawFill(ViewPrimitives& view);
  void DrawOutline(ViewPrimitives& view);
  void DrawHandles(ViewPrimitives& view);
  int PenWidth() const;

  bool hasPicture_;
};

// The two yellow and black squares inside the top-left and bottom-right corners of an
// object's screen rectangle that show it can be moved and resized.
void DrawCornerHandles(ViewPrimitives& view, const platform::Rect& screen);

}  // namespace zolvex
