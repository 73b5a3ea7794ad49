#include "objects/PolyVectorObject.h"

#include <algorithm>
#include <cmath>

#include "objects/LineObject.h"
#include "objects/ObjectValues.h"
#include "objects/RectDragEditor.h"
#include "objects/ShapeGeometry.h"
#include "objects/XmlElementWriter.h"
#include "platform/Canvas.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kGrabDistance = 4;
// A free-hand line takes a new point once the pointer is this many pen widths away.
constexpr int kFreeHandStep = 3;

platform::Point Shifted(platform::Point p, int dx, int dy) {
  return {Truncate(double(p.x) + dx), Truncate(double(p.y) + dy)};
}

}  // namespace

PolyVectorObject::PolyVectorObject() : MapObject(0, 0, 0, 0) {}

bool PolyVectorObject::AddPoint(platform::Point point) {
  if (points_.size() >= kMaxPoints) return false;
  points_.push_back(point);
  return true;
}

void PolyVectorObject::Invalidate() {
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

// ---- Drawing and hit-testing ------------------------------------------------------------

std::vector<platform::Point> PolyVectorObject::ScreenPoints() const {
  std::vector<platform::Point> screen;
  screen.reserve(points_.size());
  for (const platform::Point& p : points_) screen.push_back({MapXToScreen(p.x), MapYToScreen(p.y)});
  return screen;
}

int PolyVectorObject::PenWidth() const {
  if (IsScreenCoordinates()) return thickness_;
  const auto metrics = ViewMetrics();
  return Truncate((metrics ? metrics->scaleX : 1.0) * thickness_);
}

void PolyVectorObject::Draw() {
  if (points_.size() < 2) return;
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view) return;
  const std::vector<platform::Point> screen = ScreenPoints();
  const int penWidth = PenWidth();
  for (std::size_t i = 1; i < screen.size(); ++i)
    view->DrawLine(screen[i - 1].x, screen[i - 1].y, screen[i].x, screen[i].y, color_, penWidth, penStyle_);
  if (closed_ && screen.size() > 2)
    view->DrawLine(screen.back().x, screen.back().y, screen.front().x, screen.front().y, color_, penWidth,
                   penStyle_);
  if (IsEditing() && pointMode_)
    for (const platform::Point& p : screen) DrawPointHandle(*view, p, color_);
  MapObject::Draw();
}

bool PolyVectorObject::HitTest(int x, int y) const {
  if (points_.size() < 2 || !GetView()) return false;
  const std::vector<platform::Point> screen = ScreenPoints();
  for (std::size_t i = 1; i < screen.size(); ++i)
    if (SegmentHit(screen[i - 1], screen[i], {x, y})) return true;
  return closed_ && SegmentHit(screen.back(), screen.front(), {x, y});
}

void PolyVectorObject::RenderToDevice(platform::Canvas& device, int dx, int dy, int, int, int) {
  ViewPrimitives* view = GetView();
  if (!view || points_.size() < 2) return;
  UpdateScreenRect();
  std::vector<platform::Point> screen = ScreenPoints();
  for (platform::Point& p : screen) p = Shifted(p, view->GetViewportX() - dx, view->GetViewportY() - dy);
  if (closed_ && screen.size() > 2) screen.push_back(screen.front());
  device.Save();
  device.SetPen({color_, std::max(PenWidth(), 1), platform::PenStyleFromNumber(penStyle_)});
  device.DrawPolyline(screen);
  device.Restore();
}

// ---- Mouse ------------------------------------------------------------------------------

bool PolyVectorObject::PointAt(platform::Point screen, platform::Point& point) const {
  return ContentPointAt(const_cast<PolyVectorObject&>(*this), screen, point);
}

void PolyVectorObject::OnLButtonDown(unsigned flags, platform::Point point) {
  MapObject::OnLButtonDown(flags, point);
  if (IsBeingCreated())
    PressWhileCreating(point);
  else if (IsEditing())
    PressToEdit(point);
}

void PolyVectorObject::PressWhileCreating(platform::Point point) {
  platform::Point content;
  if (!PointAt(point, content)) return;
  AddPoint(content);
  Invalidate();
}

void PolyVectorObject::PressToEdit(platform::Point point) {
  lastPointer_ = point;
  if (pointMode_) {
    const std::vector<platform::Point> screen = ScreenPoints();
    for (std::size_t i = 0; i < screen.size(); ++i) {
      if (std::abs(double(screen[i].x) - point.x) <= kGrabDistance &&
          std::abs(double(screen[i].y) - point.y) <= kGrabDistance) {
        dragIndex_ = static_cast<int>(i);
        return;
      }
    }
  }
  movingAll_ = HitTest(point.x, point.y);
}

