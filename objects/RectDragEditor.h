#pragma once
#include "platform/Geometry.h"

namespace zolvex {

class MapObject;

// Ends the interactive creation of an object: it is no longer being created, it becomes
// editable when it allows editing and the view's "IsEditing" says "yes", the view leaves its
// creation mode, and (when announce is set) the view posts "donecreatingobject" with the
// object's ID; the object is redrawn.
void EndCreation(MapObject& object, bool announce);

// The content point under a screen point while an object is drawn or edited: the view's
// "limitx" and "limity" are added unless "limitx" is -1. Nothing without a document. An
// object in screen coordinates takes the screen point itself.
bool ContentPointAt(MapObject& object, platform::Point screen, platform::Point& content);

// Moving, resizing and drawing an object by its screen rectangle with the mouse, as the
// rectangles, pictures and ellipses do: handles at the top-left and bottom-right corners,
// the edges for the width and the height, and the top and left strips for moving.
class RectDragEditor {
 public:
  void Press(MapObject& object, platform::Point point);
  void Move(MapObject& object, platform::Point point);
  void Release(MapObject& object);
  // While a drag runs in editing mode, or while the object is being created.
  bool IsCapturing(const MapObject& object) const;
  int CreationStep() const { return creationStep_; }

 private:
  bool IsDragging() const { return fromTopLeft_ || fromBottomRight_ || moving_ || width_ || height_; }
  void PressToEdit(MapObject& object, int d, int e);
  void PressToCreate(MapObject& object, platform::Point point);
  // The new screen rectangle for a pointer at (d, e) relative to the old one.
  platform::Rect Dragged(const MapObject& object, platform::Point point) const;

  int creationStep_ = 0;
  bool fromTopLeft_ = false;
  bool fromBottomRight_ = false;
  bool moving_ = false;
  bool width_ = false;
  bool height_ = false;
  int grabX_ = 0;
  int grabY_ = 0;
};

}  // namespace zolvex
