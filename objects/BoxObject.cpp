#include "objects/BoxObject.h"

#include <algorithm>
#include <cstdint>

#include "objects/ObjectValues.h"
#include "objects/ShapeGeometry.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

int Span(int low, int high) {
  return static_cast<int>(std::clamp<std::int64_t>(std::int64_t(high) - low, 0, INT32_MAX));
}

}  // namespace

BoxObject::BoxObject(int x, int y, int bx, int by, int angle)
    : CComponentLink(x, y, 0, 0, "", nullptr, nullptr),
      cornerX_(x),
      cornerY_(y),
      cornerBX_(bx),
      cornerBY_(by),
      angle_(angle) {
  ComputeCorners();
}

void BoxObject::SetColors(platform::Color outline, platform::Color fill) {
  outlineColor_ = outline;
  boxFill_ = fill;
}

void BoxObject::ComputeCorners() {
  corners_ = TurnedCorners(cornerX_, cornerY_, cornerBX_, cornerBY_, angle_);
  const auto [minX, maxX] = std::minmax({corners_[0].x, corners_[1].x, corners_[2].x, corners_[3].x});
  const auto [minY, maxY] = std::minmax({corners_[0].y, corners_[1].y, corners_[2].y, corners_[3].y});
  SetRect(minX, minY, Span(minX, maxX), Span(minY, maxY));
  UpdateScreenRect();
}

int BoxObject::PenWidth() const {
  if (IsScreenCoordinates()) return thickness_;
  const auto metrics = ViewMetrics();
  return Truncate((metrics ? metrics->scaleX : 1.0) * thickness_);
}

void BoxObject::Draw() {
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view) return;
  for (std::size_t i = 0; i < corners_.size(); ++i)
    screenCorners_[i] = {MapXToScreen(corners_[i].x), MapYToScreen(corners_[i].y)};
  view->DrawPolygon(screenCorners_, outlineColor_, boxFill_, PenWidth(), penStyle_);
}

std::string BoxObject::GetProperty(const std::string& name) const {
  const std::string key = ToLower(name);
  if (auto it = GetPendingProperties().find(key); it != GetPendingProperties().end()) return it->second;
  if (key == "color") return FormatColor(outlineColor_);
  if (key == "colorfill") return boxFill_ == platform::kNoColor ? std::string() : FormatColor(boxFill_);
  if (key == "angle") return std::to_string(angle_);
  if (key == "bx") return std::to_string(cornerBX_);
  if (key == "by") return std::to_string(cornerBY_);
  return CComponentLink::GetProperty(name);
}

bool BoxObject::CommitBoxColor(const char* name, platform::Color& field) {
  const auto color = ParseColor(PendingValue(name));
  if (!color || *color == field) return false;
  field = *color;
  return true;
}

// A box reads its commit from the pending values only: the built-in x and y are those of
// the bounding box and the built-in colour is the link's, not the box's corners and colours.
bool BoxObject::CommitProperties() {
  bool applied = false;
  applied |= ApplyInteger(PendingValue("x"), cornerX_);
  applied |= ApplyInteger(PendingValue("y"), cornerY_);
  applied |= ApplyInteger(PendingValue("bx"), cornerBX_);
  applied |= ApplyInteger(PendingValue("by"), cornerBY_);
  applied |= ApplyInteger(PendingValue("angle"), angle_);
  applied |= ApplyPenStyle(PendingValue("style"), penStyle_);
  applied |= ApplyInteger(PendingValue("thickness"), thickness_);
  applied |= CommitBoxColor("color", outlineColor_);
  applied |= CommitBoxColor("colorfill", boxFill_);
  const std::string visible = PendingValue("visible");
  if (IsYes(visible) || IsNo(visible)) {
    applied |= IsYes(visible) != IsVisible();
    SetVisible(IsYes(visible));
  }
  ComputeCorners();
  return applied;
}

}  // namespace zolvex
