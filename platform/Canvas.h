#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/CanvasTypes.h"
#include "platform/Geometry.h"
#include "platform/Surface.h"

namespace zolvex::platform {

// 2-D drawing onto a Surface, in the manner of a window system's device context: a current
// pen, brush and font, a raster mode, clipping, an affine transform and a state stack.
//
// Integer shapes follow the window system's pixel rules: a one-pixel pen through (x, y)
// paints pixel (x, y); a rectangle or ellipse given as a Rect fills its pixels from left to
// right - 1 and top to bottom - 1, and its outline runs through the outermost of them; a
// line paints its start pixel but not its end pixel. With anti-aliasing off (the default)
// and no transform these shapes are pixel-exact. Fractional shapes (PointF) use pixel-corner
// coordinates. Clip shapes and drawing are in the coordinates of the current transform.
//
// Pen and brush drawing honours the raster mode; brush fills and images honour the
// opacity; text uses the text colour and background only. The canvas holds a reference to
// its surface, which must outlive it.
class Canvas {
 public:
  explicit Canvas(Surface& target);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Surface& Target() const;

  // Save keeps the drawing state (pen, brush, raster mode, opacity, anti-aliasing, font and
  // text settings, clip and transform); Restore returns to the last saved state and is
  // ignored without one.
  void Save();
  void Restore();

  void SetPen(const Pen& pen);
  const Pen& CurrentPen() const;
  void SetBrush(const Brush& brush);
  const Brush& CurrentBrush() const;
  void SetRasterMode(RasterMode mode);
  RasterMode CurrentRasterMode() const;
  // 0 (invisible) .. 255 (opaque) for brush fills and images.
  void SetOpacity(int alpha);
  int Opacity() const;
  void SetAntialias(bool on);
  bool Antialias() const;

  void SetFont(const Font& font);
  const Font& CurrentFont() const;
  void SetTextColor(Color color);
  // kNoColor draws text on a transparent background, any other colour fills its extent first.
  void SetTextBackground(Color color);
  void SetTextAlign(TextAlign align);
  // Dots per inch of the target, used for font sizes in points (default 96).
  void SetResolution(double dotsPerInch);

  // Transform of everything drawn and clipped afterwards; a transform that cannot be
  // inverted is refused (false) and the current one stays.
  bool SetTransform(const Matrix& matrix);
  Matrix Transform() const;
  void ResetTransform() { SetTransform(Matrix::Identity()); }

  // Clipping: each call narrows the clip to its intersection with the shape; ResetClip
  // lets drawing reach the whole surface again.
  void ClipRect(const Rect& area);
  void ClipRegion(const std::vector<Rect>& rects);  // the union of the rectangles
  void ClipPolygon(const std::vector<PointF>& points);
  void ClipEllipse(const Rect& box);
  void ResetClip();

  // Shapes: filled with the brush, then outlined with the pen.
  void FillRect(const Rect& area);                      // brush only
  void FillRect(const Rect& area, Color color);         // a solid colour (kNoColor fills nothing)
  void FillPolygon(const std::vector<PointF>& points);  // brush only, fractional corners
  void DrawLine(Point from, Point to);
  void DrawPolyline(const std::vector<Point>& points);  // pen only; every point is painted
  void DrawRectangle(const Rect& area);
  void DrawRoundRect(const Rect& area, Size corner);  // corner: width and height of the corner ellipse
  void DrawPolygon(const std::vector<Point>& points);
  void DrawEllipse(const Rect& box);
  // Arc and pie of the ellipse in box, counter-clockwise from where the ray from the centre
  // through start meets the ellipse to where the ray through end does (the whole ellipse
  // when the two rays coincide). A pie closes the arc through the centre and fills it.
  void DrawArc(const Rect& box, Point start, Point end);
  void DrawPie(const Rect& box, Point start, Point end);

  // Draws srcArea of source stretched into dstArea, or onto the parallelogram whose
  // upper-left, upper-right and lower-left corners are given. The parts of srcArea outside
  // the source are not drawn. Source pixels are taken as opaque.
  void DrawSurface(const Surface& source, const Rect& srcArea, const Rect& dstArea,
                   ImageFilter filter = ImageFilter::Bilinear);
  void DrawSurface(const Surface& source, const Rect& srcArea, PointF upperLeft, PointF upperRight, PointF lowerLeft,
                   ImageFilter filter = ImageFilter::Bilinear);

  // Text (UTF-8; invalid sequences are shown as replacement characters). The extent is
  // the width and height of the text's cell in the current font; DrawText places the top
  // of the cell at y and aligns it about x.
  Size MeasureText(const std::string& text);
  void DrawText(Point at, const std::string& text);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Writes the surface as a PNG file; false when it cannot be written.
bool SaveSurfacePng(const Surface& surface, const std::string& path);

}  // namespace zolvex::platform