void PolyVectorObject::OnMouseMove(unsigned flags, platform::Point point) {
  MapObject::OnMouseMove(flags, point);
  platform::Point content;
  if (IsBeingCreated()) {
    if (points_.empty() || !PointAt(point, content)) return;
    if (pointMode_) {
      points_.back() = content;
    } else {
      const platform::Point last{MapXToScreen(points_.back().x), MapYToScreen(points_.back().y)};
      const double step = double(kFreeHandStep) * thickness_;
      if (std::abs(double(point.x) - last.x) > step || std::abs(double(point.y) - last.y) > step) AddPoint(content);
    }
    Invalidate();
    return;
  }
  if (dragIndex_ >= 0 && static_cast<std::size_t>(dragIndex_) < points_.size()) {
    if (!PointAt(point, content)) return;
    points_[static_cast<std::size_t>(dragIndex_)] = content;
    Invalidate();
  } else if (movingAll_) {
    platform::Point from, to;
    if (!PointAt(lastPointer_, from) || !PointAt(point, to)) return;
    for (platform::Point& p : points_) p = Shifted(p, to.x - from.x, to.y - from.y);
    lastPointer_ = point;
    Invalidate();
  }
}

void PolyVectorObject::OnLButtonUp(unsigned flags, platform::Point point) {
  MapObject::OnLButtonUp(flags, point);
  if (dragIndex_ >= 0 || movingAll_) {
    dragIndex_ = -1;
    movingAll_ = false;
    Invalidate();
  }
  if (!IsBeingCreated()) return;
  if (points_.size() == 1) {
    // A click without a drag: from now on the polyline is drawn point by point.
    platform::Point content;
    if (!PointAt(point, content)) return;
    pointMode_ = true;
    AddPoint(content);
    Invalidate();
  } else if (!pointMode_) {
    EndCreation(*this, false);
  }
}

void PolyVectorObject::OnRButtonDown(unsigned flags, platform::Point point) {
  MapObject::OnRButtonDown(flags, point);
  if (!IsBeingCreated() || !pointMode_) return;
  // The point that followed the pointer is not part of the line.
  if (points_.size() > 2) points_.pop_back();
  EndCreation(*this, true);
}

// ---- Properties and saving --------------------------------------------------------------

// The polyline reads its commit from the pending values only: the built-in width is the
// object rectangle's, not a pen width.
bool PolyVectorObject::CommitProperties() {
  bool applied = MapObject::CommitProperties();
  applied |= ApplyPenStyle(PendingValue("style"), penStyle_);
  std::string thickness = PendingValue("thickness");
  if (thickness.empty()) thickness = PendingValue("width");
  if (!thickness.empty()) {
    const int before = thickness_;
    SetThickness(ParseInt(thickness));
    applied |= before != thickness_;
  }
  if (const auto color = ParseColor(PendingValue("color")); color && *color != color_) {
    color_ = *color;
    applied = true;
  }
  if (const std::string close = PendingValue("close"); !close.empty()) {
    applied |= IsYes(close) != closed_;
    closed_ = IsYes(close);
  }
  if (const std::string freeHand = PendingValue("isfreehand"); !freeHand.empty()) {
    applied |= IsYes(freeHand) == pointMode_;
    pointMode_ = !IsYes(freeHand);
  }
  return applied;
}

std::string PolyVectorObject::GetXml() const {
  XmlElementWriter xml("<polyvector ");
  xml.PendingIfNotEmpty(*this, "name");
  xml.PendingIfNotEmpty(*this, "group");
  xml.LevelRange(*this);
  xml.Color("color", color_);
  xml.PenStyle(penStyle_);
  if (thickness_ > 1) xml.Integer("thickness", thickness_);
  if (AllowsEditing()) xml.Attribute("allowediting", "yes");
  xml.YesNo("close", closed_);
  xml.YesNo("isfreehand", !pointMode_);
  xml.UnderscoreProperties(*this);
  xml.Raw(">");
  for (const platform::Point& p : points_)
    xml.Raw("\r\n<POINT x=\"" + std::to_string(p.x) + "\" y=\"" + std::to_string(p.y) + "\"/>");
  xml.Raw("\r\n</polyvector>");
  return xml.Text();
}

}  // namespace zolvex
