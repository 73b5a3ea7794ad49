#pragma once
#include <optional>
#include <span>
#include <string>

#include "image/ViewImage.h"
#include "platform/Geometry.h"
#include "objects/ViewEvent.h"

namespace zolvex {

namespace platform {
class Platform;
}

class MapDocument;
class MapObject;

// What an overlay object may know of the document the view shows. Content sizes are in
// full-resolution content pixels; the scales are displayed pixels per content pixel at the
// current level (1.0 for a document without an image); the level size is the current
// level in displayed pixels.
struct DocumentMetrics {
  bool valid = false;
  int contentWidth = 0;
  int contentHeight = 0;
  double scaleX = 1.0;
  double scaleY = 1.0;
  int levelWidth = 0;
  int levelHeight = 0;
  int level = 0;       // the current level, from 0
  int levelCount = 0;
};

// Kinds of SetDrawParameter / GetDrawParameter.
enum DrawParameterKind : int {
  kDrawOpacity = 1,       // 0..255 for following picture and fill drawing; 0 and 255 opaque
  kDrawStored = 3,        // stored, no drawing use
  kDrawTextAlign = 4,     // non-zero centres text on its point
  kDrawLineRasterMode = 5 // -1 normal, 6 invert the destination, 13 copy
};

// Pen styles by number; any other number draws solid.
enum PenStyleNumber : int { kPenSolid = 0, kPenDash = 1, kPenDot = 2, kPenDashDot = 3, kPenDashDotDot = 4 };

// The view as overlay objects see it: the drawing primitives of the back buffer and the
// queries and services of the view that objects call. Objects call nothing else of the
// view. Colours are platform colour values (0x00BBGGRR), platform::kNoColor = none.
// Every drawing primitive does nothing while the view has no drawing surface.
class ViewPrimitives {
 public:
  virtual ~ViewPrimitives() = default;

  // ---- Drawing primitives -------------------------------------------------------------
  // Text in the view's current font; the top of the text cell at y.
  virtual void DrawText(const std::string& text, int x, int y, platform::Color color) = 0;
  // Outline through (x, y) .. (x + width - 1, y + height - 1).
  virtual void DrawRectOutline(int x, int y, int width, int height, platform::Color color, int penWidth,
                               int penStyle) = 0;
  // Circle around (centerX, centerY) through (pointX, pointY); the rest as DrawEllipse.
  virtual void DrawCircle(int centerX, int centerY, int pointX, int pointY, platform::Color penColor,
                          platform::Color fillColor, int penWidth, int penStyle) = 0;
  // The rectangle turned by angle degrees about its centre, drawn as a polygon.
  virtual void DrawRotatedRect(int left, int top, int right, int bottom, double angle, platform::Color penColor,
                               platform::Color fillColor, int penWidth, int penStyle) = 0;
  // Closed polygon.
  virtual void DrawPolygon(std::span<const platform::Point> points, platform::Color penColor,
                           platform::Color fillColor, int penWidth, int penStyle) = 0;
  // Ellipse in the box; penColor kNoColor: no outline, fillColor kNoColor: no fill. The
  // fill is blended with the opacity parameter when 0 < opacity < 255.
  virtual void DrawEllipse(int left, int top, int right, int bottom, platform::Color penColor,
                           platform::Color fillColor, int penWidth, int penStyle) = 0;
  // Filled rectangle, clipped to the view, blended when 0 < opacity < 255.
  virtual void FillRect(int x, int y, int width, int height, platform::Color color) = 0;
  // Draws the source rectangle of the image stretched into the destination rectangle.
  // transparent: the image's transparent colour is not drawn. wholeImage: when the image
  // is drawn from its pixel rows (no display surface), the source is the whole image rather
  // than the source rectangle counted from the bottom of the stored block.
  virtual void BlitImage(ViewImage& image, int srcX, int srcY, int srcWidth, int srcHeight, int dstX, int dstY,
                         int dstWidth, int dstHeight, bool transparent, bool wholeImage) = 0;
  // Arc (arcOnly) or pie of the ellipse in the box, between the rays through the two points.
  virtual void DrawArc(bool arcOnly, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2,
                       platform::Color penColor, platform::Color fillColor, int penWidth, int penStyle) = 0;
  // Straight line, with the line raster mode when it is not -1.
  virtual void DrawLine(int x1, int y1, int x2, int y2, platform::Color color, int penWidth, int penStyle) = 0;
  // Extent of the text in the current font.
  virtual platform::Size MeasureText(const std::string& text) = 0;
  // The current font of DrawText and MeasureText: a family (empty: the view's default), the
  // size in pixels, the colour filled behind drawn text and the colour of the text's shadow
  // (kNoColor: none).
  virtual void SetTextFont(const std::string& face, int size, platform::Color background,
                           platform::Color shadow) = 0;
  // Drawing state (see DrawParameterKind). GetDrawParameter answers kind 1 only, -1 else.
  virtual void SetDrawParameter(int kind, int value) = 0;
  virtual int GetDrawParameter(int kind) const = 0;

