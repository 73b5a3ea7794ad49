#pragma once
#include <memory>
#include <string>

#include "objects/CComponentLink.h"
#include "objects/RectDragEditor.h"

namespace zolvex {

class XmlElementWriter;

// What rectangles, pictures and ellipses share: an outline of a pen style and thickness,
// and the mouse editing by the corner handles and edges of the screen rectangle.
class EditableShape : public CComponentLink {
 public:
  using CComponentLink::CComponentLink;

  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  bool IsCapturingMouse() const override { return editor_.IsCapturing(*this); }
  bool AllowsViewDrag(int, int) const override { return !IsCapturingMouse(); }

  int GetPenStyle() const { return penStyle_; }
  void SetPenStyle(int style) { penStyle_ = style; }
  int GetThickness() const { return thickness_; }
  void SetThickness(int thickness) { thickness_ = thickness; }
  // 0 while waiting for the first press of the user drawing the object, 1 after it.
  int GetCreationStep() const { return editor_.CreationStep(); }

 protected:
  // Applies the properties style and thickness; true when one changed.
  bool CommitPen();
  // The saved attributes name, group, href (when not empty), outline and tooltip (when not
  // empty).
  void WriteLinkAttributes(XmlElementWriter& xml) const;
  // The saved colours that differ from the defaults, and the opacity when not 0.
  void WriteColors(XmlElementWriter& xml) const;

 private:
  int penStyle_ = kPenSolid;
  int thickness_ = 1;
  RectDragEditor editor_;
};

}  // namespace zolvex
