#include "view/Magnifier.h"

#include <algorithm>

#include "image/ViewImage.h"

namespace zolvex {

namespace {
constexpr platform::Color kRim = platform::MakeColor(0x40, 0x40, 0x40);
constexpr platform::Color kInnerRim = platform::MakeColor(0xFF, 0xFF, 0xFF);
}  // namespace

Magnifier::Magnifier(FrameCapture capture)
    : CComponentImage(0, 0, kDefaultWidth, kDefaultHeight, nullptr), capture_(std::move(capture)) {
  SetScreenCoordinates(true);
  SetLayer(kLayer);
  SetVisible(false);
}

void Magnifier::SetSize(int width, int height) { SetRect(GetX(), GetY(), std::max(width, 1), std::max(height, 1)); }

void Magnifier::FollowPointer(platform::Point pointer) { pointer_ = pointer; }

void Magnifier::UpdateScreenRect() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  const int width = GetWidth(), height = GetHeight();
  const int x = std::clamp(pointer_.x - width / 2, 0, std::max(view->GetViewWidth() - width, 0));
  const int y = std::clamp(pointer_.y - height / 2, 0, std::max(view->GetViewHeight() - height, 0));
  SetScreenRect(x, y, width, height);
}

void Magnifier::Draw() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  UpdateScreenRect();
  const int width = GetScreenWidth(), height = GetScreenHeight();
  // The half-size area around the pointer, held inside the window.
  const int sourceWidth = std::max(width / 2, 1), sourceHeight = std::max(height / 2, 1);
  const int sourceX = std::clamp(pointer_.x - sourceWidth / 2, 0, std::max(view->GetViewWidth() - sourceWidth, 0));
  const int sourceY = std::clamp(pointer_.y - sourceHeight / 2, 0, std::max(view->GetViewHeight() - sourceHeight, 0));
  std::shared_ptr<ViewImage> part =
      capture_ ? capture_(platform::Rect::FromSize(sourceX, sourceY, sourceWidth, sourceHeight)) : nullptr;
  SetCurrentPicture(part);
  CComponentImage::Draw();
  view->DrawRectOutline(GetScreenX(), GetScreenY(), width, height, kRim, 1, kPenSolid);
  view->DrawRectOutline(GetScreenX() + 1, GetScreenY() + 1, width - 2, height - 2, kInnerRim, 1, kPenSolid);
  SetCurrentPicture(nullptr);
}

}  // namespace zolvex
