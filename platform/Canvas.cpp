#include "platform/Canvas.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numbers>
#include <tuple>

#include "platform/NativeSurface.h"
#include "platform/TextLayout.h"

namespace zolvex::platform {

namespace {

struct CairoDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoPatternDeleter {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};

using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoPatternPtr = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;

// Adds a figure to the current path of a cairo context (in user coordinates).
using PathBuilder = std::function<void(cairo_t*)>;

constexpr double kTwoPi = 2 * std::numbers::pi;
// Device coordinates beyond this are cut off before rasterising one-pixel pens, so that
// absurd coordinates cost neither time nor memory.
constexpr double kRasterLimit = 1 << 22;
constexpr double kMaxFontPixels = 4096;

void SetColorSource(cairo_t* cr, Color color, double alpha) {
  cairo_set_source_rgba(cr, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0, alpha);
}

// The centre of pixel (x, y) in cairo's pixel-corner coordinates: where a pen through the
// point runs.
PointF Centre(Point p) { return {p.x + 0.5, p.y + 0.5}; }

Rect Normalised(const Rect& r) {
  return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

// Dash patterns (on, off, ...) in pixels of the window system's one-pixel pens.
std::vector<int> PixelPattern(PenStyle style) {
  switch (style) {
    case PenStyle::Dash:
      return {18, 6};
    case PenStyle::Dot:
      return {3, 3};
    case PenStyle::DashDot:
      return {9, 6, 3, 6};
    case PenStyle::DashDotDot:
      return {9, 3, 3, 3, 3, 3};
    case PenStyle::Solid:
      break;
  }
  return {};
}

// Dash patterns of anti-aliased pens, in multiples of the pen width.
std::vector<double> ScaledPattern(PenStyle style) {
  switch (style) {
    case PenStyle::Dash:
      return {3, 1};
    case PenStyle::Dot:
      return {1, 1};
    case PenStyle::DashDot:
      return {3, 1, 1, 1};
    case PenStyle::DashDotDot:
      return {3, 1, 1, 1, 1, 1};
    case PenStyle::Solid:
      break;
  }
  return {};
}

// Cuts the segment a-b to the square |x|, |y| <= limit (Liang-Barsky); false when nothing
// of it lies inside.
bool CutToSquare(PointF& a, PointF& b, double limit) {
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x + limit, limit - a.x, a.y + limit, limit - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  const PointF start = a;
  a = {start.x + t0 * dx, start.y + t0 * dy};
  b = {start.x + t1 * dx, start.y + t1 * dy};
  return true;
}

// One-pixel pen strokes as the window system paints them: a Bresenham walk from pixel to
// pixel, each segment without its end pixel, with the style pattern advancing one step per
// pixel across the whole figure. The pixels are collected and then painted as one path, so
// a pixel that several segments reach is painted (or inverted) once.
class PixelStroke {
 public:
  PixelStroke(PenStyle style, const Rect& bounds) : pattern_(PixelPattern(style)), bounds_(bounds) {
    for (int length : pattern_) period_ += length;
  }

  // Walks from device point a to b; returns whether it moved at least one pixel.
  bool Segment(PointF a, PointF b, bool includeEnd) {
    if (!CutToSquare(a, b, kRasterLimit)) return false;
    const int64_t ax = static_cast<int64_t>(std::floor(a.x)), ay = static_cast<int64_t>(std::floor(a.y));
    const int64_t bx = static_cast<int64_t>(std::floor(b.x)), by = static_cast<int64_t>(std::floor(b.y));
    const bool xMajor = std::llabs(bx - ax) >= std::llabs(by - ay);
    const Axis major = xMajor ? Axis{ax, bx, bounds_.left, bounds_.right} : Axis{ay, by, bounds_.top, bounds_.bottom};
    const Axis minor = xMajor ? Axis{ay, by, bounds_.top, bounds_.bottom} : Axis{ax, bx, bounds_.left, bounds_.right};
    const int64_t majorLength = std::llabs(major.to - major.from);
    const int64_t minorLength = std::llabs(minor.to - minor.from);
    const int64_t majorSign = major.to >= major.from ? 1 : -1;
    const int64_t minorSign = minor.to >= minor.from ? 1 : -1;
    // Only the steps whose major coordinate lies on the surface are walked.
    int64_t first = majorSign > 0 ? major.low - major.from : major.from - (major.high - 1);
    int64_t last = majorSign > 0 ? (major.high - 1) - major.from : major.from - major.low;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, majorLength - (includeEnd ? 0 : 1));
    for (int64_t i = first; i <= last; ++i) {
      if (!PatternOn(position_ + i)) continue;
      const int64_t m = major.from + majorSign * i;
      const int64_t offset = majorLength == 0 ? 0 : (2 * i * minorLength + majorLength) / (2 * majorLength);
      const int64_t n = minor.from + minorSign * offset;
      Plot(xMajor ? m : n, xMajor ? n : m);
    }
    position_ += majorLength;
    return majorLength > 0;
  }

  // Walks the current path of cr, flattened and taken to device coordinates.
  void Trace(cairo_t* cr, bool includeLastPixel) {
    cairo_path_t* flat = cairo_copy_path_flat(cr);
    for (int i = 0; flat->status == CAIRO_STATUS_SUCCESS && i < flat->num_data; i += flat->data[i].header.length) {
      const cairo_path_data_t* data = &flat->data[i];
      switch (data->header.type) {
        case CAIRO_PATH_MOVE_TO:
          EndFigure(includeLastPixel);
          start_ = current_ = ToDevice(cr, data[1]);
          moved_ = false;
          break;
        case CAIRO_PATH_LINE_TO:
          LineTo(ToDevice(cr, data[1]));
          break;
        case CAIRO_PATH_CLOSE_PATH:
          LineTo(start_);
          // A closed figure smaller than a pixel still shows as one.
          if (!moved_) Dot(start_);
          open_ = false;
          break;
        case CAIRO_PATH_CURVE_TO:
          break;  // a flattened path has none
      }
    }
    EndFigure(includeLastPixel);
    cairo_path_destroy(flat);
  }

  void Dot(PointF p) {
    if (std::fabs(p.x) > kRasterLimit || std::fabs(p.y) > kRasterLimit) return;
    Plot(static_cast<int64_t>(std::floor(p.x)), static_cast<int64_t>(std::floor(p.y)));
  }

  // Adds the collected pixels to the path of cr (device coordinates), merged into runs
  // along the rows, and runs of the same columns on rows one below the other into one
  // rectangle: an upright edge is then one rectangle, not one per pixel, for cairo to fill.
  void AddToPath(cairo_t* cr) {
    std::sort(pixels_.begin(), pixels_.end(),
              [](const Point& l, const Point& r) { return l.y != r.y ? l.y < r.y : l.x < r.x; });
    pixels_.erase(std::unique(pixels_.begin(), pixels_.end()), pixels_.end());
    std::vector<Rect> runs;
    for (size_t i = 0; i < pixels_.size();) {
      size_t end = i + 1;
      while (end < pixels_.size() && pixels_[end].y == pixels_[i].y && pixels_[end].x == pixels_[end - 1].x + 1) ++end;
      runs.push_back({pixels_[i].x, pixels_[i].y, pixels_[i].x + static_cast<int>(end - i), pixels_[i].y + 1});
      i = end;
    }
    std::sort(runs.begin(), runs.end(), [](const Rect& l, const Rect& r) {
      return std::tie(l.left, l.right, l.top) < std::tie(r.left, r.right, r.top);
    });
    for (size_t i = 0; i < runs.size();) {
      size_t end = i + 1;
      while (end < runs.size() && runs[end].left == runs[i].left && runs[end].right == runs[i].right &&
             runs[end].top == runs[end - 1].bottom) {
        ++end;
      }
      const Rect& first = runs[i];
      cairo_rectangle(cr, first.left, first.top, first.Width(), runs[end - 1].bottom - first.top);
      i = end;
    }
  }

 private:
  struct Axis {
    int64_t from, to;   // the walk's coordinates on this axis
    int64_t low, high;  // the surface's extent on this axis (high exclusive)
  };

  static PointF ToDevice(cairo_t* cr, const cairo_path_data_t& point) {
    double x = point.point.x, y = point.point.y;
    cairo_user_to_device(cr, &x, &y);
    return {x, y};
  }

  void LineTo(PointF next) {
    moved_ = Segment(current_, next, false) || moved_;
    current_ = next;
    open_ = true;
  }

  void EndFigure(bool includeLastPixel) {
    if (open_ && includeLastPixel) Dot(current_);
    open_ = false;
  }

  bool PatternOn(int64_t step) const {
    if (period_ == 0) return true;
    int64_t phase = step % period_;
    for (size_t i = 0; i < pattern_.size(); ++i) {
      if (phase < pattern_[i]) return i % 2 == 0;
      phase -= pattern_[i];
    }
    return true;
  }

  void Plot(int64_t x, int64_t y) {
    if (x < bounds_.left || x >= bounds_.right || y < bounds_.top || y >= bounds_.bottom) return;
    pixels_.push_back({static_cast<int>(x), static_cast<int>(y)});
  }

  std::vector<int> pattern_;
  int64_t period_ = 0;
  int64_t position_ = 0;
  Rect bounds_;
  std::vector<Point> pixels_;
  PointF start_, current_;  // of the figure being traced
  bool open_ = false;
  bool moved_ = false;
};

// Counter-clockwise (on the screen) elliptic arc about (cx, cy) from parameter angle `from`
// down to `to`, continuing the current sub-path when there is one.
void AddArc(cairo_t* cr, double cx, double cy, double rx, double ry, double from, double to) {
  while (to > from) to -= kTwoPi;
  if (rx > 0 && ry > 0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc_negative(cr, 0, 0, 1, from, to);
    cairo_restore(cr);
    return;
  }
  // A flat ellipse cannot be scaled from a circle: sample it.
  constexpr int kSteps = 64;
  for (int i = 0; i <= kSteps; ++i) {
    const double t = from + (to - from) * i / kSteps;
    const double x = cx + rx * std::cos(t), y = cy + ry * std::sin(t);
    if (cairo_has_current_point(cr))
      cairo_line_to(cr, x, y);
    else
      cairo_move_to(cr, x, y);
  }
}

void AddEllipse(cairo_t* cr, double left, double top, double right, double bottom) {
  cairo_new_sub_path(cr);
  AddArc(cr, (left + right) / 2, (top + bottom) / 2, (right - left) / 2, (bottom - top) / 2, 0, -kTwoPi);
  cairo_close_path(cr);
}

void AddPolygon(cairo_t* cr, const std::vector<PointF>& points) {
  cairo_new_sub_path(cr);
  for (const PointF& p : points) cairo_line_to(cr, p.x, p.y);
  cairo_close_path(cr);
}

std::vector<PointF> Centres(const std::vector<Point>& points) {
  std::vector<PointF> out;
  out.reserve(points.size());
  for (const Point& p : points) out.push_back(Centre(p));
  return out;
}

void AddRoundRect(cairo_t* cr, double left, double top, double right, double bottom, double rx, double ry) {
  rx = std::clamp(rx, 0.0, (right - left) / 2);
  ry = std::clamp(ry, 0.0, (bottom - top) / 2);
  const double quarter = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  // Counter-clockwise, as AddArc runs: top-right, top-left, bottom-left, bottom-right.
  AddArc(cr, right - rx, top + ry, rx, ry, 0, -quarter);
  AddArc(cr, left + rx, top + ry, rx, ry, -quarter, -2 * quarter);
  AddArc(cr, left + rx, bottom - ry, rx, ry, 2 * quarter, quarter);
  AddArc(cr, right - rx, bottom - ry, rx, ry, quarter, 0);
  cairo_close_path(cr);
}

// The parameter angle of the ellipse point on the ray from the centre through (dx, dy).
double RayAngle(double dx, double dy, double rx, double ry) { return std::atan2(dy * rx, dx * ry); }

// An opaque view of area of source: the pixels themselves, or a copy when the canvas
// draws onto the same surface.
CairoSurfacePtr OpaqueImage(const Surface& source, const Rect& area, bool copy) {
  const Pixel* pixels = source.Pixels() + static_cast<size_t>(area.top) * source.StridePixels() + area.left;
  const int stride = source.StridePixels() * 4;
  if (!copy) {
    // cairo only reads a source surface; the data stays the Surface's.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<Pixel*>(pixels));
    return CairoSurfacePtr(
        cairo_image_surface_create_for_data(data, CAIRO_FORMAT_RGB24, area.Width(), area.Height(), stride));
  }
  CairoSurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, area.Width(), area.Height()));
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return image;
  unsigned char* to = cairo_image_surface_get_data(image.get());
  const int toStride = cairo_image_surface_get_stride(image.get());
  for (int y = 0; y < area.Height(); ++y) {
    std::memcpy(to + static_cast<size_t>(y) * toStride,
                reinterpret_cast<const unsigned char*>(pixels) + static_cast<size_t>(y) * stride,
                static_cast<size_t>(area.Width()) * 4);
  }
  cairo_surface_mark_dirty(image.get());
  return image;
}

