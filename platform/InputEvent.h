#pragma once
#include "platform/Geometry.h"

namespace zolvex::platform {

enum class MouseButton { None, Left, Middle, Right };
enum class MouseAction { Down, Up, Move, DoubleClick, Leave };

// Buttons and keys held during a mouse or key event, in the layout window messages have
// always used; the view, its hooks and the page's mouse events carry the same bits.
enum Modifier : unsigned {
  kModNone = 0,
  kModLeftButton = 0x01,
  kModRightButton = 0x02,
  kModShift = 0x04,
  kModControl = 0x08,
  kModMiddleButton = 0x10,
  kModAlt = 0x20,
};

struct MouseEvent {
  MouseAction action = MouseAction::Move;
  MouseButton button = MouseButton::None;
  Point point;             // client coordinates
  unsigned modifiers = 0;  // Modifier flags held during the event
};

struct WheelEvent {
  Point point;
  int delta = 0;  // multiples of 120 per notch; positive away from the user
  unsigned modifiers = 0;
};

// Virtual key codes: the values window systems have used for decades, so that key
// tables read the same everywhere.
enum KeyCode : int {
  kKeyBack = 0x08,
  kKeyTab = 0x09,
  kKeyReturn = 0x0D,
  kKeyShift = 0x10,
  kKeyControl = 0x11,
  kKeyEscape = 0x1B,
  kKeySpace = 0x20,
  kKeyPageUp = 0x21,
  kKeyPageDown = 0x22,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
  kKeyInsert = 0x2D,
  kKeyDelete = 0x2E,
  kKeyAdd = 0x6B,
  kKeySubtract = 0x6D,
  kKeyF1 = 0x70,
};

struct KeyEvent {
  bool down = true;
  int key = 0;             // KeyCode, or the upper-case ASCII letter or digit
  unsigned modifiers = 0;
  char32_t character = 0;  // the character typed, 0 when none
};

}  // namespace zolvex::platform