  // A picture, or a part of it starting at (srcX, srcY), stretched into the destination;
  // the source size is the image's full size.
  void DrawImage(ViewImage& image, int srcX, int srcY, int dstX, int dstY, int dstWidth, int dstHeight,
                 bool transparent) {
    BlitImage(image, srcX, srcY, image.getWidth(), image.getHeight(), dstX, dstY, dstWidth, dstHeight, transparent,
              true);
  }
  // The whole picture stretched into the destination.
  void DrawPicture(ViewImage& image, int x, int y, int width, int height, bool transparent) {
    BlitImage(image, 0, 0, image.getWidth(), image.getHeight(), x, y, width, height, transparent, true);
  }

  // ---- Queries ------------------------------------------------------------------------
  // The current document, or null. Objects read it through GetDocumentMetrics.
  virtual MapDocument* GetDocument() const = 0;
  // The shown document's sizes and scales; nothing while the view has no document.
  virtual std::optional<DocumentMetrics> GetDocumentMetrics() const = 0;
  // Size of the view in pixels.
  virtual int GetViewWidth() const = 0;
  virtual int GetViewHeight() const = 0;
  // The view's top-left corner in displayed pixels of the current level.
  virtual int GetViewportX() const = 0;
  virtual int GetViewportY() const = 0;
  // The rectangle the view may not leave, in content pixels (left, top, right, bottom);
  // all 0 while none is set.
  virtual platform::Rect GetContentRect() const = 0;

  // ---- Services -----------------------------------------------------------------------
  // Moves the view's top-left corner to (x, y) of the current level, kept inside the
  // content; report tells the page when the page under the view changed.
  virtual void SetViewPosition(int x, int y, bool redraw, bool report) = 0;
  virtual std::string GetBrowserProperty(const std::string& name) = 0;
  virtual void SetBrowserProperty(const std::string& name, const std::string& value) = 0;
  // Runs a view command; true when handled.
  virtual bool Execute(const std::string& command, const std::string& argument) = 0;
  // Runs a link later through the control's queue.
  virtual void QueueContent(const std::string& url, bool recordHistory) = 0;
  // Opens a URL at once (objects use it to play sound URLs); answers the URL opened or "".
  virtual std::string OpenUrl(const std::string& url, bool resetHistory, int x, int y, int level) = 0;
  // One of the view's own short sounds; objects use number 1 (hover).
  virtual void PlayBuiltInSound(int number) = 0;
  // Stops what OpenUrl started playing.
  virtual void StopSound() = 0;
  // Queue an event for the control (host: OnBrowserEvent, resp. OnObjectMouseEvent).
  virtual void PostViewEvent(const ViewEvent& event) = 0;
  virtual void PostObjectEvent(const ObjectEvent& event) = 0;
  // The object's appearance changed; the view repaints (at once when redraw is set).
  virtual void InvalidateObject(MapObject& object, bool redraw) = 0;
  // The user finished drawing the object: the view leaves its creation mode.
  virtual void EndObjectCreation(MapObject& object) = 0;
  // The platform services of the view (dialogs, settings, shell); null when it has none.
  virtual platform::Platform* PlatformServices() = 0;
};

}  // namespace zolvex
