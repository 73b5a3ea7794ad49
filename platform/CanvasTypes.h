#pragma once
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace zolvex::platform {

// A point with fractional coordinates for anti-aliased drawing. Coordinates address pixel
// corners: pixel (x, y) covers the square from (x, y) to (x + 1, y + 1).
struct PointF {
  double x = 0;
  double y = 0;
  friend bool operator==(const PointF&, const PointF&) = default;
};

inline bool IsFinite(PointF p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The window system's pen styles by number; any other number draws solid.
enum class PenStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };

constexpr PenStyle PenStyleFromNumber(int number) {
  return number >= 1 && number <= 4 ? static_cast<PenStyle>(number) : PenStyle::Solid;
}

struct Pen {
  Color color = 0;  // kNoColor draws no outline
  int width = 1;    // 0 and 1 both draw one-pixel lines; wider pens are always solid
  PenStyle style = PenStyle::Solid;
};

// One step of a gradient's blend: at position (0..1 along the gradient line) the colour
// is start + (end - start) * factor.
struct GradientBlend {
  double position = 0;
  double factor = 0;
};

struct Brush {
  enum class Kind { None, Solid, LinearGradient };
  Kind kind = Kind::None;
  Color color = kNoColor;
  // Linear gradient: colours with alpha (0xAARRGGBB) at the two ends of the line from
  // `from` to `to`; the colour is constant along lines perpendicular to it.
  PointF from;
  PointF to;
  Pixel fromColor = 0;
  Pixel toColor = 0;
  std::vector<GradientBlend> blend;  // empty: a straight blend from start to end
  bool repeat = false;               // beyond its ends the gradient repeats, else it holds the end colours

  static Brush None() { return {}; }
  static Brush Solid(Color c) {
    Brush b;
    if (c != kNoColor) {
      b.kind = Kind::Solid;
      b.color = c;
    }
    return b;
  }
  static Brush LinearGradient(PointF from, PointF to, Pixel fromColor, Pixel toColor,
                              std::vector<GradientBlend> blend = {}, bool repeat = false) {
    Brush b;
    b.kind = Kind::LinearGradient;
    b.from = from;
    b.to = to;
    b.fromColor = fromColor;
    b.toColor = toColor;
    b.blend = std::move(blend);
    b.repeat = repeat;
    return b;
  }
};

enum class FontUnit { Pixels, Points };

struct Font {
  std::string face;  // a font family; empty takes the default sans-serif face
  double size = 12;  // the em height, in `unit`
  FontUnit unit = FontUnit::Pixels;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// Horizontal placement of text about the point it is drawn at; the point is always the top.
enum class TextAlign { Left, Center, Right };

// How pen and brush drawing meets the destination: copied, or inverting the pixels it covers.
enum class RasterMode { Copy, Invert };

enum class ImageFilter { Nearest, Bilinear };

// An affine transform: x' = xx * x + xy * y + x0, y' = yx * x + yy * y + y0.
struct Matrix {
  double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;

  static Matrix Identity() { return {}; }
  static Matrix Translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static Matrix Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  // Positive angles turn clockwise on the screen (y grows downwards).
  static Matrix Rotation(double degrees) {
    const double radians = degrees * (std::numbers::pi / 180.0);
    const double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
  }
  // Translate by -centre, rotate, translate back.
  static Matrix RotationAbout(PointF centre, double degrees) {
    return Translation(-centre.x, -centre.y).Then(Rotation(degrees)).Then(Translation(centre.x, centre.y));
  }

  // This transform followed by next.
  Matrix Then(const Matrix& next) const {
    return {next.xx * xx + next.xy * yx, next.yx * xx + next.yy * yx,           next.xx * xy + next.xy * yy,
            next.yx * xy + next.yy * yy, next.xx * x0 + next.xy * y0 + next.x0, next.yx * x0 + next.yy * y0 + next.y0};
  }
  PointF Apply(PointF p) const { return {xx * p.x + xy * p.y + x0, yx * p.x + yy * p.y + y0}; }
  bool IsInvertible() const {
    const double det = xx * yy - yx * xy;
    return std::isfinite(det) && det != 0 && std::isfinite(x0) && std::isfinite(y0);
  }
};

}  // namespace zolvex::platform
