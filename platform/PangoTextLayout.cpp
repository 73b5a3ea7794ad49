#include <glib.h>
#include <pango/pangocairo.h>

#include "platform/TextLayout.h"

namespace zolvex::platform {

namespace {

struct GObjectDeleter {
  void operator()(gpointer object) const { g_object_unref(object); }
};

}  // namespace

struct TextLayout::Impl {
  explicit Impl(cairo_t* context) : cr(context), layout(pango_cairo_create_layout(context)) {}
  cairo_t* cr;
  std::unique_ptr<PangoLayout, GObjectDeleter> layout;
};

TextLayout::TextLayout(cairo_t* cr) : impl_(std::make_unique<Impl>(cr)) {}

TextLayout::~TextLayout() = default;

void TextLayout::SetFont(const Font& font, double pixels) {
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, font.face.empty() ? "Sans" : font.face.c_str());
  pango_font_description_set_weight(description, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(description, pixels * PANGO_SCALE);
  pango_layout_set_font_description(impl_->layout.get(), description);
  pango_font_description_free(description);
  PangoAttrList* attributes = nullptr;
  if (font.underline) {
    attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  }
  pango_layout_set_attributes(impl_->layout.get(), attributes);
  if (attributes) pango_attr_list_unref(attributes);
}

Size TextLayout::Prepare(const std::string& text) {
  pango_cairo_update_layout(impl_->cr, impl_->layout.get());
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  pango_layout_set_text(impl_->layout.get(), valid, -1);
  g_free(valid);
  Size size;
  pango_layout_get_pixel_size(impl_->layout.get(), &size.width, &size.height);
  return size;
}

void TextLayout::Show() { pango_cairo_show_layout(impl_->cr, impl_->layout.get()); }

}  // namespace zolvex::platform
