#include "objects/CComponentRect.h"

#include <algorithm>

#include "image/ViewImage.h"
#include "objects/ObjectValues.h"
#include "objects/XmlElementWriter.h"
#include "platform/Canvas.h"

namespace zolvex {

namespace {

constexpr platform::Color kHandleOuter = platform::MakeColor(0xFF, 0xFF, 0x00);
constexpr platform::Color kHandleInner = platform::MakeColor(0x00, 0x00, 0x00);

}  // namespace

void DrawCornerHandles(ViewPrimitives& view, const platform::Rect& screen) {
  const int x = screen.left;
  const int y = screen.top;
  view.DrawRectOutline(x + 1, y + 1, 10, 10, kHandleOuter, 1, kPenSolid);
  view.DrawRectOutline(x + 2, y + 2, 8, 8, kHandleInner, 1, kPenSolid);
  view.DrawRectOutline(screen.right - 11, screen.bottom - 11, 10, 10, kHandleOuter, 1, kPenSolid);
  view.DrawRectOutline(screen.right - 10, screen.bottom - 10, 8, 8, kHandleInner, 1, kPenSolid);
}

CComponentRect::CComponentRect(int x, int y, int width, int height, const std::string& link,
                               std::shared_ptr<ViewImage> normal, std::shared_ptr<ViewImage> mouseOver)
    : EditableShape(x, y, width, height, link, normal, std::move(mouseOver)), hasPicture_(normal != nullptr) {
  SetLayer(kLayer);
}

// ---- Drawing ----------------------------------------------------------------------------

int CComponentRect::PenWidth() const {
  if (IsScreenCoordinates()) return GetThickness();
  const auto metrics = ViewMetrics();
  return Truncate((metrics ? metrics->scaleX : 1.0) * GetThickness());
}

void CComponentRect::Draw() {
  if (IsBeingCreated() && GetCreationStep() == 0) return;
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view || !IsOnScreen()) return;
  DrawFill(*view);
  CComponentImage::Draw();
  if (HasOutline()) DrawOutline(*view);
  if (IsEditing()) DrawCornerHandles(*view, GetScreenRect());
}

void CComponentRect::DrawFill(ViewPrimitives& view) {
  if (GetCurrentFill() == platform::kNoColor) return;
  view.SetDrawParameter(kDrawOpacity, GetTransparency());
  // A rectangle of no width still shows as a one-pixel column.
  const int width = GetScreenWidth() == 0 ? 1 : GetScreenWidth();
  view.FillRect(GetScreenX(), GetScreenY(), width, GetScreenHeight(), GetCurrentFill());
  view.SetDrawParameter(kDrawOpacity, 0);
}

void CComponentRect::DrawOutline(ViewPrimitives& view) {
  view.DrawRectOutline(GetScreenX(), GetScreenY(), GetScreenWidth(), GetScreenHeight(), GetCurrentColor(),
                       PenWidth(), GetPenStyle());
}

void CComponentRect::RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level) {
  ViewPrimitives* view = GetView();
  if (!view) return;
  UpdateScreenRect();
  const platform::Rect area =
      GetScreenRect().Offset(view->GetViewportX() - dx, view->GetViewportY() - dy);
  if (GetCurrentFill() != platform::kNoColor) {
    device.Save();
    const int opacity = GetTransparency();
    if (opacity >= 1 && opacity <= 254) device.SetOpacity(opacity);
    device.FillRect({area.left, area.top, area.left + std::max(area.Width(), 1), area.bottom}, GetCurrentFill());
    device.Restore();
  }
  CComponentImage::RenderToDevice(device, dx, dy, width, height, level);
  if (!HasOutline()) return;
  device.Save();
  device.SetPen({GetCurrentColor(), std::max(PenWidth(), 1), platform::PenStyleFromNumber(GetPenStyle())});
  device.SetBrush(platform::Brush::None());
  device.DrawPolygon({{area.left, area.top}, {area.right - 1, area.top}, {area.right - 1, area.bottom - 1},
                      {area.left, area.bottom - 1}});
  device.Restore();
}

// ---- Saving -----------------------------------------------------------------------------

std::string CComponentRect::GetXml() const {
  const bool isPicture = GetNormalPicture() || GetMouseOverPicture();
  XmlElementWriter xml(isPicture ? "<img" : "<rect");
  if (isPicture) {
    xml.AttributeIfNotEmpty("src", GetPictureSource());
    xml.AttributeIfNotEmpty("onMouseOver", GetMouseOverPictureSource());
  }
  xml.Integer("x", GetX());
  xml.Integer("y", GetY());
  xml.Integer("width", GetWidth());
  xml.Integer("height", GetHeight());
  WriteLinkAttributes(xml);
  if (!AllowsEditing()) xml.Attribute("allowediting", "no");
  xml.LevelRange(*this);
  WriteColors(xml);
  if (AllowsEditing()) xml.Attribute("allowediting", "yes");
  xml.PenStyle(GetPenStyle());
  if (GetThickness() != 0) xml.Integer("thickness", GetThickness());
  xml.UnderscoreProperties(*this);
  xml.Raw("/>");
  return xml.Text();
}

}  // namespace zolvex
