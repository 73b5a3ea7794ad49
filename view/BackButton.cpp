#include "view/BackButton.h"

#include <cmath>

#include "image/ViewImage.h"

namespace zolvex {

namespace {

constexpr qmRGBQuad kKeyColor = qmMakeColor(255, 0, 255);
constexpr qmRGBQuad kRaised = qmMakeColor(70, 70, 70);
constexpr qmRGBQuad kPressed = qmMakeColor(30, 30, 30);
constexpr qmRGBQuad kArrow = qmMakeColor(255, 255, 255);

// The arrow: a head pointing left and a shaft, in coordinates relative to the centre.
bool InsideArrow(double x, double y, double radius) {
  const double head = radius * 0.45;
  const bool inHead = x >= -head && x <= 0 && std::abs(y) <= (x + head);
  const bool inShaft = x >= -head * 0.2 && x <= head && std::abs(y) <= head * 0.3;
  return inHead || inShaft;
}

}  // namespace

BackButton::BackButton()
    : CComponentLink(kMargin, kMargin + kSize, kSize, kSize, "exec:back", nullptr, nullptr) {
  SetPictures(MakePicture(false), MakePicture(false), MakePicture(true));
  SetKeyTransparent(true);
  SetScreenCoordinates(true);
  SetLayer(kLayer);
  SetVisible(false);
}

std::shared_ptr<ViewImage> BackButton::MakePicture(bool pressed) {
  auto picture = std::make_shared<ViewImage>(kSize, kSize, 24);
  const double radius = kSize / 2.0 - 1.0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double dx = x + 0.5 - kSize / 2.0, dy = y + 0.5 - kSize / 2.0;
      qmRGBQuad color = kKeyColor;
      if (dx * dx + dy * dy <= radius * radius) color = InsideArrow(dx, dy, radius) ? kArrow : pressed ? kPressed : kRaised;
      picture->setPixelColor(x, y, color);
    }
  }
  return picture;
}

}  // namespace zolvex
