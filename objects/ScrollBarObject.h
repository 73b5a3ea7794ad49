#pragma once
#include "objects/MapObject.h"

namespace zolvex {

// A vertical scroll bar: a grey track with a darker thumb. Dragging the thumb tells the
// listener "scrollpos" with the pointer's place in percent of the bar's height as the
// point's y.
class ScrollBarObject : public MapObject {
 public:
  ScrollBarObject();

  // position: the thumb's centre in percent of the height; size: its height in pixels.
  void SetThumb(int position, int size);
  int GetThumbPosition() const { return thumbPosition_; }
  int GetThumbSize() const { return thumbSize_; }
  // The thumb's top inside the bar, kept between 0 and the height less the thumb.
  int ThumbTop() const;

  void Draw() override;
  bool IsCapturingMouse() const override { return dragging_; }
  // Points relative to the bar.
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;

 private:
  int thumbPosition_ = 0;
  int thumbSize_ = 0;
  bool dragging_ = false;
};

}  // namespace zolvex
