#include "objects/ClipperObject.h"

#include <cstdlib>
#include <utility>

#include "objects/ViewPrimitives.h"
#include "objects/XmlElementWriter.h"

namespace zolvex {

namespace {

constexpr platform::Color kBlack = platform::MakeColor(0, 0, 0);
constexpr platform::Color kYellow = platform::MakeColor(255, 255, 0);
constexpr int kCentreHalf = 5;
// A dragged edge stays this far outside the pointer.
constexpr int kEdgeMargin = 5;

bool InCentre(int u, int v, int w, int h) {
  return w / 2 - kCentreHalf < u && u < w / 2 + kCentreHalf && h / 2 - kCentreHalf < v && v < h / 2 + kCentreHalf;
}

bool DragsLeft(ClipperObject::Drag d) {
  using D = ClipperObject::Drag;
  return d == D::Left || d == D::TopLeft || d == D::BottomLeft;
}
bool DragsRight(ClipperObject::Drag d) {
  using D = ClipperObject::Drag;
  return d == D::Right || d == D::TopRight || d == D::BottomRight;
}
bool DragsTop(ClipperObject::Drag d) {
  using D = ClipperObject::Drag;
  return d == D::Top || d == D::TopLeft || d == D::TopRight;
}
bool DragsBottom(ClipperObject::Drag d) {
  using D = ClipperObject::Drag;
  return d == D::Bottom || d == D::BottomLeft || d == D::BottomRight;
}

ClipperObject::Drag MirrorHorizontally(ClipperObject::Drag d) {
  using D = ClipperObject::Drag;
  switch (d) {
    case D::Left: return D::Right;
    case D::Right: return D::Left;
    case D::TopLeft: return D::TopRight;
    case D::TopRight: return D::TopLeft;
    case D::BottomLeft: return D::BottomRight;
    case D::BottomRight: return D::BottomLeft;
    default: return d;
  }
}

ClipperObject::Drag MirrorVertically(ClipperObject::Drag d) {
  using D = ClipperObject::Drag;
  switch (d) {
    case D::Top: return D::Bottom;
    case D::Bottom: return D::Top;
    case D::TopLeft: return D::BottomLeft;
    case D::BottomLeft: return D::TopLeft;
    case D::TopRight: return D::BottomRight;
    case D::BottomRight: return D::TopRight;
    default: return d;
  }
}

void DrawHandle(ViewPrimitives& view, int x, int y) {
  view.DrawRectOutline(x, y, 10, 10, kYellow, 1, kPenSolid);
  view.DrawRectOutline(x + 1, y + 1, 8, 8, kBlack, 1, kPenSolid);
}

}  // namespace

ClipperObject::ClipperObject(int x, int y, int width, int height) : MapObject(x, y, width, height) {}

void ClipperObject::SetFill(platform::Color color, int opacity) {
  fillColor_ = color;
  fillOpacity_ = opacity;
}

std::string ClipperObject::GetXml() const {
  XmlElementWriter xml("<clipper");
  xml.Integer("x", GetX());
  xml.Integer("y", GetY());
  xml.Integer("width", GetWidth());
  xml.Integer("height", GetHeight());
  xml.UnderscoreProperties(*this);
  xml.Raw("/>");
  return xml.Text();
}

ClipperObject::Drag ClipperObject::ZoneAt(int u, int v, int w, int h) {
  const bool rightBand = w - kHandle < u && u < w, bottomBand = h - kHandle < v && v < h;
  if (rightBand && bottomBand) return Drag::BottomRight;
  if (rightBand && 0 <= v && v < kHandle) return Drag::TopRight;
  if (0 <= u && u < kHandle) {
    if (bottomBand) return Drag::BottomLeft;
    return 0 <= v && v < kHandle ? Drag::TopLeft : Drag::Left;
  }
  if (0 <= v && v < kHandle) return Drag::Top;
  if (rightBand) return Drag::Right;
  if (bottomBand) return Drag::Bottom;
  return InCentre(u, v, w, h) ? Drag::Moving : Drag::None;
}

std::string ClipperObject::CursorAt(int u, int v, int w, int h) {
  const bool topBand = 0 <= v && v < kHandle, bottomBand = h - kHandle < v && v < h;
  if (kHandle < u && u < w - kHandle && kHandle < v && v < h - kHandle) return InCentre(u, v, w, h) ? "move" : "";
  if (0 <= u && u < kHandle) return topBand ? "nwse-resize" : bottomBand ? "nesw-resize" : "ew-resize";
  if (w - kHandle < u && u < w) return topBand ? "nesw-resize" : bottomBand ? "nwse-resize" : "ew-resize";
  return "ns-resize";
}

bool ClipperObject::HasLinkAt(int x, int y) const {
  cursor_ = CursorAt(x - GetScreenX(), y - GetScreenY(), GetScreenWidth(), GetScreenHeight());
  return !cursor_.empty();
}

void ClipperObject::OnLButtonDown(unsigned, platform::Point point) {
  const int u = point.x - GetScreenX(), v = point.y - GetScreenY();
  const Drag zone = ZoneAt(u, v, GetScreenWidth(), GetScreenHeight());
  if (zone == Drag::None) return;
  drag_ = zone;
  if (zone == Drag::Moving) grab_ = {u, v};
}

void ClipperObject::OnLButtonUp(unsigned, platform::Point) {
  drag_ = Drag::None;
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

void ClipperObject::OnMouseMove(unsigned, platform::Point point) {
  if (drag_ == Drag::None) return;
  if (drag_ == Drag::Moving) {
    SetScreenRect(point.x - grab_.x, point.y - grab_.y, GetScreenWidth(), GetScreenHeight());
  } else {
    Resize(point);
  }
  UpdateFromScreenRect();
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

// Moves the dragged edges to the pointer's margin; an edge dragged past the opposite one
// turns the rectangle over and the drag continues with the mirrored zone.
void ClipperObject::Resize(platform::Point pointer) {
  int left = GetScreenX(), top = GetScreenY();
  int right = left + GetScreenWidth(), bottom = top + GetScreenHeight();
  if (DragsLeft(drag_)) left = pointer.x - kEdgeMargin;
  if (DragsRight(drag_)) right = pointer.x + kEdgeMargin;
  if (DragsTop(drag_)) top = pointer.y - kEdgeMargin;
  if (DragsBottom(drag_)) bottom = pointer.y + kEdgeMargin;
  if (right < left) {
    std::swap(left, right);
    drag_ = MirrorHorizontally(drag_);
  }
  if (bottom < top) {
    std::swap(top, bottom);
    drag_ = MirrorVertically(drag_);
  }
  SetScreenRect(left, top, right - left, bottom - top);
}

void ClipperObject::Draw() {
  ViewPrimitives* view = GetView();
  if (!view || !IsVisible()) return;
  UpdateScreenRect();
  const int x = GetScreenX(), y = GetScreenY(), w = GetScreenWidth(), h = GetScreenHeight();
  if (x + w < 0 || y + h < 0 || x > view->GetViewWidth() || y > view->GetViewHeight()) return;
  if (fillColor_ != platform::kNoColor) {
    view->SetDrawParameter(kDrawOpacity, fillOpacity_);
    view->FillRect(x, y, w, h, fillColor_);
    view->SetDrawParameter(kDrawOpacity, 0);
  }
  view->DrawRectOutline(x, y, w, h, kBlack, 1, kPenSolid);
  view->DrawRectOutline(x + 1, y + 1, w - 2, h - 2, kYellow, 1, kPenSolid);
  DrawHandle(*view, x + 1, y + 1);
  DrawHandle(*view, x + w - 11, y + 1);
  DrawHandle(*view, x + 1, y + h - 11);
  DrawHandle(*view, x + w - 11, y + h - 11);
  DrawHandle(*view, x + w / 2 - 6, y + h / 2 - 6);
  DrawSizeLabel(*view, x, y, w, h);
}

// While a corner, the right or the bottom edge is dragged: the size, black with a yellow
// copy one pixel up and left (only up for the bottom edge).
void ClipperObject::DrawSizeLabel(ViewPrimitives& view, int x, int y, int w, int h) {
  std::string text;
  const bool corner = drag_ == Drag::TopLeft || drag_ == Drag::TopRight || drag_ == Drag::BottomLeft ||
                      drag_ == Drag::BottomRight;
  if (corner) text = "(w=" + std::to_string(w) + ",h=" + std::to_string(h) + ")";
  if (drag_ == Drag::Right) text = std::to_string(w);
  if (drag_ == Drag::Bottom) text = std::to_string(h);
  if (text.empty()) return;
  view.SetTextFont("MS Sans Serif", 10, platform::kNoColor, platform::kNoColor);
  const platform::Size size = view.MeasureText(text);
  const int rightX = x + w - size.width - 10, bottomY = y + h - size.height - 10;
  platform::Point at{x + 10, y + 10};
  if (drag_ == Drag::TopRight) at = {rightX, y + 10};
  if (drag_ == Drag::BottomLeft) at = {x + 10, bottomY};
  if (drag_ == Drag::BottomRight) at = {rightX, bottomY};
  if (drag_ == Drag::Right) at = {rightX, y + h / 2};
  if (drag_ == Drag::Bottom) at = {x + w / 2, bottomY};
  view.DrawText(text, at.x, at.y, kBlack);
  view.DrawText(text, drag_ == Drag::Bottom ? at.x : at.x - 1, at.y - 1, kYellow);
}

}  // namespace zolvex
