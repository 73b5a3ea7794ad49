#include "view/RubberBandObject.h"

namespace zolvex {

namespace {
constexpr platform::Color kBandColor = platform::MakeColor(0x20, 0x20, 0xFF);
}

RubberBandObject::RubberBandObject() : MapObject(0, 0, 0, 0) {
  SetScreenCoordinates(true);
  SetLayer(kLayer);
  SetVisible(false);
}

void RubberBandObject::Draw() {
  MapObject::Draw();
  ViewPrimitives* view = GetView();
  if (!view || !IsVisible() || GetScreenWidth() <= 0 || GetScreenHeight() <= 0) return;
  view->DrawRectOutline(GetScreenX(), GetScreenY(), GetScreenWidth(), GetScreenHeight(), kBandColor, 1, kPenDash);
}

}  // namespace zolvex
