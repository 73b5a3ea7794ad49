#include "view/BackButton.h"

#include <memory>

#include "image/ViewImage.h"
#include "net/Pictures.h"

namespace zolvex {

BackButton::BackButton() : CComponentRect(kMargin, kMargin + kSize, kSize, kSize, "exec:back", nullptr, nullptr) {
  // The pictures are built into the library; their corner pixel is the transparent colour.
  std::shared_ptr<ViewImage> up = LoadBitmapResource("IDB_BACK_UP");
  SetPictures(up, up, LoadBitmapResource("IDB_BACK_DOWN"));
  // One picture height below the margin, at the size of its picture.
  if (up) SetRect(kMargin, kMargin + up->getHeight(), up->getWidth(), up->getHeight());
  SetKeyTransparent(true);
  SetScreenCoordinates(true);
  SetLayer(kLayer);
  SetVisible(false);
}

}  // namespace zolvex
