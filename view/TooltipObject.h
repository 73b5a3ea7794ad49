#pragma once
#include <string>
#include <vector>

#include "objects/CComponentText.h"

namespace zolvex {

// The box the view shows a tooltip in: a text object in window pixels, framed by a pale
// background with a thin border, above everything else. A simple tooltip takes the size of
// its text; a sized one keeps the size it was given and wraps its text (markup reduced to
// plain text) inside it, leaving out the lines that do not fit.
class TooltipObject : public CComponentText {
 public:
  static constexpr int kLayer = 1 << 20;
  static constexpr int kPadding = 3;
  static constexpr const char* kDefaultFont = "Arial";
  static constexpr int kDefaultSize = 10;

  TooltipObject();

  // The text and the font it is drawn in; a size below 1 takes the default.
  void SetContent(const std::string& text, const std::string& font, int size);
  const std::string& GetText() const { return content_; }
  const std::string& GetFont() const { return GetFontFace(); }
  int GetFontSize() const { return GetSize(); }
  // The box that fits the text on its lines, padding included (simple tooltips).
  platform::Size MeasureContent(ViewPrimitives& view);
  // Places the box with its top-left corner at the point, moved left and up as far as
  // needed (but not past the window's top-left corner) to stay inside the window.
  void PlaceAt(platform::Point at, platform::Size size, platform::Size window);
  // Moves the box, keeping its size, by the same rule as PlaceAt.
  void MoveTo(platform::Point at, platform::Size window);
  // Lines of the text when wrapped to a box width; 0 does not wrap.
  std::vector<std::string> Lines(ViewPrimitives& view, int boxWidth);

  // Markup reduced to what a plain text box can show: tags dropped, line-breaking tags
  // turned into line breaks, the common character entities decoded.
  static std::string PlainText(const std::string& markup);

  // The text is laid out inside the box, which is the screen rectangle.
  void UpdateScreenRect() override;
  void Draw() override;
  // A tooltip is inert under the pointer: no hover look, sound or events.
  void OnMouseEnter() override {}
  void OnMouseExit() override {}

 protected:
  platform::Rect TextArea() const override;

 private:
  void ApplyFont(ViewPrimitives& view) const;
  // The lines shown: the content, wrapped and cut to the box when it is sized.
  std::string ShownText(ViewPrimitives& view);

  std::string content_;
  platform::Size box_;
};

}  // namespace zolvex
