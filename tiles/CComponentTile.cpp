#include "tiles/CComponentTile.h"

#include <algorithm>
#include <cmath>

#include "objects/ViewPrimitives.h"
#include "platform/Numbers.h"
#include "platform/TextValues.h"

namespace zolvex {

CComponentTile::CComponentTile(int level, int column, int row, int tileWidth, int tileHeight, int levelWidth,
                               int levelHeight)
    : CComponentImage(SaturateToInt(double(column) * tileWidth), SaturateToInt(double(row) * tileHeight), tileWidth,
                      tileHeight, nullptr),
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

void CComponentTile::SetImage(std::unique_ptr<ViewImage> image, bool draft, int degrees, int reduction) {
  std::lock_guard lock(mutex_);
  image_ = std::move(image);
  draft_ = draft;
  reduction_ = std::max(reduction, 1);
  rotation_ = 0;
  TurnTo(degrees);
}

void CComponentTile::SetRotation(int degrees) {
  std::lock_guard lock(mutex_);
  TurnTo(degrees);
}

void CComponentTile::TurnTo(int degrees) {
  const int turns = QuarterTurns(degrees - rotation_);
  rotation_ = degrees;
  if (turns == 0 || !image_) return;
  image_->rotateQuarter(turns);
  image_->ReleaseSurface();
}

void CComponentTile::ReleaseDisplaySurface() {
  std::lock_guard lock(mutex_);
  if (image_) image_->ReleaseSurface();
}

int CComponentTile::Rotation() const {
  std::lock_guard lock(mutex_);
  return rotation_;
}

void CComponentTile::SetScale(double sx, double sy) {
  std::lock_guard lock(mutex_);
  scaleX_ = sx > 0 ? sx : 1.0;
  scaleY_ = sy > 0 ? sy : 1.0;
}

void CComponentTile::SetOffset(int x, int y) {
  offsetX_ = x;
  offsetY_ = y;
}

int CComponentTile::QuarterTurns(int degrees) {
  const int turns = ((degrees / 90) % 4 + 4) % 4;
  return turns == 3 ? -1 : turns;
}

CComponentTile::Placement CComponentTile::Place(int imageWidth, int imageHeight) const {
  const int turns = QuarterTurns(rotation_);
  const bool odd = turns == 1 || turns == -1;
  // The picture as it came from the source, before it was turned.
  const int width = odd ? imageHeight : imageWidth, height = odd ? imageWidth : imageHeight;
  const int x = SaturateToInt(double(column_) * tileWidth_), y = SaturateToInt(double(row_) * tileHeight_);
  // Tiles of the last column and row reach past the level; only the part inside is drawn.
  const int partWidth = std::min(width, levelWidth_ - x), partHeight = std::min(height, levelHeight_ - y);
  // Stretched edges are rounded down where each tile starts, so neighbours meet exactly.
  auto stretch = [](int value, double scale) { return SaturateToInt(std::floor(value * scale)); };
  const int a = stretch(x, scaleX_), b = stretch(y, scaleY_);
  const int w = stretch(x + partWidth, scaleX_) - a, h = stretch(y + partHeight, scaleY_) - b;
  const int levelWidth = stretch(levelWidth_, scaleX_), levelHeight = stretch(levelHeight_, scaleY_);
  Placement placed;
  switch (turns) {
    case 1:
      placed.part = {height - partHeight, 0, height, partWidth};
      placed.at = platform::Rect::FromSize(levelHeight - b - h, a, h, w);
      break;
    case 2:
      placed.part = {width - partWidth, height - partHeight, width, height};
      placed.at = platform::Rect::FromSize(levelWidth - a - w, levelHeight - b - h, w, h);
      break;
    case -1:
      placed.part = {0, width - partWidth, partHeight, width};
      placed.at = platform::Rect::FromSize(b, levelWidth - a - w, h, w);
      break;
    default:
      placed.part = {0, 0, partWidth, partHeight};
      placed.at = platform::Rect::FromSize(a, b, w, h);
      break;
  }
  return placed;
}

// A reduced draft stands for the whole tile, which its rounded-up size may pass.
CComponentTile::Placement CComponentTile::PlacePicture() const {
  if (reduction_ == 1) return Place(image_->getWidth(), image_->getHeight());
  const bool odd = QuarterTurns(rotation_) % 2 != 0;
  return Place(std::min(image_->getWidth() * reduction_, odd ? tileHeight_ : tileWidth_),
               std::min(image_->getHeight() * reduction_, odd ? tileWidth_ : tileHeight_));
}

// Tiles are placed in pixels of their own level, so that neighbours meet without seams
// whatever the level's scale; a turned picture puts each tile where the turn takes it.
void CComponentTile::UpdateScreenRect() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  const bool odd = QuarterTurns(rotation_) % 2 != 0;
  const Placement placed =
      image_ ? PlacePicture() : Place(odd ? tileHeight_ : tileWidth_, odd ? tileWidth_ : tileHeight_);
  platform::Point shift = GetScreenOffset();
  SetScreenRect(placed.at.left + offsetX_ + shift.x - view->GetViewportX(),
                placed.at.top + offsetY_ + shift.y - view->GetViewportY(), placed.at.Width(), placed.at.Height());
}

// A tile with a picture draws every pixel of its place, unless a colour key lets some
// through.
std::optional<platform::Rect> CComponentTile::OpaqueScreenArea() {
  std::lock_guard lock(mutex_);
  if (!GetView() || !image_ || image_->getWidth() <= 0 || image_->getHeight() <= 0 || IsKeyTransparent()) {
    return std::nullopt;
  }
  // The screen rectangle is the placed part of the picture: empty when nothing of it lies
  // inside the level.
  UpdateScreenRect();
  const platform::Rect placed = GetScreenRect();
  if (placed.IsEmpty()) return std::nullopt;
  return placed;
}

void CComponentTile::Draw() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  std::lock_guard lock(mutex_);
  UpdateScreenRect();
  if (!image_ || image_->getWidth() <= 0 || image_->getHeight() <= 0) return;
  const Placement placed = PlacePicture();
  // The part in pixels of the picture: a reduced draft's edges round outwards.
  const platform::Rect part{placed.part.left / reduction_, placed.part.top / reduction_,
                            CeilDiv(placed.part.right, reduction_), CeilDiv(placed.part.bottom, reduction_)};
  const int width = part.Width(), height = part.Height();
  if (width <= 0 || height <= 0 || placed.at.IsEmpty()) return;
  const int x = GetScreenX(), y = GetScreenY();
  const bool transparent = IsKeyTransparent();
  const bool whole = width == image_->getWidth() && height == image_->getHeight();
  if (whole && placed.at.Width() == width && placed.at.Height() == height) {
    view->DrawPicture(*image_, x, y, width, height, transparent);
    return;
  }
  view->BlitImage(*image_, part.left, part.top, width, height, x, y, placed.at.Width(), placed.at.Height(),
                  transparent, false);
}

}  // namespace zolvex
