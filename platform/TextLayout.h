#pragma once
// Platform-internal: lays out and shows one line of text for a Canvas. The desktop shapes
// text with Pango (PangoTextLayout.cpp); the web build lets the page's browser draw it
// (web/CanvasTextLayout.cpp). Only platform/*.cpp include this.
#include <cairo.h>

#include <memory>
#include <string>

#include "platform/CanvasTypes.h"
#include "platform/Geometry.h"

namespace zolvex::platform {

class TextLayout {
 public:
  explicit TextLayout(cairo_t* cr);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // The font of the following texts, its size in pixels already worked out.
  void SetFont(const Font& font, double pixels);
  // Lays out the text (UTF-8, invalid sequences shown as replacement characters) and
  // answers the width and height of its cell.
  Size Prepare(const std::string& text);
  // Paints the text last prepared with its cell's top-left at the current point of the
  // context, in the context's current source.
  void Show();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zolvex::platform
