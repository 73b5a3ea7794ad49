#pragma once
#include <memory>
#include <mutex>

#include "image/ViewImage.h"
#include "objects/CComponentImage.h"

namespace zolvex {

// One tile of a tiled image as the view draws it: the decoded picture (or a draft made
// from other levels until the real tile arrives) at its place in the level. Unlike other
// image objects it keeps its picture under a lock of its own, because tiles arrive on
// transport threads while the view draws.
class CComponentTile : public CComponentImage {
 public:
  // Placement in pixels of the tile's level: column × tile width, row × tile height.
  CComponentTile(int level, int column, int row, int tileWidth, int tileHeight, int levelWidth, int levelHeight);

  DrawLayer GetDrawLayer() const override { return DrawLayer::Image; }
  int Level() const { return level_; }
  int Column() const { return column_; }
  int Row() const { return row_; }
  bool IsDraft() const;
  bool IsLoaded() const;
  // Replaces the picture (the old one is dropped) and whether it is a draft; the new
  // picture, upright, is turned to degrees at once. A draft may have 1/reduction of the
  // tile's resolution: it is drawn enlarged by that much.
  void SetImage(std::unique_ptr<ViewImage> image, bool draft, int degrees = 0, int reduction = 1);
  // Runs f with the picture under the tile's lock (null when it has none).
  template <typename F>
  auto WithImage(F f) const {
    std::lock_guard lock(mutex_);
    return f(image_.get());
  }
  // Turns the picture from its current angle to degrees (0, 90, 180, -90 or 270); a new
  // picture starts at angle 0.
  void SetRotation(int degrees);
  int Rotation() const;
  // Drops the display copy of the picture (made again when the tile is next drawn), so
  // that only the tiles of the frame hold one.
  void ReleaseDisplaySurface();
  // Signed quarter turns of an angle: 0, 1, 2 or -1.
  static int QuarterTurns(int degrees);
  void SetOffset(int x, int y);
  // Stretches the tile by the image's ratios (1.0: as decoded).
  void SetScale(double sx, double sy);

  void UpdateScreenRect() override;
  void Draw() override;
  std::optional<platform::Rect> OpaqueScreenArea() override;

 private:
  // Where the picture goes within the turned level, and which part of it is drawn.
  struct Placement {
    platform::Rect at;    // in pixels of the turned, stretched level
    platform::Rect part;  // of the picture as it is now
  };
  Placement Place(int imageWidth, int imageHeight) const;
  // The placement of the picture as it is now, in pixels of its level.
  Placement PlacePicture() const;
  void TurnTo(int degrees);  // under the lock

  int level_, column_, row_;
  int tileWidth_, tileHeight_;
  int levelWidth_, levelHeight_;
  int offsetX_ = 0, offsetY_ = 0;
  double scaleX_ = 1.0, scaleY_ = 1.0;
  mutable std::mutex mutex_;
  std::unique_ptr<ViewImage> image_;
  bool draft_ = false;
  int reduction_ = 1;  // level pixels per pixel of the picture, across and down
  int rotation_ = 0;
};

}  // namespace zolvex
