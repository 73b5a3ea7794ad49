#include "objects/EditableShape.h"

#include "objects/ObjectValues.h"
#include "objects/XmlElementWriter.h"

namespace zolvex {

void EditableShape::OnMouseMove(unsigned flags, platform::Point point) {
  CComponentLink::OnMouseMove(flags, point);
  editor_.Move(*this, point);
}

void EditableShape::OnLButtonDown(unsigned flags, platform::Point point) {
  CComponentLink::OnLButtonDown(flags, point);
  editor_.Press(*this, point);
}

void EditableShape::OnLButtonUp(unsigned flags, platform::Point point) {
  CComponentLink::OnLButtonUp(flags, point);
  editor_.Release(*this);
}

bool EditableShape::CommitPen() {
  const bool style = ApplyPenStyle(GetProperty("style"), penStyle_);
  const bool thickness = CommitInteger("thickness", thickness_);
  return style || thickness;
}

void EditableShape::WriteLinkAttributes(XmlElementWriter& xml) const {
  xml.PendingIfNotEmpty(*this, "name");
  xml.PendingIfNotEmpty(*this, "group");
  xml.AttributeIfNotEmpty("href", GetLink());
  xml.YesNo("outline", HasOutline());
  xml.AttributeIfNotEmpty("tooltip", GetTooltip());
}

void EditableShape::WriteColors(XmlElementWriter& xml) const {
  if (GetFillColor() != platform::kNoColor) xml.Color("fillcolor", GetFillColor());
  if (GetMouseOverFillColor() != platform::kNoColor) xml.Color("mouseoverfillcolor", GetMouseOverFillColor());
  if (GetColor() != kDefaultColor) xml.Color("color", GetColor());
  if (GetMouseOverColor() != kDefaultColor) xml.Color("mouseovercolor", GetMouseOverColor());
  if (GetTransparency() != 0) xml.Integer("transparency", GetTransparency());
}

}  // namespace zolvex
