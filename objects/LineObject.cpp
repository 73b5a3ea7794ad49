#include "objects/LineObject.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "objects/ObjectValues.h"
#include "objects/RectDragEditor.h"
#include "objects/ShapeGeometry.h"
#include "objects/XmlElementWriter.h"
#include "platform/Canvas.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kHandleOuter = platform::MakeColor(0xFF, 0xFF, 0x00);
constexpr platform::Color kHandleInner = platform::MakeColor(0x00, 0x00, 0x00);
constexpr int kGrabDistance = 4;

// The magnitude of an int, saturated (the smallest int has no positive counterpart).
int Magnitude(int value) {
  return value == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(value);
}

bool Near(platform::Point a, platform::Point b) {
  return std::abs(double(a.x) - b.x) <= kGrabDistance && std::abs(double(a.y) - b.y) <= kGrabDistance;
}

platform::Point Shifted(platform::Point p, int dx, int dy) {
  return {Truncate(double(p.x) + dx), Truncate(double(p.y) + dy)};
}

}  // namespace

void DrawPointHandle(ViewPrimitives& view, platform::Point point, platform::Color outer) {
  view.DrawRectOutline(point.x - 4, point.y - 4, 9, 9, outer, 1, kPenSolid);
  view.DrawRectOutline(point.x - 3, point.y - 3, 7, 7, kHandleInner, 1, kPenSolid);
}

LineObject::LineObject(int x1, int y1, int x2, int y2) : MapObject(0, 0, 0, 0), first_{x1, y1}, second_{x2, y2} {
  UpdateBounds();
}

int LineObject::ArrowFromName(const std::string& name) {
  if (EqualsNoCase(name, "head")) return kArrowHead;
  if (EqualsNoCase(name, "tail")) return kArrowTail;
  if (EqualsNoCase(name, "both")) return kArrowBoth;
  return kNoArrow;
}

