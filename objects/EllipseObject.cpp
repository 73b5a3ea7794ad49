#include "objects/EllipseObject.h"

#include "objects/CComponentRect.h"
#include "objects/ObjectValues.h"
#include "objects/XmlElementWriter.h"
#include "platform/TextValues.h"

namespace zolvex {

EllipseObject::EllipseObject(int x, int y, int bx, int by)
    : EditableShape(x, y, bx - x, by - y, "", nullptr, nullptr) {}

void EllipseObject::SetPie(platform::Point first, platform::Point second, bool drawPie) {
  radial1_ = first;
  radial2_ = second;
  pie_ = drawPie;
}

// ---- Drawing ----------------------------------------------------------------------------

int EllipseObject::PenWidth() const {
  const auto metrics = ViewMetrics();
  return Truncate((metrics ? metrics->scaleX : 1.0) * GetThickness() + 0.5);
}

void EllipseObject::Draw() {
  CComponentImage::Draw();
  ViewPrimitives* view = GetView();
  if (!view) return;
  if (GetScreenX() > view->GetViewWidth() || GetScreenY() > view->GetViewHeight() || GetScreenWidth() == 0) return;
  DrawShape(*view);
  if (IsEditing()) DrawCornerHandles(*view, GetScreenRect());
}

void EllipseObject::DrawShape(ViewPrimitives& view) {
  const platform::Rect screen = GetScreenRect();
  const int penWidth = PenWidth();
  if (pie_) {
    view.DrawArc(false, screen.left, screen.top, screen.right, screen.bottom, MapXToScreen(radial1_.x),
                 MapYToScreen(radial1_.y), MapXToScreen(radial2_.x), MapYToScreen(radial2_.y), GetCurrentColor(),
                 GetCurrentFill(), penWidth, GetPenStyle());
    return;
  }
  const bool filled = GetCurrentFill() != platform::kNoColor;
  if (filled) view.SetDrawParameter(kDrawOpacity, GetTransparency());
  if (HasOutline())
    view.DrawEllipse(screen.left, screen.top, screen.right, screen.bottom, GetCurrentColor(), GetCurrentFill(),
                     penWidth, GetPenStyle());
  else if (filled)
    view.DrawEllipse(screen.left, screen.top, screen.right, screen.bottom, GetCurrentFill(), GetCurrentFill(),
                     penWidth, GetPenStyle());
  view.SetDrawParameter(kDrawOpacity, 0);
}

// ---- Properties -------------------------------------------------------------------------

bool EllipseObject::CommitCorner(const char* name) {
  const std::string value = GetProperty(name);
  if (value.empty()) return false;
  const int number = ParseInt(value);
  const std::string key = name;
  if (key == "x")
    SetRect(number, GetY(), GetWidth(), GetHeight());
  else if (key == "y")
    SetRect(GetX(), number, GetWidth(), GetHeight());
  else if (key == "bx")
    SetRect(GetX(), GetY(), number - GetX(), GetHeight());
  else
    SetRect(GetX(), GetY(), GetWidth(), number - GetY());
  SetProperty(name, "");
  return true;
}

bool EllipseObject::CommitProperties() {
  bool applied = CComponentLink::CommitProperties();
  for (const char* corner : {"x", "y", "bx", "by"}) applied |= CommitCorner(corner);
  applied |= CommitInteger("radicalx1", radial1_.x);
  applied |= CommitInteger("radicaly1", radial1_.y);
  applied |= CommitInteger("radicalx2", radial2_.x);
  applied |= CommitInteger("radicaly2", radial2_.y);
  applied |= CommitPen();
  return applied;
}

// ---- Saving -----------------------------------------------------------------------------

std::string EllipseObject::GetXml() const {
  XmlElementWriter xml("<ellipse ");
  xml.Integer("x", GetX());
  xml.Integer("y", GetY());
  xml.Integer("bx", GetX() + GetWidth());
  xml.Integer("by", GetY() + GetHeight());
  WriteLinkAttributes(xml);
  xml.LevelRange(*this);
  WriteColors(xml);
  xml.PenStyle(GetPenStyle());
  if (GetThickness() > 1) xml.Integer("thickness", GetThickness());
  if (pie_) {
    xml.Attribute("drawpie", "yes");
    xml.Integer("radicalx1", radial1_.x);
    xml.Integer("radicaly1", radial1_.y);
    xml.Integer("radicalx2", radial2_.x);
    xml.Integer("radicaly2", radial2_.y);
  }
  if (AllowsEditing()) xml.Attribute("allowediting", "yes");
  xml.UnderscoreProperties(*this);
  xml.Raw("/>");
  return xml.Text();
}

}  // namespace zolvex
