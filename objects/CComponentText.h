#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "objects/CComponentLink.h"

namespace zolvex {

// A label of one or more lines in a font whose size follows the zoom, placed about its
// anchor point (x, y) by its alignment, with an optional halo, background, shadow and
// indicator dot. Its width and height are those of the text block; the block's top-left
// corner is kept apart from the anchor.
class CComponentText : public CComponentLink {
 public:
  static constexpr int kLayer = 2;
  // Distance between an indicator dot and the text it marks, in screen pixels.
  static constexpr int kIndicatorGap = 6;
  static constexpr int kIndicatorSize = 3;

  // Alignment about the anchor: -1 left or top, 0 centre or middle, 1 right or bottom.
  struct Alignment {
    int horizontal = 0;
    int vertical = 0;
    bool operator==(const Alignment&) const = default;
  };
  // The alignment words of textalign ("lefttop", "bottom", "right", ...), any case.
  static Alignment ParseAlignment(const std::string& words);

  CComponentText(int x, int y, const std::string& text, const std::string& fontFace, int size,
                 platform::Color color, const std::string& link);
  ~CComponentText() override;

  std::string GetXml() const override;
  std::string GetProperty(const std::string& name) const override;
  // The common properties, then text, font, size, textalign and shadow; the layout follows.
  bool CommitProperties() override;

  // The layout: the block is measured and placed about the anchor, then mapped.
  void UpdateScreenRect() override;
  void Draw() override;
  // Draws the text into a device for saving or printing, as Draw puts it on the view.
  void RenderToDevice(platform::Canvas& device, int dx, int dy, int width, int height, int level) override;

  bool IsCapturingMouse() const override { return dragging_ || IsBeingCreated(); }
  bool AllowsViewDrag(int, int) const override { return !IsCapturingMouse(); }
  void OnLButtonDown(unsigned flags, platform::Point point) override;
  void OnMouseMove(unsigned flags, platform::Point point) override;
  void OnLButtonUp(unsigned flags, platform::Point point) override;
  // In editing mode a click opens the text dialog; otherwise the link is followed.
  void OnClick(platform::Point point, int button) override;
  void OnClickWithOption(platform::Point point, int button, const std::string& option) override;

  // Opens the text dialog ("Load Text") and applies what it answers; false when cancelled
  // or when the view offers no dialogs.
  bool EditInDialog();

  const std::string& GetText() const { return text_; }
  void SetText(const std::string& text) { text_ = text; }
  const std::string& GetFontFace() const { return fontFace_; }
  void SetFontFace(const std::string& face) { fontFace_ = face; }
  int GetSize() const { return size_; }
  void SetSize(int size) { size_ = size; }
  int GetDisplaySize() const { return displaySize_; }
  int GetLineHeight() const { return lineHeight_; }
  platform::Color GetShadowColor() const { return shadow_; }
  void SetShadowColor(platform::Color color) { shadow_ = color; }
  platform::Color GetBackground() const { return background_; }
  void SetBackground(platform::Color color) { background_ = color; }
  Alignment GetAlignment() const { return alignment_; }
  void SetTextAlign(const std::string& words) { alignment_ = ParseAlignment(words); }
  // Top-left corner of the text block, in the object's coordinates.
  platform::Point GetBlockPosition() const { return {blockX_, blockY_}; }
  // Applies the values of the text dialog and stores them as pending properties.
  void ApplyDialogValues(const std::string& font, int size, const std::string& sizeText, platform::Color color,
                         const std::string& text);

 protected:
  // The lines of the text (separated by "\n"; an empty text has none).
  std::vector<std::string> Lines() const;
  // Where the text goes: the view while drawing, a device while saving or printing.
  struct Painter {
    std::function<platform::Size(const std::string&)> measure;
    std::function<void(const std::string&, int x, int y, platform::Color)> text;
    std::function<void(int x, int y, int width, int height, platform::Color)> fill;
  };
  // Draws one piece of text in the text colour, with the halo around it when there is one.
  void DrawHaloText(const Painter& paint, const std::string& text, int x, int y, platform::Color halo) const;
  // Where the lines are drawn: the screen rectangle, unless a subclass frames the text.
  virtual platform::Rect TextArea() const { return GetScreenRect(); }

 private:
  struct Block {
    int width = 0;   // screen pixels
    int height = 0;  // screen pixels, the indicator's room included
    int offsetX = 0;  // block corner minus anchor, screen pixels
    int offsetY = 0;
  };
  bool HasIndicator() const;
  int ComputeDisplaySize(const std::optional<DocumentMetrics>& metrics) const;
  Block MeasureBlock(ViewPrimitives& view);
  int MeasureLines(ViewPrimitives& view, const std::vector<std::string>& lines);
  // Screen pixels per object unit along each axis: 1 for a text in screen coordinates that
  // is not anchored, else the document's mapping.
  struct UnitScale {
    double x = 1;
    double y = 1;
  };
  UnitScale ScreenPerUnit(const std::optional<DocumentMetrics>& metrics) const;
  bool IsAnchoredText() const;
  // The background, the lines (or the whole text and the indicator) and the editing frame.
  void Paint(const Painter& paint, const std::vector<std::string>& lines);
  void DrawLines(const Painter& paint, const std::vector<std::string>& lines, platform::Color halo);
  void DrawWithIndicator(const Painter& paint, const std::vector<std::string>& lines, platform::Color halo);
  void FinishCreation();
  bool CommitTextProperties();

  std::string text_;
  std::string fontFace_;
  int size_ = 0;
  int displaySize_ = 0;
  int lineHeight_ = 0;
  platform::Color shadow_ = platform::kNoColor;
  platform::Color background_ = platform::kNoColor;
  int blockX_ = 0;
  int blockY_ = 0;
  Alignment alignment_;
  // What the last measurement was made for, and its widest line.
  struct Measured {
    std::string text;
    std::string font;
    int size = 0;
    const ViewPrimitives* view = nullptr;
    bool operator==(const Measured&) const = default;
  };
  std::optional<Measured> measured_;
  int measuredWidth_ = 0;
  bool dragging_ = false;
  platform::Point grab_;          // where the move's press was
  platform::Point dragAnchor_;    // the anchor when it began
};

}  // namespace zolvex
