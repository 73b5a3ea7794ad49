#include "objects/ObjectValues.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/Numbers.h"
#include "platform/TextValues.h"

namespace zolvex {

int RoundHalfTowardZero(double value) {
  return SaturateToInt(value >= 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

int Truncate(double value) { return SaturateToInt(std::trunc(value)); }

std::string FormatColor(platform::Color color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", platform::RedOf(color), platform::GreenOf(color),
                platform::BlueOf(color));
  return text;
}

namespace {

constexpr std::string_view kPenStyleNames[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot"};
constexpr int kPenStyleCount = 5;

}  // namespace

int PenStyleFromName(std::string_view name) {
  for (int i = 0; i < kPenStyleCount; ++i)
    if (EqualsNoCase(name, kPenStyleNames[i])) return i;
  return 0;
}

bool ApplyPenStyle(std::string_view value, int& style) {
  if (value.empty()) return false;
  const int number = PenStyleFromName(value);
  const bool changed = number != style;
  style = number;
  return changed;
}

std::string_view PenStyleName(int style) {
  return style >= 0 && style < kPenStyleCount ? kPenStyleNames[style] : kPenStyleNames[0];
}

int HorizontalAlignment(std::string_view halign) {
  if (EqualsNoCase(halign, "right")) return kAlignRight;
  if (EqualsNoCase(halign, "center")) return kAlignCenter;
  return kAlignLeft;
}

int VerticalAlignment(std::string_view valign) {
  if (EqualsNoCase(valign, "bottom")) return kAlignBottom;
  if (EqualsNoCase(valign, "middle")) return kAlignMiddle;
  return kAlignTop;
}

}  // namespace zolvex
