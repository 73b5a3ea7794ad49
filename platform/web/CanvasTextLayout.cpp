#include <emscripten.h>

#include <cmath>
#include <vector>

#include "platform/TextLayout.h"
#include "platform/TextValues.h"

namespace zolvex::platform {

// clang-format off
// Measures a line in a CSS font on a scratch canvas of this thread; answers width and height.
EM_JS(void, zolvex_text_measure, (const char* font, const char* text, int* size), {
  if (!globalThis.__zolvexText) {
    const canvas = typeof OffscreenCanvas !== 'undefined' ? new OffscreenCanvas(1, 1) : document.createElement('canvas');
    globalThis.__zolvexText = canvas.getContext('2d');
  }
  const context = globalThis.__zolvexText;
  context.font = UTF8ToString(font);
  const metrics = context.measureText(UTF8ToString(text));
  HEAP32[size >> 2] = Math.ceil(metrics.width);
  HEAP32[(size >> 2) + 1] = Math.ceil(metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent);
});

// Draws the line into a width x height coverage mask (one byte a pixel, rows of stride bytes).
EM_JS(void, zolvex_text_mask, (const char* font, const char* text, int underline, int width, int height,
                               std::uint8_t* mask, int stride), {
  const canvas = typeof OffscreenCanvas !== 'undefined' ? new OffscreenCanvas(width, height) : document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const context = canvas.getContext('2d');
  context.font = UTF8ToString(font);
  context.fillStyle = '#fff';
  const line = UTF8ToString(text);
  const metrics = context.measureText(line);
  context.fillText(line, 0, metrics.fontBoundingBoxAscent);
  if (underline) {
    const thickness = Math.max(1, Math.round(height / 16));
    context.fillRect(0, Math.min(height - thickness, Math.round(metrics.fontBoundingBoxAscent + thickness)), width, thickness);
  }
  const pixels = context.getImageData(0, 0, width, height).data;
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) HEAPU8[mask + y * stride + x] = pixels[(y * width + x) * 4 + 3];
  }
});
// clang-format on

struct TextLayout::Impl {
  cairo_t* cr = nullptr;
  std::string font = "16px sans-serif";
  bool underline = false;
  std::string text;
  Size size;
};

namespace {

// The family as CSS names it: quoted, with the generic family behind it.
std::string CssFont(const Font& font, double pixels) {
  std::string family = font.face.empty() || EqualsNoCase(font.face, "Sans") ? std::string() : font.face;
  for (char& c : family) {
    if (c == '"' || c == '\\' || c == ';') c = ' ';
  }
  std::string css = font.italic ? "italic " : "";
  if (font.bold) css += "bold ";
  css += std::to_string(std::lround(pixels)) + "px ";
  if (!family.empty()) css += "\"" + family + "\", ";
  return css + "sans-serif";
}

}  // namespace

TextLayout::TextLayout(cairo_t* cr) : impl_(std::make_unique<Impl>()) { impl_->cr = cr; }

TextLayout::~TextLayout() = default;

void TextLayout::SetFont(const Font& font, double pixels) {
  impl_->font = CssFont(font, pixels);
  impl_->underline = font.underline;
}

Size TextLayout::Prepare(const std::string& text) {
  // The browser's decoder shows invalid sequences as replacement characters.
  impl_->text = text;
  int size[2] = {0, 0};
  zolvex_text_measure(impl_->font.c_str(), impl_->text.c_str(), size);
  impl_->size = {size[0], size[1]};
  return impl_->size;
}

void TextLayout::Show() {
  const int width = impl_->size.width, height = impl_->size.height;
  if (width <= 0 || height <= 0 || !cairo_has_current_point(impl_->cr)) return;
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, width);
  std::vector<std::uint8_t> coverage(static_cast<std::size_t>(stride) * height);
  zolvex_text_mask(impl_->font.c_str(), impl_->text.c_str(), impl_->underline ? 1 : 0, width, height, coverage.data(),
                   stride);
  cairo_surface_t* mask = cairo_image_surface_create_for_data(coverage.data(), CAIRO_FORMAT_A8, width, height, stride);
  double x = 0, y = 0;
  cairo_get_current_point(impl_->cr, &x, &y);
  cairo_mask_surface(impl_->cr, mask, x, y);
  cairo_surface_destroy(mask);
}

}  // namespace zolvex::platform
