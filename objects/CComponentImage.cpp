#include "objects/CComponentImage.h"

#include <algorithm>

#include "image/ViewImage.h"
#include "objects/ObjectValues.h"
#include "platform/Canvas.h"
#include "platform/Surface.h"

namespace zolvex {

namespace {

constexpr int kOpaque = 255;

bool IsPartialOpacity(int opacity) { return opacity >= 1 && opacity <= 254; }

platform::Color KeyColorOf(const ViewImage& picture) {
  const qmRGBQuad key = picture.info().transparentColor;
  return platform::MakeColor(key.red, key.green, key.blue);
}

}  // namespace

CComponentImage::CComponentImage(int x, int y, int width, int height, std::shared_ptr<ViewImage> picture)
    : MapObject(x, y, width, height), currentPicture_(std::move(picture)) {
  SetTransparency(kOpaque);
}

CComponentImage::~CComponentImage() = default;

void CComponentImage::UseCornerAsKeyColor(ViewImage* picture) {
  if (picture && picture->isValid()) picture->info().transparentColor = picture->getPixelColor(0, 0);
}

void CComponentImage::SetKeyTransparent(bool on) {
  keyTransparent_ = on;
  if (on) UseCornerAsKeyColor(currentPicture_.get());
}

void CComponentImage::SetPictureOffset(int x, int y) {
  pictureOffsetX_ = x;
  pictureOffsetY_ = y;
}

void CComponentImage::SetPictureSize(int width, int height) {
  pictureWidth_ = width;
  pictureHeight_ = height;
}

void CComponentImage::SetClipRect(int x, int y, int width, int height) {
  clipX_ = x;
  clipY_ = y;
  clipWidth_ = width;
  clipHeight_ = height;
}

void CComponentImage::Draw() {
  ViewPrimitives* view = GetView();
  ViewImage* picture = currentPicture_.get();
  if (view && picture && GetScreenWidth() > 0 && GetScreenHeight() > 0) DrawPicture(*view, *picture);
  MapObject::Draw();
}

void CComponentImage::DrawPicture(ViewPrimitives& view, ViewImage& picture) {
  if (IsClipEnabled()) {
    if (clipWidth_ < 1 || clipHeight_ < 1) return;
    const platform::Rect screen = GetScreenRect();
    const platform::Rect overlap = screen.Intersect(GetClipRect());
    if (overlap.IsEmpty()) return;
    if (overlap != screen) {
      DrawClippedPicture(view, picture);
      return;
    }
  }
  const platform::Rect destination = PictureDestination(picture);
  view.SetDrawParameter(kDrawOpacity, GetTransparency());
  view.DrawPicture(picture, destination.left, destination.top, destination.Width(), destination.Height(),
                   IsKeyTransparent());
  view.SetDrawParameter(kDrawOpacity, kOpaque);
}

platform::Rect CComponentImage::PictureDestination(ViewImage& picture) {
  if (stretch_) return GetScreenRect();
  if (pictureWidth_ < 1) pictureWidth_ = picture.getWidth();
  if (pictureHeight_ < 1) pictureHeight_ = picture.getHeight();
  const auto metrics = ViewMetrics();
  const double scaleX = metrics ? metrics->scaleX : 1.0;
  const double scaleY = metrics ? metrics->scaleY : 1.0;
  return platform::Rect::FromSize(GetScreenX() + Truncate(scaleX * pictureOffsetX_),
                                  GetScreenY() + Truncate(scaleY * pictureOffsetY_),
                                  Truncate(scaleX * pictureWidth_), Truncate(scaleY * pictureHeight_));
}

// Draws the part of the picture that falls inside the clip rectangle, cutting the source in
// proportion so that the visible part does not move or stretch.
void CComponentImage::DrawClippedPicture(ViewPrimitives& view, ViewImage& picture) {
  const int screenX = GetScreenX();
  const int screenY = GetScreenY();
  const int screenWidth = GetScreenWidth();
  const int screenHeight = GetScreenHeight();
  const int cutLeft = std::max(clipX_ - screenX, 0);
  const int cutTop = std::max(clipY_ - screenY, 0);
  const int clipRight = clipX_ + clipWidth_;
  const int clipBottom = clipY_ + clipHeight_;
  const int visibleWidth =
      clipRight < screenX + screenWidth ? clipRight - screenX - cutLeft : screenWidth - cutLeft;
  const int visibleHeight =
      clipBottom < screenY + screenHeight ? clipBottom - screenY - cutTop : screenHeight - cutTop;
  const double fx = double(picture.getWidth()) / screenWidth;
  const double fy = double(picture.getHeight()) / screenHeight;
  view.BlitImage(picture, Truncate(fx * cutLeft), Truncate(fy * cutTop), Truncate(fx * visibleWidth),
                 Truncate(fy * visibleHeight), screenX + cutLeft, screenY + cutTop, visibleWidth, visibleHeight,
                 IsKeyTransparent(), false);
}

void CComponentImage::RenderToDevice(platform::Canvas& device, int dx, int dy, int, int, int) {
  ViewPrimitives* view = GetView();
  ViewImage* picture = currentPicture_.get();
  if (!view || !picture) return;
  UpdateScreenRect();
  if (GetScreenWidth() <= 0 || GetScreenHeight() <= 0) return;
  platform::Surface* source = picture->GetSurface();
  if (!source) return;
  const platform::Rect destination =
      PictureDestination(*picture).Offset(view->GetViewportX() - dx, view->GetViewportY() - dy);
  if (destination.IsEmpty()) return;
  const int opacity = IsPartialOpacity(GetTransparency()) ? GetTransparency() : kOpaque;

  if (!IsKeyTransparent()) {
    device.Save();
    device.SetOpacity(opacity);
    device.DrawSurface(*source, source->Bounds(), destination);
    device.Restore();
    return;
  }
  platform::Surface& target = device.Target();
  if (opacity == kOpaque) {
    target.Blit(*source, source->Bounds(), destination, KeyColorOf(*picture));
    return;
  }
  // Key colour and partial opacity: compose the keyed picture over a copy of what lies
  // beneath (only the part inside the device), then blend that copy back.
  const platform::Rect visible = destination.Intersect(target.Bounds());
  if (visible.IsEmpty()) return;
  platform::Surface scratch(visible.Width(), visible.Height());
  scratch.Blit(target, visible, scratch.Bounds());
  scratch.Blit(*source, source->Bounds(), destination.Offset(-visible.left, -visible.top), KeyColorOf(*picture));
  target.Blend(scratch, scratch.Bounds(), {visible.left, visible.top}, opacity);
}

}  // namespace zolvex
