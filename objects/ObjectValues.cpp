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

int PenStyleFromName(std::string_view name) {
  static constexpr std::string_view kNames[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot"};
  for (int i = 0; i < 5; ++i)
    if (EqualsNoCase(name, kNames[i])) return i;
  return 0;
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
