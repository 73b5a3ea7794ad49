#include "objects/CComponentClipper.h"

#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kOuterBorder = platform::MakeColor(0x00, 0x00, 0x00);
constexpr platform::Color kInnerBorder = platform::MakeColor(0xFF, 0xFF, 0xFF);

void FillBand(ViewPrimitives& view, const platform::Rect& band, const platform::Rect& window, platform::Color color) {
  const platform::Rect cut = band.Intersect(window);
  if (!cut.IsEmpty()) view.FillRect(cut.left, cut.top, cut.Width(), cut.Height(), color);
}

}  // namespace

CComponentClipper::CComponentClipper(int x, int y, int width, int height) : MapObject(x, y, width, height) {
  SetLayer(kLayer);
}

void CComponentClipper::Draw() {
  UpdateScreenRect();
  ViewPrimitives* view = GetView();
  if (!view) return;
  const int viewWidth = view->GetViewWidth();
  const int viewHeight = view->GetViewHeight();
  const platform::Rect frame = GetScreenRect();
  if (frame.left >= viewWidth || frame.top >= viewHeight || frame.right <= 0 || frame.bottom <= 0) return;
  // The view's background colour, black unless the page set one.
  const platform::Color background = ParseColor(view->GetBrowserProperty("BackgroundColor")).value_or(0);
  const platform::Rect window{0, 0, viewWidth, viewHeight};
  FillBand(*view, {0, 0, frame.left, viewHeight}, window, background);
  FillBand(*view, {frame.right, 0, viewWidth, viewHeight}, window, background);
  FillBand(*view, {frame.left, 0, frame.right, frame.top}, window, background);
  FillBand(*view, {frame.left, frame.bottom, frame.right, viewHeight}, window, background);
  view->DrawRectOutline(frame.left - 1, frame.top - 1, frame.Width() + 2, frame.Height() + 2, kOuterBorder, 1,
                        kPenSolid);
  view->DrawRectOutline(frame.left, frame.top, frame.Width(), frame.Height(), kInnerBorder, 1, kPenSolid);
}

}  // namespace zolvex
