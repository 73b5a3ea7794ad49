#pragma once
#include <memory>

#include "objects/MapObject.h"

namespace zolvex {

// The page scroller of a page-mode toolbar: a horizontal track with a thumb for pages
// 1 .. count. Pressing or dragging on the track moves the thumb and tells the listener
// "updated" with the page as the flags; releasing tells it "selected".
class PageScroller : public MapObject {
 public:
  static constexpr int kLayer = 5;

  PageScroller(int x, int y, int width, int height, std::shared_ptr<ViewImage> thumb);

  void SetPageCount(int count);
  int GetPageCount() const { return count_; }
  // Moves the thumb without telling the listener; the page is kept in 1 .. count.
  void SetPage(int page);
  int GetPage() const { return page_; }
  // The page a window x on the track stands for.
  int PageAt(int x) const;

  void Draw() override;
  bool HasLinkAt(int x, int y) const override { return HitTest(x, y); }
  bool AllowsViewDrag(int, int) const override { return false; }
  bool IsCapturingMouse() const override { return dragging_; }
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;

 private:
  int ThumbWidth() const;
  void Follow(int x);

  std::shared_ptr<ViewImage> thumb_;
  int count_ = 1;
  int page_ = 1;
  bool dragging_ = false;
};

}  // namespace zolvex