// A pattern of the area of source placed on the canvas by toCanvas (from source pixel
// coordinates); null when the placement is flat or the image cannot be made.
CairoPatternPtr ImagePattern(const Surface& source, const Rect& area, const Matrix& toCanvas, ImageFilter filter,
                             bool copy) {
  const Matrix imageToCanvas = Matrix::Translation(area.left, area.top).Then(toCanvas);
  cairo_matrix_t matrix = {imageToCanvas.xx, imageToCanvas.yx, imageToCanvas.xy,
                           imageToCanvas.yy, imageToCanvas.x0, imageToCanvas.y0};
  // cairo's pattern matrix maps the canvas back to the image.
  if (!imageToCanvas.IsInvertible() || cairo_matrix_invert(&matrix) != CAIRO_STATUS_SUCCESS) return nullptr;
  CairoSurfacePtr image = OpaqueImage(source, area, copy);
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(image.get()));
  cairo_pattern_set_matrix(pattern.get(), &matrix);
  cairo_pattern_set_filter(pattern.get(),
                           filter == ImageFilter::Nearest ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR);
  // Bilinear sampling at the edges repeats the edge pixels instead of fading out.
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  return pattern;
}

double ChannelOf(Pixel p, int shift) { return ((p >> shift) & 0xFF) / 255.0; }

