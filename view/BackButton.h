#pragma once

#include "objects/CComponentRect.h"

namespace zolvex {

// The touch-screen back button: the picture button "IDB_BACK_UP" (pressed: "IDB_BACK_DOWN")
// in the window's top-left corner that runs "exec:back" when touched. It stays in window
// coordinates whatever the view shows; the view shows it while touch-screen mode is on and
// input keeps coming.
class BackButton : public CComponentRect {
 public:
  static constexpr int kSize = 48;  // the size of its pictures
  static constexpr int kMargin = 10;
  static constexpr int kLayer = 32;

  BackButton();
};

}  // namespace zolvex
