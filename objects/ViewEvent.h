#pragma once
#include <string>

#include "platform/Geometry.h"

namespace zolvex {

// A notification the view posts to the control, which hands it to the host page (or acts
// on it itself). Plain data: it crosses from the view to the control's queue by value.
struct ViewEvent {
  std::string name;
  std::string param1;
  std::string param2;
  platform::Point position;  // x, y of the event when it carries a position
  int level = -1;            // -1 when the event carries no position
};

// An event about one overlay object; the host receives it as a mouse event of that object.
struct ObjectEvent : ViewEvent {
  int objectId = -1;
};

}  // namespace zolvex