void AddGradientStop(cairo_pattern_t* pattern, double position, const Brush& brush, double factor, double alpha) {
  auto mix = [&](int shift) {
    return ChannelOf(brush.fromColor, shift) +
           (ChannelOf(brush.toColor, shift) - ChannelOf(brush.fromColor, shift)) * factor;
  };
  cairo_pattern_add_color_stop_rgba(pattern, std::clamp(position, 0.0, 1.0), mix(16), mix(8), mix(0), mix(24) * alpha);
}

struct State {
  Pen pen;
  Brush brush;
  Font font;
  Color textColor = 0;
  Color textBackground = kNoColor;
  TextAlign textAlign = TextAlign::Left;
  RasterMode raster = RasterMode::Copy;
  int opacity = 255;
  bool antialias = false;
};

}  // namespace

struct Canvas::Impl {
  explicit Impl(Surface& surface) : target(surface), cr(cairo_create(surface.Native().surface)) {}

  Surface& target;
  std::unique_ptr<cairo_t, CairoDeleter> cr;
  // Made by the first text: a canvas that never draws text never starts the text machinery
  // (on the desktop a fontconfig scan of the system's fonts).
  std::unique_ptr<TextLayout> layout;
  State state;
  std::vector<State> saved;
  double dotsPerInch = 96;
  bool fontChanged = true;

