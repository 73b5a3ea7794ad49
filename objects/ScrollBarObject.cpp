#include "objects/ScrollBarObject.h"

#include <algorithm>

namespace zolvex {

namespace {
constexpr platform::Color kTrack = platform::MakeColor(0xEC, 0xEC, 0xEC);
constexpr platform::Color kThumb = platform::MakeColor(0xD8, 0xD8, 0xD8);
}  // namespace

ScrollBarObject::ScrollBarObject() : MapObject(0, 0, 0, 0) { SetScreenCoordinates(true); }

void ScrollBarObject::SetThumb(int position, int size) {
  thumbPosition_ = position;
  thumbSize_ = size;
}

int ScrollBarObject::ThumbTop() const {
  const int height = GetScreenHeight();
  const int top = static_cast<int>(static_cast<long long>(height) * thumbPosition_ / 100) - thumbSize_ / 2;
  return std::max(0, std::min(top, height - thumbSize_));
}

void ScrollBarObject::Draw() {
  MapObject::Draw();
  ViewPrimitives* view = GetView();
  if (!view || GetScreenWidth() <= 0 || GetScreenHeight() <= 0) return;
  view->FillRect(GetScreenX(), GetScreenY(), GetScreenWidth(), GetScreenHeight(), kTrack);
  view->FillRect(GetScreenX(), GetScreenY() + ThumbTop(), GetScreenWidth(), std::min(thumbSize_, GetScreenHeight()),
                 kThumb);
}

void ScrollBarObject::OnLButtonDown(unsigned, platform::Point) { dragging_ = true; }

void ScrollBarObject::OnLButtonUp(unsigned, platform::Point) { dragging_ = false; }

void ScrollBarObject::OnMouseMove(unsigned flags, platform::Point point) {
  if (!dragging_ || GetScreenHeight() <= 0) return;
  NotifyListener("scrollpos", flags, {0, point.y * 100 / GetScreenHeight()});
}

}  // namespace zolvex
