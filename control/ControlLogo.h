#pragma once
#include <memory>
#include <string>

#include "platform/Geometry.h"

namespace zolvex {

namespace platform {
class Surface;
}
class ViewImage;

// The control's logo: our own picture, shown at a corner of the window unless the page
// hides it with LogoLocation, and following LogoLink when clicked.
class ControlLogo {
 public:
  static constexpr int kMaxLocationLength = 50;

  ControlLogo();
  ~ControlLogo();

  // "no" or "disable" (any case) hides it; "x,y,anchor" moves it, anchor 0 to 3 (others
  // count as 1). Any other text leaves it as it was.
  void SetLocation(const std::string& value);
  bool IsShown() const { return shown_ && image_; }
  platform::Point Offset() const { return offset_; }
  // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right: the window corner the offset
  // is measured from.
  int Anchor() const { return anchor_; }
  platform::Rect Area(platform::Size window) const;
  bool Contains(platform::Point point, platform::Size window) const;
  void Draw(platform::Surface& target) const;

 private:
  std::unique_ptr<ViewImage> image_;
  bool shown_ = true;
  platform::Point offset_{6, 6};
  int anchor_ = 3;
};

}  // namespace zolvex
