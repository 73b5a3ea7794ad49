#pragma once
#include <memory>

#include "objects/CComponentLink.h"

namespace zolvex {

class ViewImage;

// The touch-screen back button: a round button with a left arrow in the window's top-left
// corner that runs "exec:back" when touched. It stays in window coordinates whatever the
// view shows; the view shows it while touch-screen mode is on and input keeps coming.
class BackButton : public CComponentLink {
 public:
  static constexpr int kSize = 48;
  static constexpr int kMargin = 10;
  static constexpr int kLayer = 32;

  BackButton();

  // The button's picture, raised or pressed; its corner pixel is the transparent colour.
  static std::shared_ptr<ViewImage> MakePicture(bool pressed);
};

}  // namespace zolvex
