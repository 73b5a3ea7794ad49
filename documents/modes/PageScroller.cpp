#include "documents/modes/PageScroller.h"

#include <algorithm>

namespace zolvex {

namespace {

constexpr platform::Color kTrack = platform::MakeColor(0x40, 0x40, 0x40);
constexpr platform::Color kTrackEdge = platform::MakeColor(0xA0, 0xA0, 0xA0);
constexpr platform::Color kThumb = platform::MakeColor(0xE0, 0xE0, 0xE0);

}  // namespace

PageScroller::PageScroller(int x, int y, int width, int height, std::shared_ptr<ViewImage> thumb)
    : MapObject(x, y, width, height), thumb_(std::move(thumb)) {
  SetScreenCoordinates(true);
  SetLayer(kLayer);
}

void PageScroller::SetPageCount(int count) {
  count_ = std::max(count, 1);
  page_ = std::clamp(page_, 1, count_);
}

void PageScroller::SetPage(int page) { page_ = std::clamp(page, 1, count_); }

int PageScroller::ThumbWidth() const {
  if (thumb_ && thumb_->getWidth() > 0) return std::min(thumb_->getWidth(), GetScreenWidth());
  return std::min(GetScreenHeight(), GetScreenWidth());
}

int PageScroller::PageAt(int x) const {
  const int travel = GetScreenWidth() - ThumbWidth();
  if (travel <= 0 || count_ <= 1) return 1;
  const long long offset = std::clamp(x - GetScreenX() - ThumbWidth() / 2, 0, travel);
  // The nearest page to the point: each page owns an equal stretch of the travel.
  return static_cast<int>(1 + (offset * (count_ - 1) + travel / 2) / travel);
}

void PageScroller::Draw() {
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view || !IsVisible()) return;
  const platform::Rect track = GetScreenRect();
  view->FillRect(track.left, track.top, track.Width(), track.Height(), kTrack);
  view->DrawRectOutline(track.left, track.top, track.Width(), track.Height(), kTrackEdge, 1, kPenSolid);
  const int thumbWidth = ThumbWidth();
  const int travel = std::max(track.Width() - thumbWidth, 0);
  const int x = track.left + (count_ <= 1 ? 0 : static_cast<int>(static_cast<long long>(travel) * (page_ - 1) /
                                                                   (count_ - 1)));
  if (thumb_) {
    view->DrawPicture(*thumb_, x, track.top, thumbWidth, track.Height(), true);
  } else {
    view->FillRect(x, track.top, thumbWidth, track.Height(), kThumb);
  }
}

void PageScroller::Follow(int x) {
  page_ = PageAt(x);
  NotifyListener("updated", static_cast<unsigned>(page_), {x, GetScreenY()});
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, false);
}

void PageScroller::OnLButtonDown(unsigned, platform::Point point) {
  dragging_ = true;
  Follow(point.x);
}

void PageScroller::OnMouseMove(unsigned, platform::Point point) {
  if (dragging_) Follow(point.x);
}

void PageScroller::OnLButtonUp(unsigned, platform::Point point) {
  if (!dragging_) return;
  dragging_ = false;
  Follow(point.x);
  NotifyListener("selected", static_cast<unsigned>(page_), point);
}

}  // namespace zolvex
