#pragma once
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "image/qmImage.h"
#include "platform/Canvas.h"
#include "platform/Surface.h"
#include "view/MapView.h"

namespace zolvex {

// The view that draws: a back buffer of the window's size (and an extra one for page
// transitions) on software surfaces, the drawing primitives the composition and the
// overlay objects use, and the hand-over of finished frames to the window.
class FlipMapView : public MapView {
 public:
  explicit FlipMapView(platform::Platform& platform);
  ~FlipMapView() override;

  // (Re)creates the surfaces for a window size; 0 x 0 gives 1 x 1.
  void InitSurfaces(int width, int height);
  bool HasSurfaces() const { return back_ != nullptr; }
  // The finished frame, for the window's paint handler.
  const platform::Surface* BackBuffer() const { return back_.get(); }
  platform::Surface* ExtraBackBuffer() const { return extraBack_.get(); }
  // Draws a frame and shows it.
  void Present();
  void Redraw() override;
  // A 24-bit copy of a rectangle of the back buffer; none without surfaces.
  std::unique_ptr<ViewImage> CaptureImage(int x, int y, int width, int height) override;

  // Text settings of DrawText.
  void SetFont(const std::string& face, int size);
  void SetTextBackground(platform::Color color) { textBackground_ = color; }
  void SetTextShadow(platform::Color color, int distance);

  // Drawing primitives.
  void ClearBackground() override;
  void ClearBackgroundAround(const std::vector<platform::Rect>& covered) override;
  void FlushFrame() override;
  void DrawText(const std::string& text, int x, int y, platform::Color color) override;
  void DrawRectOutline(int x, int y, int width, int height, platform::Color color, int penWidth, int penStyle) override;
  void DrawCircle(int centerX, int centerY, int pointX, int pointY, platform::Color penColor, platform::Color fillColor,
                  int penWidth, int penStyle) override;
  void DrawRotatedRect(int left, int top, int right, int bottom, double angle, platform::Color penColor,
                       platform::Color fillColor, int penWidth, int penStyle) override;
  void DrawPolygon(std::span<const platform::Point> points, platform::Color penColor, platform::Color fillColor,
                   int penWidth, int penStyle) override;
  void DrawEllipse(int left, int top, int right, int bottom, platform::Color penColor, platform::Color fillColor,
                   int penWidth, int penStyle) override;
  void FillRect(int x, int y, int width, int height, platform::Color color) override;
  void BlitImage(ViewImage& image, int srcX, int srcY, int srcWidth, int srcHeight, int dstX, int dstY, int dstWidth,
                 int dstHeight, bool transparent, bool wholeImage) override;
  void DrawArc(bool arcOnly, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2,
               platform::Color penColor, platform::Color fillColor, int penWidth, int penStyle) override;
  void DrawLine(int x1, int y1, int x2, int y2, platform::Color color, int penWidth, int penStyle) override;
  platform::Size MeasureText(const std::string& text) override;
  void SetTextFont(const std::string& face, int size, platform::Color background, platform::Color shadow) override;
  void SetDrawParameter(int kind, int value) override;
  int GetDrawParameter(int kind) const override;

  // ---- Page transitions (FlipMapViewTransitions.cpp) ------------------------------------
  void CaptureTransitionSource() override;
  void RunTransition(const std::string& request) override;
  // A move to another page flips it when "FlipAnimation" is "yes"; otherwise it scrolls.
  using MapView::ScrollTo;
  void ScrollTo(int x, int y, bool animate) override;
  // Plays an effect ("alpha", "pageturn", "fenceflip") from the old-page surface to the
  // new-page surface (its picture in (0, 0, newSize)) in the back buffer's rectangle of
  // size at origin; every frame is shown as it is drawn.
  void PlayTransition(const std::string& effect, int direction, double durationMs, platform::Point origin,
                      platform::Size size, platform::Size newSize, bool onePage);
  // Draws the region (x, y, width, height) of a level into surface at (dx, dy): the
  // background, then the image tiles, once they arrived or 1999 ms passed.
  void RenderRegion(std::unique_ptr<platform::Surface>& surface, int dx, int dy, int x, int y, int width, int height, int level,
                    bool stretchBackground);

