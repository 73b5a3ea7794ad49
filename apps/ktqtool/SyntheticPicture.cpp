#include "apps/ktqtool/SyntheticPicture.h"

#include <algorithm>
#include <cmath>

namespace zolvex::ktqtool {
namespace {

// Digits and the comma, 3 x 5 font pixels each, one bit per font pixel (bit 2 = left).
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kAdvance = kGlyphWidth + 1;
constexpr std::uint8_t kDigits[10][kGlyphHeight] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
constexpr std::uint8_t kComma[kGlyphHeight] = {0, 0, 0, 2, 4};

constexpr double kLabelCell = 1024;      // smallest labelled cell, in full-resolution pixels
constexpr double kFontPixelsPerCell = 128;
constexpr double kGridSpacing = 256;

// How much of a detail with the given period (in full-resolution pixels) survives at
// scale: all of it when the period spans 8 or more level pixels, none below 4.
double Visibility(double period, double scale) { return std::clamp((period / scale - 4) / 4, 0.0, 1.0); }

// A triangle wave in 0..1 with period 1.
double Triangle(double t) { return std::fabs(2 * (t - std::floor(t)) - 1); }

bool GlyphBit(char c, int fx, int fy) {
  const std::uint8_t* rows = c == ',' ? kComma : kDigits[c - '0'];
  return (rows[fy] >> (kGlyphWidth - 1 - fx)) & 1;
}

int DigitCount(long long value) {
  int count = 1;
  while (value >= 10) value /= 10, ++count;
  return count;
}

// Character index of the label "x,y" (0 past its end), without building the text.
char LabelChar(long long x, long long y, int index) {
  int xDigits = DigitCount(x);
  if (index == xDigits) return ',';
  long long number = index < xDigits ? x : y;
  int digits = index < xDigits ? xDigits : DigitCount(y);
  int position = index < xDigits ? index : index - xDigits - 1;
  if (position >= digits) return 0;
  for (int i = digits - 1; i > position; --i) number /= 10;
  return static_cast<char>('0' + number % 10);
}

std::uint8_t Channel(double value) { return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0)); }

}  // namespace

bool SyntheticPicture::LabelAt(double x, double y, double scale) const {
  for (double cell = kLabelCell; cell <= std::max<double>(size_, kLabelCell); cell *= 8) {
    double fontPixel = cell / kFontPixelsPerCell;
    if (fontPixel < scale) continue;  // too small to read at this resolution
    double cellX = std::floor(x / cell);
    double cellY = std::floor(y / cell);
    // Font coordinates inside the cell, the text starting two font pixels in.
    int fx = static_cast<int>((x - cellX * cell) / fontPixel) - 2;
    int fy = static_cast<int>((y - cellY * cell) / fontPixel) - 2;
    if (fx < 0 || fy < 0 || fy >= kGlyphHeight) continue;
    if (fx % kAdvance >= kGlyphWidth) continue;  // the gap between characters
    char c = LabelChar(static_cast<long long>(cellX * cell), static_cast<long long>(cellY * cell), fx / kAdvance);
    if (c && GlyphBit(c, fx % kAdvance, fy)) return true;
  }
  return false;
}

SyntheticPicture::Rgb SyntheticPicture::ColourAt(double x, double y, double scale) const {
  double u = x / size_;
  double v = y / size_;
  Rgb colour{40 + 170 * u, 40 + 170 * v, 90 + 80 * Triangle(u + v)};
  // Checkers of three periods, each in its own channel mix.
  const double periods[] = {16, 128, 1024};
  const double weights[][3] = {{0, 0, 50}, {40, 0, 0}, {0, 40, 0}};
  for (size_t band = 0; band < 3; ++band) {
    double p = periods[band];
    double checker = (Triangle(x / p) - 0.5) * (Triangle(y / p) - 0.5) * 4;  // -1 .. 1
    double amount = checker * Visibility(p, scale);
    colour.red += weights[band][0] * amount;
    colour.green += weights[band][1] * amount;
    colour.blue += weights[band][2] * amount;
  }
  // Grid lines, one level pixel wide, fading where they would crowd together.
  double line = Visibility(kGridSpacing, scale);
  if (line > 0 && (std::fmod(x, kGridSpacing) < scale || std::fmod(y, kGridSpacing) < scale)) {
    double dim = 1 - 0.6 * line;
    colour = {colour.red * dim, colour.green * dim, colour.blue * dim};
  }
  if (LabelAt(x, y, scale)) colour = {255, 255, 255};
  return colour;
}

void SyntheticPicture::Render(int levelWidth, int levelHeight, int left, int top, qmImage& image) const {
  double scaleX = static_cast<double>(size_) / levelWidth;
  double scaleY = static_cast<double>(size_) / levelHeight;
  double scale = std::max(scaleX, scaleY);
  int width = std::min(image.getWidth(), levelWidth - left);
  int height = std::min(image.getHeight(), levelHeight - top);
  for (int row = 0; row < height; ++row) {
    std::uint8_t* pixel = image.getRow(row);
    double y = (top + row + 0.5) * scaleY;
    for (int column = 0; column < width; ++column, pixel += 3) {
      Rgb colour = ColourAt((left + column + 0.5) * scaleX, y, scale);
      pixel[0] = Channel(colour.blue);
      pixel[1] = Channel(colour.green);
      pixel[2] = Channel(colour.red);
    }
  }
}

}  // namespace zolvex::ktqtool