double LineObject::ParseReal(const std::string& text) {
  const double value = std::strtod(text.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

void LineObject::SetArrowLength(double length) { arrowLength_ = length < 1 && length >= 0 ? 1.0 : length; }

void LineObject::SetEnds(platform::Point first, platform::Point second) {
  first_ = first;
  second_ = second;
  UpdateBounds();
}

void LineObject::UpdateBounds() {
  const int left = std::min(first_.x, second_.x);
  const int top = std::min(first_.y, second_.y);
  SetRect(left, top, Truncate(double(std::max(first_.x, second_.x)) - left),
          Truncate(double(std::max(first_.y, second_.y)) - top));
  // The ends are mapped relative to the screen rectangle: keep it current.
  UpdateScreenRect();
}

void LineObject::SetColors(platform::Color color, platform::Color mouseOverColor) {
  color_ = color;
  mouseOverColor_ = mouseOverColor;
  currentColor_ = hovered_ ? mouseOverColor : color;
}

// ---- Drawing ----------------------------------------------------------------------------

platform::Point LineObject::ScreenFirst() const { return {MapXToScreen(first_.x), MapYToScreen(first_.y)}; }
platform::Point LineObject::ScreenSecond() const { return {MapXToScreen(second_.x), MapYToScreen(second_.y)}; }

int LineObject::PenWidth() const {
  if (IsScreenCoordinates()) return thickness_;
  if (thickness_ < 0) return Magnitude(thickness_);
  const auto metrics = ViewMetrics();
  return Truncate((metrics ? metrics->scaleX : 1.0) * thickness_);
}

double LineObject::ScreenArrowLength() const {
  double length = arrowLength_;
  if (!IsScreenCoordinates()) {
    const auto metrics = ViewMetrics();
    length = length < 0 ? -length : length * (metrics ? metrics->scaleX : 1.0);
  }
  return length < 1 ? 1.0 : length;
}

std::vector<LineObject::Segment> LineObject::ScreenSegments() const {
  const platform::Point a = ScreenFirst();
  const platform::Point b = ScreenSecond();
  std::vector<Segment> segments{{a, b}};
  const double length = ScreenArrowLength();
  const auto addHead = [&](platform::Point tip, platform::Point other) {
    const ArrowHead head = ArrowHeadAt(tip, other, length);
    segments.push_back({head.left, tip});
    segments.push_back({head.right, tip});
  };
  if (arrow_ == kArrowHead || arrow_ == kArrowBoth) addHead(a, b);
  if (arrow_ == kArrowTail || arrow_ == kArrowBoth) addHead(b, a);
  return segments;
}

void LineObject::Draw() {
  if (IsBeingCreated() && creationStep_ == 0) return;
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view) return;
  const int penWidth = PenWidth();
  for (const auto& [from, to] : ScreenSegments())
    view->DrawLine(from.x, from.y, to.x, to.y, currentColor_, penWidth, penStyle_);
  if (IsEditing()) {
    DrawPointHandle(*view, ScreenFirst(), kHandleOuter);
    DrawPointHandle(*view, ScreenSecond(), kHandleOuter);
  }
  MapObject::Draw();
}

void LineObject::RenderToDevice(platform::Canvas& device, int dx, int dy, int, int, int) {
  ViewPrimitives* view = GetView();
  if (!view) return;
  UpdateScreenRect();
  const int offsetX = view->GetViewportX() - dx;
  const int offsetY = view->GetViewportY() - dy;
  device.Save();
  device.SetPen({color_, std::max(PenWidth(), 1), platform::PenStyleFromNumber(penStyle_)});
  for (const auto& [from, to] : ScreenSegments())
    device.DrawLine(Shifted(from, offsetX, offsetY), Shifted(to, offsetX, offsetY));
  device.Restore();
}

bool LineObject::HitTest(int x, int y) const {
  if (!GetView()) return false;
  return SegmentHit(ScreenFirst(), ScreenSecond(), {x, y});
}

// ---- Hover and links --------------------------------------------------------------------

void LineObject::ShowColor(platform::Color color) {
  if (color == currentColor_) return;
  currentColor_ = color;
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

void LineObject::OnMouseEnter() {
  if (!clicked_) {
    ShowColor(mouseOverColor_);
    hovered_ = true;
  }
  MapObject::OnMouseEnter();
}

void LineObject::OnMouseExit() {
  hovered_ = false;
  clicked_ = false;
  ShowColor(color_);
  MapObject::OnMouseExit();
}

bool LineObject::HasLinkAt(int, int) const { return !link_.empty() && !EqualsNoCase(link_, "null"); }

bool LineObject::FollowsClick(int button) const {
  if (IsEditing()) return false;
  if (button == kObjectLeftButton) return true;
  return button == kObjectRightButton && link_.size() >= 7 && StartsWithNoCase(link_, "rmenu:");
}

void LineObject::FollowLink() {
  ViewPrimitives* view = GetView();
  if (!view || !HasLinkAt(0, 0)) return;
  const bool toHost = (link_.size() >= 5 && StartsWithNoCase(link_, "ext:")) ||
                      (link_.size() >= 12 && StartsWithNoCase(link_, "ext_silent:"));
  view->QueueContent(toHost ? link_ + "<@" + std::to_string(GetId()) : link_, true);
}

void LineObject::OnClick(platform::Point, int button) {
  if (FollowsClick(button)) FollowLink();
}

void LineObject::OnClickWithOption(platform::Point, int button, const std::string&) {
  if (FollowsClick(button)) FollowLink();
}

// ---- Mouse editing ----------------------------------------------------------------------

bool LineObject::IsCapturingMouse() const { return drag_ != Drag::None || IsBeingCreated(); }

void LineObject::OnLButtonDown(unsigned flags, platform::Point point) {
  MapObject::OnLButtonDown(flags, point);
  platform::Point content;
  if (IsBeingCreated()) {
    if (creationStep_ != 0 || !ContentPointAt(*this, point, content)) return;
    SetEnds(content, content);
    creationStep_ = 1;
    if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
    return;
  }
  if (!IsEditing() || !ContentPointAt(*this, point, content)) return;
  const platform::Point a = ScreenFirst();
  const platform::Point b = ScreenSecond();
  if (Near(point, a))
    drag_ = Drag::First;
  else if (Near(point, b))
    drag_ = Drag::Second;
  else if (NearSegment(a, b, point, kGrabDistance))
    drag_ = Drag::Whole;
  dragStart_ = content;
  savedFirst_ = first_;
  savedSecond_ = second_;
}

void LineObject::OnMouseMove(unsigned flags, platform::Point point) {
  MapObject::OnMouseMove(flags, point);
  if (!hovered_) OnMouseEnter();
  const bool creating = IsBeingCreated() && creationStep_ == 1;
  if (!creating && drag_ == Drag::None) return;
  platform::Point content;
  if (!ContentPointAt(*this, point, content)) return;
  if (creating || drag_ == Drag::Second)
    SetEnds(first_, content);
  else if (drag_ == Drag::First)
    SetEnds(content, second_);
  else
    SetEnds(Shifted(savedFirst_, content.x - dragStart_.x, content.y - dragStart_.y),
            Shifted(savedSecond_, content.x - dragStart_.x, content.y - dragStart_.y));
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

void LineObject::OnLButtonUp(unsigned flags, platform::Point point) {
  MapObject::OnLButtonUp(flags, point);
  const bool wasDragging = drag_ != Drag::None;
  drag_ = Drag::None;
  if (wasDragging)
    if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
  if (IsBeingCreated() && creationStep_ == 1) {
    creationStep_ = 0;
    EndCreation(*this, true);
  }
}

// ---- Properties and saving --------------------------------------------------------------

bool LineObject::CommitProperties() {
  bool applied = MapObject::CommitProperties();
  platform::Point first = first_;
  platform::Point second = second_;
  applied |= CommitInteger("x1", first.x);
  applied |= CommitInteger("y1", first.y);
  applied |= CommitInteger("x2", second.x);
  applied |= CommitInteger("y2", second.y);
  SetEnds(first, second);
  applied |= ApplyPenStyle(GetProperty("style"), penStyle_);
  applied |= CommitInteger("thickness", thickness_);
  if (const auto color = ParseColor(GetProperty("color"))) {
    applied |= *color != color_;
    SetColors(*color, mouseOverColor_);
  }
  if (const auto color = ParseColor(GetProperty("mouseovercolor"))) {
    applied |= *color != mouseOverColor_;
    SetColors(color_, *color);
  }
  if (const std::string href = GetProperty("href"); !href.empty()) {
    applied |= href != link_;
    link_ = href;
  }
  if (const std::string arrow = GetProperty("arrow"); !arrow.empty()) {
    applied |= ArrowFromName(arrow) != arrow_;
    arrow_ = ArrowFromName(arrow);
  }
  if (const std::string length = GetProperty("arrowlength"); !length.empty()) {
    const double before = arrowLength_;
    SetArrowLength(ParseReal(length));
    applied |= before != arrowLength_;
  }
  return applied;
}

std::string LineObject::GetXml() const {
  static constexpr const char* kArrowNames[] = {"", "head", "tail", "both"};
  XmlElementWriter xml("<line ");
  xml.Integer("x1", first_.x);
  xml.Integer("y1", first_.y);
  xml.Integer("x2", second_.x);
  xml.Integer("y2", second_.y);
  xml.PendingIfNotEmpty(*this, "name");
  xml.PendingIfNotEmpty(*this, "group");
  xml.AttributeIfNotEmpty("tooltip", GetTooltip());
  xml.LevelRange(*this);
  xml.Color("color", color_);
  if (!link_.empty()) {
    xml.Attribute("href", link_);
    xml.Color("mouseovercolor", mouseOverColor_);
  }
  xml.PenStyle(penStyle_);
  if (arrow_ > kNoArrow && arrow_ <= kArrowBoth) xml.Attribute("arrow", kArrowNames[arrow_]);
  if (thickness_ > 1) xml.Integer("thickness", thickness_);
  if (AllowsEditing()) xml.Attribute("allowediting", "yes");
  xml.UnderscoreProperties(*this);
  xml.Raw("/>");
  return xml.Text();
}

}  // namespace zolvex
