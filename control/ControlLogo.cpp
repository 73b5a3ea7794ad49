#include "control/ControlLogo.h"

#include <cstdio>

#include "image/ViewImage.h"
#include "net/Pictures.h"
#include "platform/Surface.h"
#include "platform/TextValues.h"

namespace zolvex {

ControlLogo::ControlLogo() : image_(LoadBitmapResource("IDB_ZOLVEX_LOGO")) {}

ControlLogo::~ControlLogo() = default;

void ControlLogo::SetLocation(const std::string& value) {
  if (EqualsNoCase(value, "no") || EqualsNoCase(value, "disable")) {
    shown_ = false;
    return;
  }
  const std::string text = value.substr(0, kMaxLocationLength);
  int x = 0, y = 0, anchor = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d", &x, &y, &anchor) != 3) return;
  shown_ = true;
  offset_ = {x, y};
  anchor_ = anchor >= 0 && anchor <= 3 ? anchor : 1;
}

platform::Rect ControlLogo::Area(platform::Size window) const {
  if (!image_) return {};
  const int width = image_->getWidth();
  const int height = image_->getHeight();
  const bool right = anchor_ == 1 || anchor_ == 3;
  const bool bottom = anchor_ >= 2;
  const int left = right ? window.width - width - offset_.x : offset_.x;
  const int top = bottom ? window.height - height - offset_.y : offset_.y;
  return platform::Rect::FromSize(left, top, width, height);
}

bool ControlLogo::Contains(platform::Point point, platform::Size window) const {
  if (!IsShown()) return false;
  const platform::Rect area = Area(window);
  return point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom;
}

void ControlLogo::Draw(platform::Surface& target) const {
  if (!IsShown()) return;
  platform::Surface* picture = image_->GetSurface();
  if (!picture) return;
  const platform::Rect area = Area({target.Width(), target.Height()});
  const qmRGBQuad key = image_->info().transparentColor;
  target.Blit(*picture, picture->Bounds(), area, platform::MakeColor(key.red, key.green, key.blue));
}

}  // namespace zolvex