  // ---- Areas for saving and copying (FlipMapViewArea.cpp) ---------------------------------
  // How far the tiles of an area have come, 0 to 100, while RenderArea waits for them.
  using AreaProgress = std::function<void(double percent)>;
  static constexpr int kAreaStripSide = 1000;
  // Draws the rectangle (x, y, width, height) of a level (0-based) into image, a 24-bit
  // picture of that size: the background, the image tiles once they arrived (at most 60 s
  // for each strip of 1000 x 1000) and, with saveObjects, the document's overlay objects.
  // The view's own objects and the document's limit frame are left out. False without a
  // valid document or when no strip surface can be made (the image is then unchanged).
  bool RenderArea(qmImage& image, int x, int y, int width, int height, int level, bool stretchBackground,
                  bool saveObjects, const AreaProgress& progress = {});
  // Strips RenderArea drew for its last call (tests count them).
  int LastAreaStripCount() const { return lastAreaStrips_; }
  // Tiles of the last area still missing when its wait ended (drawn as background).
  int LastAreaMissingTiles() const { return lastAreaMissing_; }
  // Keeps surface when it has that size, else makes a new one; false when it cannot.
  static bool EnsureSurface(std::unique_ptr<platform::Surface>& surface, int width, int height);
  // The back buffer's pixel format: always 32-bit here.
  int PixelFormat() const;
  // The page sound: the downloaded one when there is one, else built-in sound 7; none
  // when "FlipSound" is "no".
  void PlayFlipSound();
  // The source of "random" transitions (tests fix it).
  void SetTransitionRandom(std::function<unsigned()> random) { random_ = std::move(random); }
  const platform::Surface* OldPageSurface() const { return oldPage_.get(); }
  const platform::Surface* NewPageSurface() const { return newPage_.get(); }

 protected:
  void ClipDrawing(const platform::Rect& area) override;
  void ResetDrawingClip() override;
  // ---- Zoom animations (FlipMapViewZoom.cpp) -----------------------------------------
  // Zooming in stretches the frame kept before the level changed; zooming out composes
  // the new frame first and stretches that.
  void AnimateZoomIn(const ZoomRequest& request) override;
  void AnimateZoomOut(const ZoomRequest& request) override;

 private:
  bool PartialOpacity() const { return opacity_ > 0 && opacity_ < 255; }
  void ApplyPen(platform::Color color, int width, int style);
  void ApplyFill(platform::Color color);
  void Fill(const platform::Rect& area, platform::Color color);
  void DrawRegionBackground(int width, int height, bool stretch);
  std::vector<MapObject*> AwaitAreaTiles(MapDocument& document, platform::Rect strip, const AreaProgress& progress,
                                         int stripIndex, int strips);
  void DrawAreaStrip(std::unique_ptr<platform::Surface>& strip, const std::vector<MapObject*>& items, int x, int y,
                     int level, bool stretchBackground, bool saveObjects);
  void FlipToPage(int ox, int oy, int nx, int ny, int w, int h, int dx, int dy, bool backward);
  void PlayZoom(bool zoomIn, const ZoomRequest& request);
  // One zoom frame: source of the extra back buffer over the whole back buffer, then the
  // objects that keep their size on the screen. False when nothing can be shown.
  bool DrawZoomFrame(bool zoomIn, const platform::Rect& source);

  std::unique_ptr<platform::Surface> back_;
  std::unique_ptr<platform::Surface> extraBack_;
  std::unique_ptr<platform::Surface> blendScratch_;
  std::unique_ptr<platform::Canvas> canvas_;
  std::unique_ptr<platform::Surface> oldPage_;
  std::unique_ptr<platform::Surface> newPage_;
  std::function<unsigned()> random_;
  std::minstd_rand randomEngine_;
  // A flip waits for tiles while other window work runs; a move asked meanwhile just moves.
  bool flipping_ = false;
  int lastAreaStrips_ = 0;
  int lastAreaMissing_ = 0;
  platform::Rect clip_;
  int opacity_ = 0;
  int storedParameter_ = 0;
  int textAlign_ = 0;
  int rasterMode_ = -1;
  static constexpr const char* kDefaultFontFace = "DejaVu Sans";
  std::string fontFace_ = kDefaultFontFace;
  int fontSize_ = 12;
  platform::Color textBackground_ = platform::kNoColor;
  platform::Color shadowColor_ = platform::kNoColor;
  int shadowDistance_ = 1;
};

}  // namespace zolvex
