#include "objects/PictureButton.h"

namespace zolvex {

PictureButton::PictureButton(std::shared_ptr<ViewImage> normal, std::shared_ptr<ViewImage> pressed, int x, int y,
                             int width, int height, const std::string& command)
    : CComponentRect(x, y, width, height, "", normal, normal), command_(command) {
  // The normal picture stands for the mouse-over one, so hovering keeps it.
  SetPictures(normal, normal, std::move(pressed));
  SetLayer(kLayer);
}

void PictureButton::OnClick(platform::Point, int button) {
  if (ObjectListener* listener = GetListener())
    listener->OnObjectMouse(*this, command_, static_cast<unsigned>(button), {0, 0});
}

void PictureButton::OnClickWithOption(platform::Point point, int button, const std::string&) {
  OnClick(point, button);
}

}  // namespace zolvex
