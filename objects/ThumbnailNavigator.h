#pragma once
#include <memory>
#include <optional>
#include <string>

#include "objects/CComponentImage.h"

namespace zolvex {

// The whole image small in the window's bottom-right corner: a marker for the part the
// window shows, the position of the window's centre above it and the level below it.
// Pressing or dragging on it moves the view there. It lives in window pixels and shows
// only while the level is larger than the window.
class ThumbnailNavigator : public CComponentImage {
 public:
  static constexpr int kDefaultMaxSize = 300;

  // picture may be null: the navigator then draws its frame and marker only.
  ThumbnailNavigator(std::shared_ptr<ViewImage> picture, int fullWidth, int fullHeight);

  // Only the size: the place follows from the window's size (see Place).
  void UpdateScreenRect() override;
  void Draw() override;
  bool HasLinkAt(int, int) const override { return true; }
  bool AllowsViewDrag(int, int) const override { return false; }
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnMouseExit() override;
  void OnClick(platform::Point point, int button) override;

  // Turns the picture by the change from the last rotation, in whole quarter turns.
  void SetRotation(int degrees);
  int GetRotation() const { return rotation_; }
  bool IsDragging() const { return dragging_; }

  // The label above the thumbnail for a window centred at (cx, cy) of a level of
  // levelWidth x levelHeight: "cx,cy", or the longitude and latitude interpolated between
  // the corners that "longlat_pos" gives.
  static std::string PositionLabel(const std::string& corners, int cx, int cy, int levelWidth, int levelHeight);

 private:
  // The area the thumbnail stands for, in pixels of the current level; with a view limit
  // its origin and size.
  struct Extent {
    int originX = 0;
    int originY = 0;
    int width = 0;
    int height = 0;
  };
  struct Limit {
    int left = 0, top = 0, right = 0, bottom = 0;
  };

  std::optional<Limit> ViewLimit() const;
  Extent LevelExtent(const DocumentMetrics& metrics) const;
  platform::Size ThumbnailSize(const DocumentMetrics& metrics) const;
  // Bottom-right corner, 3 pixels from the right and 15 from the bottom.
  void Place();
  void DrawFrameAndMarker(ViewPrimitives& view, const DocumentMetrics& metrics);
  void DrawLabels(ViewPrimitives& view, const DocumentMetrics& metrics);
  void MoveViewTo(platform::Point point);

  bool dragging_ = false;
  int rotation_ = 0;
};

}  // namespace zolvex
