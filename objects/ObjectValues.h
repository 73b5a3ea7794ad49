#pragma once
#include <string>
#include <string_view>

#include "platform/Geometry.h"

namespace zolvex {

// Numeric and text conventions shared by the overlay objects.

// Alignment bits of an object; only right and bottom change where it is placed.
enum ObjectAlignment : int {
  kAlignLeft = 1,
  kAlignCenter = 2,
  kAlignRight = 4,
  kAlignTop = 8,
  kAlignMiddle = 16,
  kAlignBottom = 32,
};

// Mouse buttons as OnClick receives them.
enum ObjectButton : int { kObjectLeftButton = 1, kObjectRightButton = 2 };

// Nearest integer, halves going toward zero: 2.5 -> 2, -2.5 -> -2, 2.6 -> 3.
int RoundHalfTowardZero(double value);
// Toward zero, saturated to the int range (NaN reads as 0).
int Truncate(double value);
// A colour as objects give it out: "#" and red, green, blue in two lower-case hex digits.
std::string FormatColor(platform::Color color);
// Pen style number of its attribute spelling ("solid", "dash", "dot", "dash-dot",
// "dash-dot-dot", any case); anything else is solid (0).
int PenStyleFromName(std::string_view name);
// A pen style property that is not empty becomes the style; true when it changed.
bool ApplyPenStyle(std::string_view value, int& style);
// The attribute spelling of a pen style number; "solid" for numbers outside 0..4.
std::string_view PenStyleName(int style);
// Alignment bits of the attributes halign ("right" 4, "center" 2, else left 1) and valign
// ("bottom" 32, "middle" 16, else top 8), any case.
int HorizontalAlignment(std::string_view halign);
int VerticalAlignment(std::string_view valign);

}  // namespace zolvex
