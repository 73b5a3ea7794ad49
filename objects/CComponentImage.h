#pragma once
#include <memory>

#include "objects/MapObject.h"

namespace zolvex {

class ViewImage;

// An object that may show a picture in its screen rectangle, with opacity, key-colour
// transparency and a clip rectangle. It keeps its current picture alive; pictures may be
// shared with other holders.
class CComponentImage : public MapObject {
 public:
  CComponentImage(int x, int y, int width, int height, std::shared_ptr<ViewImage> picture);
  ~CComponentImage() override;

  // Draws the picture, then the base (screen rectangle update and selection frame).
  void Draw() override;
  bool CanRenderToDevice() const override { return true; }
  void RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level) override;

  bool IsKeyTransparent() const { return keyTransparent_; }
  // When turned on, the picture's key colour becomes the colour of its pixel (0, 0).
  virtual void SetKeyTransparent(bool on);

  ViewImage* GetCurrentPicture() const { return currentPicture_.get(); }
  bool IsStretch() const { return stretch_; }
  // Without stretching the picture is drawn at its own size times the document's scale.
  void SetStretch(bool on) { stretch_ = on; }
  platform::Point GetPictureOffset() const { return {pictureOffsetX_, pictureOffsetY_}; }
  void SetPictureOffset(int x, int y);
  platform::Size GetPictureSize() const { return {pictureWidth_, pictureHeight_}; }
  // Values below 1 are taken from the picture when it is first drawn unstretched.
  void SetPictureSize(int width, int height);
  // A screen rectangle outside which the picture is not drawn; enabled while its width and
  // height are both 0 or more.
  void SetClipRect(int x, int y, int width, int height);
  platform::Rect GetClipRect() const { return platform::Rect::FromSize(clipX_, clipY_, clipWidth_, clipHeight_); }
  bool IsClipEnabled() const { return clipWidth_ >= 0 && clipHeight_ >= 0; }

 protected:
  void SetCurrentPicture(std::shared_ptr<ViewImage> picture) { currentPicture_ = std::move(picture); }
  const std::shared_ptr<ViewImage>& CurrentPicture() const { return currentPicture_; }
  // Makes the colour of the picture's pixel (0, 0) its key colour.
  static void UseCornerAsKeyColor(ViewImage* picture);

 private:
  void DrawPicture(ViewPrimitives& view, ViewImage& picture);
  void DrawClippedPicture(ViewPrimitives& view, ViewImage& picture);
  // Where the picture goes on the screen: the screen rectangle when stretched, else the
  // picture's own offset and size scaled by the document.
  platform::Rect PictureDestination(ViewImage& picture);

  std::shared_ptr<ViewImage> currentPicture_;
  bool keyTransparent_ = false;
  bool stretch_ = true;
  int pictureOffsetX_ = 0;
  int pictureOffsetY_ = 0;
  int pictureWidth_ = -1;
  int pictureHeight_ = -1;
  int clipX_ = -1;
  int clipY_ = -1;
  int clipWidth_ = -1;
  int clipHeight_ = -1;
};

}  // namespace zolvex
