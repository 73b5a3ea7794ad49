#pragma once
#include <memory>
#include <string>

#include "objects/CComponentRect.h"

namespace zolvex {

// A button of the control's own panels: a picture that shows its pressed picture while it
// is held, and that tells its listener its command when it is clicked.
class PictureButton : public CComponentRect {
 public:
  static constexpr int kLayer = 5;

  PictureButton(std::shared_ptr<ViewImage> normal, std::shared_ptr<ViewImage> pressed, int x, int y, int width,
                int height, const std::string& command);

  // Calls the listener with the command name as the notification, the button as the flags
  // and (0, 0) as the point; without a listener nothing happens.
  void OnClick(platform::Point point, int button) override;
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;
  bool HasLinkAt(int x, int y) const override { return MapObject::HitTest(x, y); }

  const std::string& GetCommand() const { return command_; }

 private:
  std::string command_;
};

}  // namespace zolvex
