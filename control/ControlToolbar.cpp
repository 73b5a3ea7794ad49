#include "control/ControlToolbar.h"

#include "platform/Canvas.h"
#include "platform/Surface.h"

namespace zolvex {

namespace {

constexpr platform::Color kBarColor = platform::MakeColor(0x1F, 0x3A, 0x68);
constexpr platform::Color kButtonColor = platform::MakeColor(0x2E, 0x55, 0x96);
constexpr platform::Color kGlyphColor = platform::MakeColor(0xFF, 0xFF, 0xFF);
constexpr int kBarAlpha = 200;

}  // namespace

void ControlToolbar::SetEnabled(bool enabled, std::int64_t now) {
  enabled_ = enabled;
  shown_ = enabled;
  lastUse_ = now;
}

void ControlToolbar::NoteUse(std::int64_t now) {
  shown_ = true;
  lastUse_ = now;
}

bool ControlToolbar::HideWhenIdle(std::int64_t now) {
  if (!IsShown() || now - lastUse_ < kHideAfterMs) return false;
  shown_ = false;
  return true;
}

platform::Rect ControlToolbar::ButtonArea(int index) const {
  const int left = kMargin * 2 + index * (kButtonSize + kMargin);
  return platform::Rect::FromSize(left, kMargin * 2, kButtonSize, kButtonSize);
}

platform::Rect ControlToolbar::Area() const {
  const platform::Rect last = ButtonArea(kButtonCount - 1);
  return platform::Rect{kMargin, kMargin, last.right + kMargin, last.bottom + kMargin};
}

ControlToolbar::Command ControlToolbar::CommandAt(platform::Point point) const {
  if (!IsShown()) return kNone;
  for (int i = 0; i < kButtonCount; ++i) {
    const platform::Rect box = ButtonArea(i);
    if (point.x >= box.left && point.x < box.right && point.y >= box.top && point.y < box.bottom) {
      return static_cast<Command>(i + 1);
    }
  }
  return kNone;
}

void ControlToolbar::Draw(platform::Surface& target) const {
  if (!IsShown()) return;
  target.BlendFill(Area(), kBarColor, kBarAlpha);
  for (int i = 0; i < kButtonCount; ++i) {
    const platform::Rect box = ButtonArea(i);
    target.Fill(box, kButtonColor);
    DrawGlyph(target, static_cast<Command>(i + 1), box);
  }
}

// Plain line glyphs: a plus, a minus, a frame with corners, an arrow to the left and a
// question mark.
void ControlToolbar::DrawGlyph(platform::Surface& target, Command command, const platform::Rect& box) const {
  platform::Canvas canvas(target);
  canvas.SetAntialias(true);
  platform::Pen pen;
  pen.color = kGlyphColor;
  pen.width = 2;
  canvas.SetPen(pen);
  const int cx = (box.left + box.right) / 2;
  const int cy = (box.top + box.bottom) / 2;
  const int r = kButtonSize / 2 - 6;
  switch (command) {
    case kZoomIn:
      canvas.DrawLine({cx, cy - r}, {cx, cy + r});
      [[fallthrough]];
    case kZoomOut:
      canvas.DrawLine({cx - r, cy}, {cx + r, cy});
      break;
    case kFit:
      canvas.DrawRectangle(platform::Rect{cx - r, cy - r + 2, cx + r, cy + r - 2});
      break;
    case kBack:
      canvas.DrawLine({cx - r, cy}, {cx + r, cy});
      canvas.DrawLine({cx - r, cy}, {cx - 2, cy - r + 1});
      canvas.DrawLine({cx - r, cy}, {cx - 2, cy + r - 1});
      break;
    case kHelp: {
      platform::Font font;
      font.size = 14;
      font.bold = true;
      canvas.SetFont(font);
      canvas.SetTextColor(kGlyphColor);
      canvas.SetTextAlign(platform::TextAlign::Center);
      canvas.DrawText({cx, box.top + 4}, "?");
      break;
    }
    case kNone:
      break;
  }
}

}  // namespace zolvex
