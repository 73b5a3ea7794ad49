#include "view/FlipMapView.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"

namespace zolvex {

namespace {

constexpr double kDegreesToRadians = 0.017453292519944444;
constexpr int kRasterInvert = 6;

// Rounds as the rotated rectangle's corners are rounded: up only past one half.
int RoundCorner(double value) {
  double whole = std::floor(value);
  return static_cast<int>(value - whole > 0.5 ? whole + 1 : whole);
}

platform::Color TransparentColorOf(const ViewImage& image) {
  const qmImageInfo& info = image.info();
  qmRGBQuad key = info.transparentColor;
  if (info.transparentIndex >= 0 && image.getPaletteSize() > 0) key = image.getPaletteColor(info.transparentIndex);
  return platform::MakeColor(key.red, key.green, key.blue);
}

// A true-colour picture drawn opaque at its own size goes straight from its rows into the
// frame (tiles, mostly): it then needs no display copy, whose making would cost as much
// as the copy into the frame. A picture that has its display copy already draws from it.
bool CopiesRowsAsTheyAre(const ViewImage& image, bool blended, const platform::Rect& src,
                         const platform::Rect& visible) {
  return !blended && image.getBitsPerPixel() == 24 && !image.HasSurface() && src.Width() == visible.Width() &&
         src.Height() == visible.Height();
}

}  // namespace

FlipMapView::FlipMapView(platform::Platform& platform) : MapView(platform) {}

FlipMapView::~FlipMapView() = default;

void FlipMapView::InitSurfaces(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (back_ && back_->Width() == width && back_->Height() == height) return;
  canvas_.reset();
  blendScratch_.reset();
  back_ = std::make_unique<platform::Surface>(width, height);
  extraBack_ = std::make_unique<platform::Surface>(width, height);
  canvas_ = std::make_unique<platform::Canvas>(*back_);
  clip_ = back_->Bounds();
  SetViewSize(width, height);
}

void FlipMapView::Redraw() { Present(); }

void FlipMapView::Present() {
  if (!back_ || IsDrainingInput()) return;
  DrawFrame(true, true);
  // A frame held back for its tiles left the back buffer as the window shows it.
  if (!FrameHeldBack()) FlushFrame();
}

void FlipMapView::FlushFrame() { GetPlatform().Window().Invalidate(); }

std::unique_ptr<ViewImage> FlipMapView::CaptureImage(int x, int y, int width, int height) {
  if (!back_ || width <= 0 || height <= 0) return nullptr;
  auto image = std::make_unique<ViewImage>(width, height, 24);
  if (!image->isValid()) return nullptr;
  // Straight from the surface's rows: a whole frame is millions of pixels. What lies
  // outside the frame is black.
  const platform::Pixel* pixels = back_->Pixels();
  const std::size_t stride = static_cast<std::size_t>(back_->StridePixels());
  const platform::Rect inside = platform::Rect::FromSize(x, y, width, height).Intersect(back_->Bounds());
  for (int row = 0; row < height; ++row) {
    std::uint8_t* line = image->getRow(row);
    std::fill(line, line + static_cast<std::size_t>(width) * 3, std::uint8_t{0});
    if (y + row < inside.top || y + row >= inside.bottom) continue;
    const platform::Pixel* from = pixels + static_cast<std::size_t>(y + row) * stride;
    for (int column = inside.left; column < inside.right; ++column) {
      const platform::Pixel p = from[column];
      std::uint8_t* to = line + static_cast<std::size_t>(column - x) * 3;
      to[0] = static_cast<std::uint8_t>(p);
      to[1] = static_cast<std::uint8_t>(p >> 8);
      to[2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
  return image;
}

void FlipMapView::ClipDrawing(const platform::Rect& area) {
  if (!back_) return;
  clip_ = area.Intersect(back_->Bounds());
  canvas_->ResetClip();
  canvas_->ClipRect(clip_);
}

void FlipMapView::ResetDrawingClip() {
  if (!back_) return;
  clip_ = back_->Bounds();
  canvas_->ResetClip();
}

void FlipMapView::Fill(const platform::Rect& area, platform::Color color) {
  platform::Rect visible = area.Intersect(clip_);
  if (PartialOpacity()) back_->BlendFill(visible, color, opacity_);
  else back_->Fill(visible, color);
}

void FlipMapView::ClearBackground() {
  if (!back_) return;
  back_->Fill(back_->Bounds(), GetBackgroundColor());
  DrawRegionBackground(back_->Width(), back_->Height(), false);
}

void FlipMapView::ClearBackgroundAround(const std::vector<platform::Rect>& covered) {
  if (!back_) return;
  // A background picture, or a frame blended over what lies below, is painted whole.
  if (GetBackgroundImage() || PartialOpacity()) {
    ClearBackground();
    return;
  }
  const platform::Color color = GetBackgroundColor();
  for (const platform::Rect& part : platform::UncoveredParts(back_->Bounds(), covered)) back_->Fill(part, color);
}

void FlipMapView::SetFont(const std::string& face, int size) {
  fontFace_ = face;
  fontSize_ = size;
}

void FlipMapView::SetTextFont(const std::string& face, int size, platform::Color background,
                              platform::Color shadow) {
  SetFont(face.empty() ? kDefaultFontFace : face, size);
  textBackground_ = background;
  shadowColor_ = shadow;
}

void FlipMapView::SetTextShadow(platform::Color color, int distance) {
  shadowColor_ = color;
  shadowDistance_ = distance;
}

void FlipMapView::ApplyPen(platform::Color color, int width, int style) {
  canvas_->SetPen({color, std::max(width, 1), platform::PenStyleFromNumber(style)});
}

void FlipMapView::ApplyFill(platform::Color color) { canvas_->SetBrush(platform::Brush::Solid(color)); }

void FlipMapView::DrawText(const std::string& text, int x, int y, platform::Color color) {
  if (!canvas_) return;
  canvas_->Save();
  canvas_->SetFont({fontFace_, static_cast<double>(fontSize_), platform::FontUnit::Pixels, false, false, false});
  canvas_->SetTextAlign(textAlign_ ? platform::TextAlign::Center : platform::TextAlign::Left);
  canvas_->SetTextBackground(platform::kNoColor);
  if (shadowColor_ != platform::kNoColor) {
    canvas_->SetTextColor(shadowColor_);
    canvas_->DrawText({x + shadowDistance_, y + shadowDistance_}, text);
  }
  canvas_->SetTextBackground(textBackground_);
  canvas_->SetTextColor(color);
  canvas_->DrawText({x, y}, text);
  canvas_->Restore();
}

platform::Size FlipMapView::MeasureText(const std::string& text) {
  if (!canvas_) return {};
  canvas_->SetFont({fontFace_, static_cast<double>(fontSize_), platform::FontUnit::Pixels, false, false, false});
  return canvas_->MeasureText(text);
}

void FlipMapView::DrawRectOutline(int x, int y, int width, int height, platform::Color color, int penWidth,
                                  int penStyle) {
  const platform::Point corners[] = {{x, y}, {x + width - 1, y}, {x + width - 1, y + height - 1}, {x, y + height - 1}};
  DrawPolygon(corners, color, platform::kNoColor, penWidth, penStyle);
}

void FlipMapView::DrawCircle(int centerX, int centerY, int pointX, int pointY, platform::Color penColor,
                             platform::Color fillColor, int penWidth, int penStyle) {
  int radius = static_cast<int>(std::hypot(pointX - centerX, pointY - centerY));
  DrawEllipse(centerX - radius, centerY - radius, centerX + radius, centerY + radius, penColor, fillColor, penWidth,
              penStyle);
}

void FlipMapView::DrawRotatedRect(int left, int top, int right, int bottom, double angle, platform::Color penColor,
                                  platform::Color fillColor, int penWidth, int penStyle) {
  const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
  const double radians = angle * kDegreesToRadians, c = std::cos(radians), s = std::sin(radians);
  platform::Point corners[4];
  const double xs[] = {double(left), double(right), double(right), double(left)};
  const double ys[] = {double(top), double(top), double(bottom), double(bottom)};
  for (int i = 0; i < 4; ++i) {
    double dx = xs[i] - cx, dy = ys[i] - cy;
    corners[i] = {RoundCorner(cx + dx * c - dy * s), RoundCorner(cy + dx * s + dy * c)};
  }
  DrawPolygon(corners, penColor, fillColor, penWidth, penStyle);
}

void FlipMapView::DrawPolygon(std::span<const platform::Point> points, platform::Color penColor,
                              platform::Color fillColor, int penWidth, int penStyle) {
  if (!canvas_ || points.empty()) return;
  canvas_->Save();
  ApplyPen(penColor, penWidth, penStyle);
  ApplyFill(fillColor);
  canvas_->DrawPolygon(std::vector<platform::Point>(points.begin(), points.end()));
  canvas_->Restore();
}

void FlipMapView::DrawEllipse(int left, int top, int right, int bottom, platform::Color penColor,
                              platform::Color fillColor, int penWidth, int penStyle) {
  if (!canvas_) return;
  canvas_->Save();
  ApplyPen(penColor, penWidth, penStyle);
  ApplyFill(fillColor);
  if (PartialOpacity()) canvas_->SetOpacity(opacity_);
  canvas_->DrawEllipse({left, top, right, bottom});
  canvas_->Restore();
}

void FlipMapView::FillRect(int x, int y, int width, int height, platform::Color color) {
  if (!back_) return;
  Fill(platform::Rect::FromSize(x, y, width, height), color);
}

void FlipMapView::BlitImage(ViewImage& image, int srcX, int srcY, int srcWidth, int srcHeight, int dstX, int dstY,
                            int dstWidth, int dstHeight, bool transparent, bool) {
  if (!back_ || !image.isValid() || srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return;
  // Clip the destination and move the source edges in proportion.
  const platform::Rect dst = platform::Rect::FromSize(dstX, dstY, dstWidth, dstHeight);
  const platform::Rect visible = dst.Intersect(clip_);
  if (visible.IsEmpty()) return;
  const double sx = double(srcWidth) / dstWidth, sy = double(srcHeight) / dstHeight;
  platform::Rect src{srcX + static_cast<int>(std::lround((visible.left - dst.left) * sx)),
                     srcY + static_cast<int>(std::lround((visible.top - dst.top) * sy)),
                     srcX + srcWidth - static_cast<int>(std::lround((dst.right - visible.right) * sx)),
                     srcY + srcHeight - static_cast<int>(std::lround((dst.bottom - visible.bottom) * sy))};
  if (src.IsEmpty()) return;
  if (CopiesRowsAsTheyAre(image, transparent || PartialOpacity(), src, visible)) {
    back_->CopyBgrRows(image.getRow(0), -static_cast<std::ptrdiff_t>(image.getStride()),
                       platform::Rect::FromSize(0, 0, image.getWidth(), image.getHeight()), src,
                       {visible.left, visible.top});
    return;
  }
  platform::Surface* surface = image.GetSurface();
  if (!surface) return;
  std::optional<platform::Color> key;
  if (transparent) key = TransparentColorOf(image);
  if (PartialOpacity()) {
    if (!blendScratch_) blendScratch_ = std::make_unique<platform::Surface>(back_->Width(), back_->Height());
    blendScratch_->Blit(*back_, visible, visible);
    blendScratch_->Blit(*surface, src, visible, key);
    back_->Blend(*blendScratch_, visible, {visible.left, visible.top}, opacity_);
    return;
  }
  back_->Blit(*surface, src, visible, key);
}

void FlipMapView::DrawArc(bool arcOnly, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2,
                          platform::Color penColor, platform::Color fillColor, int penWidth, int penStyle) {
  if (!canvas_) return;
  canvas_->Save();
  ApplyPen(penColor, penWidth, penStyle);
  ApplyFill(fillColor);
  if (arcOnly) canvas_->DrawArc({left, top, right, bottom}, {x1, y1}, {x2, y2});
  else canvas_->DrawPie({left, top, right, bottom}, {x1, y1}, {x2, y2});
  canvas_->Restore();
}

void FlipMapView::DrawLine(int x1, int y1, int x2, int y2, platform::Color color, int penWidth, int penStyle) {
  if (!canvas_) return;
  canvas_->Save();
  ApplyPen(color, penWidth, penStyle);
  if (rasterMode_ == kRasterInvert) canvas_->SetRasterMode(platform::RasterMode::Invert);
  canvas_->DrawLine({x1, y1}, {x2, y2});
  canvas_->Restore();
  if (rasterMode_ != -1) rasterMode_ = 13;  // back to copy
}

void FlipMapView::SetDrawParameter(int kind, int value) {
  switch (kind) {
    case kDrawOpacity: opacity_ = value; break;
    case kDrawStored: storedParameter_ = value; break;
    case kDrawTextAlign: textAlign_ = value; break;
    case kDrawLineRasterMode: rasterMode_ = value; break;
    default: break;
  }
}

int FlipMapView::GetDrawParameter(int kind) const { return kind == kDrawOpacity ? opacity_ : -1; }

}  // namespace zolvex
