#pragma once
#include <functional>
#include <memory>

#include "objects/CComponentImage.h"

namespace zolvex {

// A lens that follows the pointer and shows the frame around it at twice its size: the
// part of the frame drawn before it, half the lens wide and high, centred on the pointer.
// It is one of the view's own objects; it takes no clicks.
class Magnifier : public CComponentImage {
 public:
  static constexpr int kLayer = 8;
  static constexpr int kDefaultWidth = 150;
  static constexpr int kDefaultHeight = 100;
  // A copy of a window rectangle of the frame being drawn; null when there is none.
  using FrameCapture = std::function<std::unique_ptr<ViewImage>(const platform::Rect&)>;

  explicit Magnifier(FrameCapture capture);

  void SetSize(int width, int height);
  // The pointer moved: the lens is centred on it, held inside the window.
  void FollowPointer(platform::Point pointer);
  platform::Point Pointer() const { return pointer_; }

  void UpdateScreenRect() override;
  void Draw() override;
  bool IsClickThroughAt(int, int) const override { return true; }

 private:
  FrameCapture capture_;
  platform::Point pointer_{0, 0};
};

}  // namespace zolvex
