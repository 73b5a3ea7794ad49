#include "documents/modes/PageIndicator.h"

namespace zolvex {

namespace {

constexpr platform::Color kPlate = platform::MakeColor(0x20, 0x20, 0x20);
constexpr platform::Color kText = platform::MakeColor(0xFF, 0xFF, 0xFF);
constexpr int kTextSize = 12;

}  // namespace

PageIndicator::PageIndicator(int x, int y, int width, int height) : MapObject(x, y, width, height) {
  SetScreenCoordinates(true);
  SetLayer(kLayer);
}

void PageIndicator::Draw() {
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view || !IsVisible()) return;
  const platform::Rect plate = GetScreenRect();
  view->FillRect(plate.left, plate.top, plate.Width(), plate.Height(), kPlate);
  view->SetTextFont({}, kTextSize, platform::kNoColor, platform::kNoColor);
  const platform::Size extent = view->MeasureText(text_);
  view->DrawText(text_, plate.left + (plate.Width() - extent.width) / 2, plate.top + (plate.Height() - extent.height) / 2,
                 kText);
}

}  // namespace zolvex