  cairo_t* Cr() const { return cr.get(); }
  bool HasPen() const { return state.pen.color != kNoColor; }
  // Under an outline a curved fill stays inside the pen's pixels; alone it fills its box.
  double FillInset() const { return HasPen() ? 0.5 : 0; }
  void SetAntialiasMode() const {
    cairo_set_antialias(Cr(), state.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  }

  // Operator and anti-aliasing of pen and brush drawing; inverting draws white with a
  // difference operator, which turns each channel c into 255 - c.
  void PrepareDrawing(bool forPen) {
    cairo_t* c = Cr();
    SetAntialiasMode();
    const bool invert = state.raster == RasterMode::Invert;
    cairo_set_operator(c, invert ? CAIRO_OPERATOR_DIFFERENCE : CAIRO_OPERATOR_OVER);
    if (invert)
      cairo_set_source_rgba(c, 1, 1, 1, 1);
    else if (forPen)
      SetColorSource(c, state.pen.color, 1);
    else
      SetBrushSource();
  }

  void SetBrushSource() {
    cairo_t* c = Cr();
    const Brush& brush = state.brush;
    const double alpha = state.opacity / 255.0;
    if (brush.kind == Brush::Kind::Solid) {
      SetColorSource(c, brush.color, alpha);
      return;
    }
    CairoPatternPtr pattern(cairo_pattern_create_linear(brush.from.x, brush.from.y, brush.to.x, brush.to.y));
    if (brush.blend.empty()) {
      AddGradientStop(pattern.get(), 0, brush, 0, alpha);
      AddGradientStop(pattern.get(), 1, brush, 1, alpha);
    }
    for (const GradientBlend& step : brush.blend)
      AddGradientStop(pattern.get(), step.position, brush, step.factor, alpha);
    cairo_pattern_set_extend(pattern.get(), brush.repeat ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_PAD);
    cairo_set_source(c, pattern.get());
  }

  // A gradient with non-finite numbers would put the cairo context in a lasting error state.
  bool BrushUsable() const {
    const Brush& brush = state.brush;
    if (brush.kind == Brush::Kind::None) return false;
    if (brush.kind == Brush::Kind::Solid) return true;
    return IsFinite(brush.from) && IsFinite(brush.to) &&
           std::all_of(brush.blend.begin(), brush.blend.end(), [](const GradientBlend& step) {
             return std::isfinite(step.position) && std::isfinite(step.factor);
           });
  }

  void Fill(const PathBuilder& build, cairo_fill_rule_t rule) {
    if (!BrushUsable() || state.opacity <= 0) return;
    cairo_t* c = Cr();
    cairo_save(c);
    PrepareDrawing(false);
    cairo_new_path(c);
    build(c);
    cairo_set_fill_rule(c, rule);
    cairo_fill(c);
    cairo_restore(c);
  }

  // includeLastPixel: whether an open figure paints the pixel of its last point.
  void Stroke(const PathBuilder& build, bool includeLastPixel) {
    if (!HasPen()) return;
    cairo_t* c = Cr();
    cairo_save(c);
    PrepareDrawing(true);
    cairo_new_path(c);
    build(c);
    if (state.antialias || state.pen.width > 1)
      StrokeWide(c);
    else
      StrokePixels(c, includeLastPixel);
    cairo_restore(c);
  }

  void StrokeWide(cairo_t* c) {
    const Pen& pen = state.pen;
    const double width = std::max(1, pen.width);
    cairo_set_line_width(c, width);
    if (state.antialias) {
      // Anti-aliased pens keep their style at any width, with flat ends.
      std::vector<double> dashes = ScaledPattern(pen.style);
      for (double& d : dashes) d *= width;
      cairo_set_dash(c, dashes.data(), static_cast<int>(dashes.size()), 0);
      cairo_set_line_cap(c, CAIRO_LINE_CAP_BUTT);
      cairo_set_line_join(c, CAIRO_LINE_JOIN_MITER);
    } else {
      // Wide window-system pens are solid with round ends and joins.
      cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
      cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
    }
    cairo_stroke(c);
  }

  void StrokePixels(cairo_t* c, bool includeLastPixel) {
    PixelStroke stroke(state.pen.style, target.Bounds());
    stroke.Trace(c, includeLastPixel);
    cairo_new_path(c);
    cairo_identity_matrix(c);
    stroke.AddToPath(c);
    cairo_set_antialias(c, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(c, CAIRO_FILL_RULE_WINDING);
    cairo_fill(c);
  }

  void Clip(const PathBuilder& build, cairo_fill_rule_t rule) {
    cairo_t* c = Cr();
    cairo_new_path(c);
    build(c);
    SetAntialiasMode();
    cairo_set_fill_rule(c, rule);
    cairo_clip(c);
  }

  void UpdateFont() {
    const Font& font = state.font;
    double pixels = font.unit == FontUnit::Points ? font.size * dotsPerInch / 72.0 : font.size;
    if (!std::isfinite(pixels)) pixels = 1;
    layout->SetFont(font, std::clamp(pixels, 1.0, kMaxFontPixels));
    fontChanged = false;
  }

  Size PrepareText(const std::string& text) {
    if (!layout) {
      layout = std::make_unique<TextLayout>(Cr());
      fontChanged = true;
    }
    if (fontChanged) UpdateFont();
    return layout->Prepare(text);
  }

  void DrawImage(const Surface& source, const Rect& srcArea, PointF upperLeft, PointF upperRight, PointF lowerLeft,
                 ImageFilter filter) {
    const Rect visible = srcArea.Intersect(source.Bounds());
    if (srcArea.IsEmpty() || visible.IsEmpty() || state.opacity <= 0) return;
    if (!IsFinite(upperLeft) || !IsFinite(upperRight) || !IsFinite(lowerLeft)) return;
    // From source pixel coordinates to the canvas: srcArea's corners onto the three points.
    const double w = srcArea.Width(), h = srcArea.Height();
    const Matrix toCanvas =
        Matrix::Translation(-srcArea.left, -srcArea.top)
            .Then(Matrix{(upperRight.x - upperLeft.x) / w, (upperRight.y - upperLeft.y) / w,
                         (lowerLeft.x - upperLeft.x) / h, (lowerLeft.y - upperLeft.y) / h, upperLeft.x, upperLeft.y});
    CairoPatternPtr pattern = ImagePattern(source, visible, toCanvas, filter, &source == &target);
    if (!pattern) return;
    cairo_t* c = Cr();
    cairo_save(c);
    SetAntialiasMode();
    cairo_set_operator(c, CAIRO_OPERATOR_OVER);
    cairo_new_path(c);
    auto corner = [&toCanvas](int x, int y) { return toCanvas.Apply({double(x), double(y)}); };
    AddPolygon(c, {corner(visible.left, visible.top), corner(visible.right, visible.top),
                   corner(visible.right, visible.bottom), corner(visible.left, visible.bottom)});
    cairo_clip(c);
    cairo_set_source(c, pattern.get());
    cairo_paint_with_alpha(c, state.opacity / 255.0);
    cairo_restore(c);
  }
};

Canvas::Canvas(Surface& target) : impl_(std::make_unique<Impl>(target)) {}

Canvas::~Canvas() = default;

Surface& Canvas::Target() const { return impl_->target; }

void Canvas::Save() {
  cairo_save(impl_->Cr());
  impl_->saved.push_back(impl_->state);
}

void Canvas::Restore() {
  if (impl_->saved.empty()) return;
  cairo_restore(impl_->Cr());
  const bool fontChanged = !(impl_->saved.back().font == impl_->state.font);
  impl_->state = impl_->saved.back();
  impl_->saved.pop_back();
  impl_->fontChanged = impl_->fontChanged || fontChanged;
}

void Canvas::SetPen(const Pen& pen) { impl_->state.pen = pen; }
const Pen& Canvas::CurrentPen() const { return impl_->state.pen; }
void Canvas::SetBrush(const Brush& brush) { impl_->state.brush = brush; }
const Brush& Canvas::CurrentBrush() const { return impl_->state.brush; }
void Canvas::SetRasterMode(RasterMode mode) { impl_->state.raster = mode; }
RasterMode Canvas::CurrentRasterMode() const { return impl_->state.raster; }
void Canvas::SetOpacity(int alpha) { impl_->state.opacity = std::clamp(alpha, 0, 255); }
int Canvas::Opacity() const { return impl_->state.opacity; }
void Canvas::SetAntialias(bool on) { impl_->state.antialias = on; }
bool Canvas::Antialias() const { return impl_->state.antialias; }

void Canvas::SetFont(const Font& font) {
  impl_->state.font = font;
  impl_->fontChanged = true;
}
const Font& Canvas::CurrentFont() const { return impl_->state.font; }
void Canvas::SetTextColor(Color color) { impl_->state.textColor = color; }
void Canvas::SetTextBackground(Color color) { impl_->state.textBackground = color; }
void Canvas::SetTextAlign(TextAlign align) { impl_->state.textAlign = align; }

void Canvas::SetResolution(double dotsPerInch) {
  if (!std::isfinite(dotsPerInch) || dotsPerInch <= 0) return;
  impl_->dotsPerInch = dotsPerInch;
  impl_->fontChanged = true;
}

bool Canvas::SetTransform(const Matrix& m) {
  if (!m.IsInvertible()) return false;
  cairo_matrix_t matrix = {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
  cairo_set_matrix(impl_->Cr(), &matrix);
  return true;
}

Matrix Canvas::Transform() const {
  cairo_matrix_t m;
  cairo_get_matrix(impl_->Cr(), &m);
  return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void Canvas::ClipRect(const Rect& area) { ClipRegion({area}); }

void Canvas::ClipRegion(const std::vector<Rect>& rects) {
  impl_->Clip(
      [&rects](cairo_t* c) {
        for (const Rect& r : rects) {
          if (!r.IsEmpty()) cairo_rectangle(c, r.left, r.top, r.Width(), r.Height());
        }
      },
      CAIRO_FILL_RULE_WINDING);
}

void Canvas::ClipPolygon(const std::vector<PointF>& points) {
  if (!std::all_of(points.begin(), points.end(), [](PointF p) { return IsFinite(p); })) return;
  impl_->Clip(
      [&points](cairo_t* c) {
        if (points.size() >= 3) AddPolygon(c, points);
      },
      CAIRO_FILL_RULE_EVEN_ODD);
}

void Canvas::ClipEllipse(const Rect& box) {
  const Rect r = Normalised(box);
  impl_->Clip(
      [&r](cairo_t* c) {
        if (!r.IsEmpty()) AddEllipse(c, r.left, r.top, r.right, r.bottom);
      },
      CAIRO_FILL_RULE_WINDING);
}

void Canvas::ResetClip() { cairo_reset_clip(impl_->Cr()); }

void Canvas::FillRect(const Rect& area) {
  const Rect r = Normalised(area);
  if (r.IsEmpty()) return;
  impl_->Fill([&r](cairo_t* c) { cairo_rectangle(c, r.left, r.top, r.Width(), r.Height()); }, CAIRO_FILL_RULE_WINDING);
}

void Canvas::FillRect(const Rect& area, Color color) {
  const Brush kept = impl_->state.brush;
  impl_->state.brush = Brush::Solid(color);
  FillRect(area);
  impl_->state.brush = kept;
}

void Canvas::FillPolygon(const std::vector<PointF>& points) {
  if (points.size() < 3 || !std::all_of(points.begin(), points.end(), [](PointF p) { return IsFinite(p); })) return;
  impl_->Fill([&points](cairo_t* c) { AddPolygon(c, points); }, CAIRO_FILL_RULE_EVEN_ODD);
}

void Canvas::DrawLine(Point from, Point to) {
  impl_->Stroke(
      [from, to](cairo_t* c) {
        cairo_move_to(c, from.x + 0.5, from.y + 0.5);
        cairo_line_to(c, to.x + 0.5, to.y + 0.5);
      },
      false);
}

void Canvas::DrawPolyline(const std::vector<Point>& points) {
  if (points.empty()) return;
  impl_->Stroke(
      [&points](cairo_t* c) {
        cairo_move_to(c, points.front().x + 0.5, points.front().y + 0.5);
        // A single point still paints its pixel.
        for (size_t i = points.size() == 1 ? 0 : 1; i < points.size(); ++i) {
          cairo_line_to(c, points[i].x + 0.5, points[i].y + 0.5);
        }
      },
      true);
}

void Canvas::DrawRectangle(const Rect& area) {
  const Rect r = Normalised(area);
  if (r.IsEmpty()) return;
  FillRect(r);
  impl_->Stroke(
      [&r](cairo_t* c) {
        AddPolygon(
            c, Centres({{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}}));
      },
      false);
}

void Canvas::DrawRoundRect(const Rect& area, Size corner) {
  const Rect r = Normalised(area);
  if (r.IsEmpty()) return;
  const double rx = std::max(0, corner.width) / 2.0, ry = std::max(0, corner.height) / 2.0;
  auto shape = [&](double inset) {
    return [&r, rx, ry, inset](cairo_t* c) {
      AddRoundRect(c, r.left + inset, r.top + inset, r.right - inset, r.bottom - inset, std::max(0.0, rx - inset),
                   std::max(0.0, ry - inset));
    };
  };
  impl_->Fill(shape(impl_->FillInset()), CAIRO_FILL_RULE_WINDING);
  impl_->Stroke(shape(0.5), false);
}

void Canvas::DrawPolygon(const std::vector<Point>& points) {
  if (points.size() < 2) return;
  const std::vector<PointF> centres = Centres(points);
  impl_->Fill([&centres](cairo_t* c) { AddPolygon(c, centres); }, CAIRO_FILL_RULE_EVEN_ODD);
  impl_->Stroke([&centres](cairo_t* c) { AddPolygon(c, centres); }, false);
}

void Canvas::DrawEllipse(const Rect& box) {
  const Rect r = Normalised(box);
  if (r.IsEmpty()) return;
  const double inset = impl_->FillInset();
  impl_->Fill([&](cairo_t* c) { AddEllipse(c, r.left + inset, r.top + inset, r.right - inset, r.bottom - inset); },
              CAIRO_FILL_RULE_WINDING);
  impl_->Stroke([&r](cairo_t* c) { AddEllipse(c, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.bottom - 0.5); }, false);
}

namespace {

// The geometry shared by arcs and pies: the centre and the parameter angles of the two rays.
struct ArcGeometry {
  double cx, cy, from, to;
};

ArcGeometry ArcOf(const Rect& r, Point start, Point end) {
  ArcGeometry g;
  g.cx = (r.left + r.right) / 2.0;
  g.cy = (r.top + r.bottom) / 2.0;
  const double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
  g.from = RayAngle(start.x + 0.5 - g.cx, start.y + 0.5 - g.cy, rx, ry);
  g.to = RayAngle(end.x + 0.5 - g.cx, end.y + 0.5 - g.cy, rx, ry);
  // Rays that coincide give the whole ellipse.
  if (g.to == g.from) g.to = g.from - kTwoPi;
  return g;
}

}  // namespace

void Canvas::DrawArc(const Rect& box, Point start, Point end) {
  const Rect r = Normalised(box);
  if (r.IsEmpty()) return;
  const ArcGeometry g = ArcOf(r, start, end);
  impl_->Stroke([&](cairo_t* c) { AddArc(c, g.cx, g.cy, (r.Width() - 1) / 2.0, (r.Height() - 1) / 2.0, g.from, g.to); },
                true);
}

void Canvas::DrawPie(const Rect& box, Point start, Point end) {
  const Rect r = Normalised(box);
  if (r.IsEmpty()) return;
  const ArcGeometry g = ArcOf(r, start, end);
  auto pie = [&g](double rx, double ry) {
    return [&g, rx, ry](cairo_t* c) {
      cairo_move_to(c, g.cx, g.cy);
      AddArc(c, g.cx, g.cy, rx, ry, g.from, g.to);
      cairo_close_path(c);
    };
  };
  const double inset = impl_->FillInset();
  impl_->Fill(pie(r.Width() / 2.0 - inset, r.Height() / 2.0 - inset), CAIRO_FILL_RULE_WINDING);
  impl_->Stroke(pie((r.Width() - 1) / 2.0, (r.Height() - 1) / 2.0), false);
}

void Canvas::DrawSurface(const Surface& source, const Rect& srcArea, const Rect& dstArea, ImageFilter filter) {
  impl_->DrawImage(source, srcArea, {double(dstArea.left), double(dstArea.top)},
                   {double(dstArea.right), double(dstArea.top)}, {double(dstArea.left), double(dstArea.bottom)},
                   filter);
}

void Canvas::DrawSurface(const Surface& source, const Rect& srcArea, PointF upperLeft, PointF upperRight,
                         PointF lowerLeft, ImageFilter filter) {
  impl_->DrawImage(source, srcArea, upperLeft, upperRight, lowerLeft, filter);
}

Size Canvas::MeasureText(const std::string& text) { return impl_->PrepareText(text); }

void Canvas::DrawText(Point at, const std::string& text) {
  const Size size = impl_->PrepareText(text);
  const State& state = impl_->state;
  int x = at.x;
  if (state.textAlign == TextAlign::Center) x -= size.width / 2;
  if (state.textAlign == TextAlign::Right) x -= size.width;
  cairo_t* c = impl_->Cr();
  cairo_save(c);
  cairo_set_operator(c, CAIRO_OPERATOR_OVER);
  if (state.textBackground != kNoColor) {
    cairo_set_antialias(c, CAIRO_ANTIALIAS_NONE);
    SetColorSource(c, state.textBackground, 1);
    cairo_new_path(c);
    cairo_rectangle(c, x, at.y, size.width, size.height);
    cairo_fill(c);
  }
  SetColorSource(c, state.textColor, 1);
  cairo_move_to(c, x, at.y);
  impl_->layout->Show();
  cairo_new_path(c);
  cairo_restore(c);
}

bool SaveSurfacePng(const Surface& surface, const std::string& path) {
  // Written as opaque RGB: the alpha byte of a surface's pixels carries no meaning.
  CairoSurfacePtr image = OpaqueImage(surface, surface.Bounds(), false);
  return cairo_surface_status(image.get()) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_write_to_png(image.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace zolvex::platform
