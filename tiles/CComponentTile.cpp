#include "tiles/CComponentTile.h"

#include <algorithm>

#include "view/ViewPrimitives.h"

namespace zolvex {

CComponentTile::CComponentTile(int level, int column, int row, int tileWidth, int tileHeight, int levelWidth,
                               int levelHeight)
    : MapObject(column * tileWidth, row * tileHeight, tileWidth, tileHeight),
      level_(level),
      column_(column),
      row_(row),
      tileWidth_(tileWidth),
      tileHeight_(tileHeight),
      levelWidth_(levelWidth),
      levelHeight_(levelHeight) {}

bool CComponentTile::IsDraft() const {
  std::lock_guard lock(mutex_);
  return draft_;
}

bool CComponentTile::IsLoaded() const {
  std::lock_guard lock(mutex_);
  return image_ && !draft_;
}

void CComponentTile::SetImage(std::unique_ptr<ViewImage> image, bool draft) {
  std::lock_guard lock(mutex_);
  image_ = std::move(image);
  draft_ = draft;
  rotation_ = 0;
}

void CComponentTile::SetRotation(int degrees) {
  std::lock_guard lock(mutex_);
  rotation_ = degrees;
}

int CComponentTile::Rotation() const {
  std::lock_guard lock(mutex_);
  return rotation_;
}

void CComponentTile::SetOffset(int x, int y) {
  offsetX_ = x;
  offsetY_ = y;
}

// Tiles are placed in pixels of their own level, so that neighbours meet without seams
// whatever the level's scale.
void CComponentTile::UpdateScreenRect() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  platform::Point shift = GetScreenOffset();
  SetScreenRect(column_ * tileWidth_ + offsetX_ + shift.x - view->GetViewportX(),
                row_ * tileHeight_ + offsetY_ + shift.y - view->GetViewportY(), tileWidth_, tileHeight_);
}

void CComponentTile::Draw() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  std::lock_guard lock(mutex_);
  UpdateScreenRect();
  if (!image_ || image_->getWidth() <= 0 || image_->getHeight() <= 0) return;
  const int x = GetScreenX(), y = GetScreenY();
  const int width = image_->getWidth(), height = image_->getHeight();
  // Tiles of the last column and row reach past the level; only the part inside is drawn.
  const int overhangRight = column_ * tileWidth_ + width - levelWidth_;
  const int overhangBelow = row_ * tileHeight_ + height - levelHeight_;
  const bool transparent = GetTransparency() != 0;
  if (overhangRight <= 0 && overhangBelow <= 0) {
    view->DrawPicture(*image_, x, y, width, height, transparent);
    return;
  }
  const int partWidth = width - std::max(overhangRight, 0);
  const int partHeight = height - std::max(overhangBelow, 0);
  if (partWidth <= 0 || partHeight <= 0) return;
  view->BlitImage(*image_, 0, 0, partWidth, partHeight, x, y, partWidth, partHeight, transparent, false);
}

}  // namespace zolvex
