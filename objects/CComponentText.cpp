#include "objects/CComponentText.h"

#include <algorithm>
#include <cstdint>

#include "objects/ObjectValues.h"
#include "objects/SavedXml.h"
#include "objects/TextDialog.h"
#include "platform/Canvas.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kEditOuterColor = platform::MakeColor(0, 0, 0);
constexpr platform::Color kEditInnerColor = platform::MakeColor(0xFF, 0xFF, 0);
constexpr platform::Color kDefaultIndicatorColor = platform::MakeColor(0xFF, 0xFF, 0xFF);

bool Contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

// Line breaks written as the two characters backslash and n, as the attribute reads them.
std::string EscapeLineBreaks(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

}  // namespace

CComponentText::Alignment CComponentText::ParseAlignment(const std::string& words) {
  const std::string lower = ToLower(words);
  Alignment alignment;
  if (Contains(lower, "right"))
    alignment.horizontal = 1;
  else if (Contains(lower, "left"))
    alignment.horizontal = -1;
  if (Contains(lower, "top"))
    alignment.vertical = -1;
  else if (Contains(lower, "bottom"))
    alignment.vertical = 1;
  else if (!Contains(lower, "middle"))
    alignment.vertical = alignment.horizontal != 0 ? -1 : 0;
  return alignment;
}

CComponentText::CComponentText(int x, int y, const std::string& text, const std::string& fontFace, int size,
                               platform::Color color, const std::string& link)
    : CComponentLink(x, y, 0, 0, link, nullptr, nullptr), text_(text), fontFace_(fontFace), size_(size) {
  SetLayer(kLayer);
  // The text keeps its colour under the pointer.
  SetColors(color, color);
}

CComponentText::~CComponentText() = default;

std::vector<std::string> CComponentText::Lines() const {
  std::vector<std::string> lines;
  if (text_.empty()) return lines;
  lines.emplace_back();
  for (char c : text_) {
    if (c == '\r') continue;
    if (c == '\n')
      lines.emplace_back();
    else
      lines.back() += c;
  }
  return lines;
}

bool CComponentText::HasIndicator() const { return IsYes(GetProperty("indicator")); }

bool CComponentText::IsAnchoredText() const {
  const std::string anchor = GetProperty("anchor");
  return IsYes(anchor) || EqualsNoCase(anchor, "center");
}

// ---- Layout -------------------------------------------------------------------------------

int CComponentText::ComputeDisplaySize(const std::optional<DocumentMetrics>& metrics) const {
  if (IsScreenCoordinates()) return size_;
  if (!metrics || metrics->contentHeight <= 0) return 0;
  return static_cast<int>(std::int64_t{size_} * metrics->levelHeight / metrics->contentHeight);
}

CComponentText::UnitScale CComponentText::ScreenPerUnit(const std::optional<DocumentMetrics>& metrics) const {
  UnitScale scale;
  if (!metrics || (IsScreenCoordinates() && !IsAnchoredText())) return scale;
  const int virtualWidth = GetVirtualWidth() > 0 ? GetVirtualWidth() : metrics->contentWidth;
  const int virtualHeight = GetVirtualHeight() > 0 ? GetVirtualHeight() : metrics->contentHeight;
  if (virtualWidth > 0) scale.x = double(metrics->contentWidth) * metrics->scaleX / virtualWidth;
  if (virtualHeight > 0) scale.y = double(metrics->contentHeight) * metrics->scaleY / virtualHeight;
  if (!(scale.x > 0)) scale.x = 1;
  if (!(scale.y > 0)) scale.y = 1;
  return scale;
}

// The widest line; the last line's height becomes the line height. The text is measured
// again only when it, its font or its size changed: drawing lays a text out more than once.
int CComponentText::MeasureLines(ViewPrimitives& view, const std::vector<std::string>& lines) {
  const Measured key{text_, fontFace_, displaySize_, &view};
  if (measured_ && *measured_ == key) return measuredWidth_;
  view.SetTextFont(fontFace_, displaySize_, platform::kNoColor, shadow_);
  int width = 0;
  for (const std::string& line : lines) {
    const platform::Size extent = view.MeasureText(line.empty() ? " " : line);
    width = std::max(width, extent.width);
    lineHeight_ = extent.height;
  }
  measured_ = key;
  measuredWidth_ = width;
  return width;
}

// The block in screen pixels: its size and where its corner lies from the anchor.
CComponentText::Block CComponentText::MeasureBlock(ViewPrimitives& view) {
  Block block;
  const std::vector<std::string> lines = Lines();
  if (lines.empty() || displaySize_ <= 0) {
    lineHeight_ = 0;
    return block;
  }
  block.width = MeasureLines(view, lines);
  block.height = static_cast<int>(lines.size()) * lineHeight_;
  const int h = alignment_.horizontal, v = alignment_.vertical;
  block.offsetX = h > 0 ? -block.width : h < 0 ? 0 : -block.width / 2;
  block.offsetY = v > 0 ? -block.height : v < 0 ? 0 : -block.height / 2;
  if (HasIndicator()) {
    if (v == 0) {
      block.width += kIndicatorGap;
      block.offsetX -= h > 0 ? kIndicatorGap : h == 0 ? kIndicatorGap / 2 : 0;
    } else {
      block.height += kIndicatorGap;
      if (v > 0) block.offsetY -= kIndicatorGap;
    }
    block.offsetX += h < 0 ? -1 : h > 0 ? 2 : 0;
    block.offsetY += v < 0 ? -2 : v > 0 ? 1 : 0;
  }
  return block;
}

// The block is measured in screen pixels at the display size and turned into the object's
// units, so that mapping it back gives the measured size at every zoom.
void CComponentText::UpdateScreenRect() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  const auto metrics = ViewMetrics();
  if (!metrics && !IsScreenCoordinates()) return;
  displaySize_ = ComputeDisplaySize(metrics);
  const Block block = MeasureBlock(*view);
  const UnitScale scale = ScreenPerUnit(metrics);
  const bool screenSized = IsScreenCoordinates();
  const int width = screenSized ? block.width : RoundHalfTowardZero(block.width / scale.x);
  const int height = screenSized ? block.height : RoundHalfTowardZero(block.height / scale.y);
  const int anchorX = GetX(), anchorY = GetY();
  blockX_ = anchorX + RoundHalfTowardZero(block.offsetX / scale.x);
  blockY_ = anchorY + RoundHalfTowardZero(block.offsetY / scale.y);
  SetRect(blockX_, blockY_, width, height);
  MapObject::UpdateScreenRect();
  SetRect(anchorX, anchorY, width, height);
}

// ---- Drawing ------------------------------------------------------------------------------

void CComponentText::DrawHaloText(const Painter& paint, const std::string& text, int x, int y,
                                  platform::Color halo) const {
  if (halo != platform::kNoColor) {
    paint.text(text, x - 1, y, halo);
    paint.text(text, x + 1, y, halo);
    paint.text(text, x, y - 1, halo);
    paint.text(text, x, y + 1, halo);
  }
  paint.text(text, x, y, GetCurrentColor());
}

void CComponentText::DrawLines(const Painter& paint, const std::vector<std::string>& lines, platform::Color halo) {
  const int h = alignment_.horizontal;
  const platform::Rect area = TextArea();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int room = area.Width() - paint.measure(lines[i]).width;
    const int x = area.left + (h > 0 ? room : h == 0 ? room / 2 : 0);
    const int y = area.top + lineHeight_ * static_cast<int>(i);
    DrawHaloText(paint, lines[i], x, y, halo);
  }
}

void CComponentText::DrawWithIndicator(const Painter& paint, const std::vector<std::string>& lines,
                                       platform::Color halo) {
  const int h = alignment_.horizontal, v = alignment_.vertical;
  std::string whole;
  for (const std::string& line : lines) whole += (whole.empty() ? "" : "\n") + line;
  const platform::Rect box = TextArea();
  const int textX = box.left + (v == 0 ? (h < 0 ? kIndicatorGap : h == 0 ? kIndicatorGap / 2 : 0) : 0);
  const int textY = box.top + (v < 0 ? kIndicatorGap : 0);
  DrawHaloText(paint, whole, textX, textY, halo);

  const int dotX = h < 0 ? box.left : h > 0 ? box.right - kIndicatorSize : (box.left + box.right) / 2 - 1;
  const int dotY = v < 0 ? box.top : v > 0 ? box.bottom - kIndicatorSize : (box.top + box.bottom) / 2 - 1;
  const platform::Color color = ParseColor(GetProperty("indicatorcolor")).value_or(kDefaultIndicatorColor);
  paint.fill(dotX, dotY, kIndicatorSize, kIndicatorSize, color);
}

void CComponentText::Paint(const Painter& paint, const std::vector<std::string>& lines) {
  const platform::Rect box = GetScreenRect();
  if (background_ != platform::kNoColor) paint.fill(box.left, box.top, box.Width(), box.Height(), background_);
  const platform::Color halo = ParseColor(GetProperty("outline")).value_or(platform::kNoColor);
  if (HasIndicator())
    DrawWithIndicator(paint, lines, halo);
  else
    DrawLines(paint, lines, halo);
}

void CComponentText::Draw() {
  ViewPrimitives* view = GetView();
  if (!view || IsBeingCreated()) return;
  UpdateScreenRect();
  const std::vector<std::string> lines = Lines();
  // A text fixed to the window needs no document to be seen.
  const bool onScreen = IsOnScreen() || (IsScreenCoordinates() && !IsAnchoredText());
  if (!onScreen || displaySize_ <= 0 || lines.empty() || GetScreenWidth() <= 0 || GetScreenHeight() <= 0) return;
  MapObject::Draw();
  SetProperty("visualsize", std::to_string(displaySize_));
  view->SetTextFont(fontFace_, displaySize_, platform::kNoColor, shadow_);
  const Painter paint{[view](const std::string& text) { return view->MeasureText(text); },
                      [view](const std::string& text, int x, int y, platform::Color color) {
                        view->DrawText(text, x, y, color);
                      },
                      [view](int x, int y, int width, int height, platform::Color color) {
                        view->FillRect(x, y, width, height, color);
                      }};
  Paint(paint, lines);
  if (IsEditing()) {
    const platform::Rect box = GetScreenRect();
    view->DrawRectOutline(box.left, box.top, box.Width(), box.Height(), kEditOuterColor, 1, kPenSolid);
    view->DrawRectOutline(box.left + 1, box.top + 1, box.Width() - 2, box.Height() - 2, kEditInnerColor, 1,
                          kPenSolid);
  }
}

// The device's origin is (dx, dy) in displayed pixels of the level; the text is drawn as on
// the view, shadow included, shifted by the viewport.
void CComponentText::RenderToDevice(platform::Canvas& device, int dx, int dy, int, int, int) {
  ViewPrimitives* view = GetView();
  if (!view) return;
  UpdateScreenRect();
  const std::vector<std::string> lines = Lines();
  if (displaySize_ <= 0 || lines.empty() || GetScreenWidth() <= 0 || GetScreenHeight() <= 0) return;
  const int offsetX = view->GetViewportX() - dx;
  const int offsetY = view->GetViewportY() - dy;
  device.Save();
  device.SetFont({fontFace_, double(displaySize_), platform::FontUnit::Pixels, false, false, false});
  device.SetTextAlign(platform::TextAlign::Left);
  device.SetTextBackground(platform::kNoColor);
  const platform::Color shadow = shadow_;
  const Painter paint{[&device](const std::string& text) { return device.MeasureText(text); },
                      [&device, offsetX, offsetY, shadow](const std::string& text, int x, int y, platform::Color color) {
                        if (shadow != platform::kNoColor) {
                          device.SetTextColor(shadow);
                          device.DrawText({x + offsetX + 1, y + offsetY + 1}, text);
                        }
                        device.SetTextColor(color);
                        device.DrawText({x + offsetX, y + offsetY}, text);
                      },
                      [&device, offsetX, offsetY](int x, int y, int width, int height, platform::Color color) {
                        device.FillRect(platform::Rect::FromSize(x + offsetX, y + offsetY, width, height), color);
                      }};
  Paint(paint, lines);
  device.Restore();
}

// ---- Mouse --------------------------------------------------------------------------------

void CComponentText::FinishCreation() {
  ViewPrimitives* view = GetView();
  SetBeingCreated(false);
  SetEditing(AllowsEditing() && IsYes(view->GetBrowserProperty("IsEditing")));
  SetTextAlign("lefttop");
  UpdateScreenRect();
  EditInDialog();
  PostDoneCreating();
  view->InvalidateObject(*this, true);
}

void CComponentText::OnLButtonDown(unsigned flags, platform::Point point) {
  if (IsBeingCreated()) {
    if (const auto at = CreationPoint(point)) {
      SetRect(at->x, at->y, GetWidth(), GetHeight());
      FinishCreation();
    }
    return;
  }
  if (IsEditing()) {
    dragging_ = true;
    grab_ = point;
    dragAnchor_ = {GetX(), GetY()};
    return;
  }
  CComponentLink::OnLButtonDown(flags, point);
}

void CComponentText::OnMouseMove(unsigned flags, platform::Point point) {
  if (!dragging_) {
    CComponentLink::OnMouseMove(flags, point);
    return;
  }
  // The anchor follows the pointer from where the move began, so rounding does not add up.
  const UnitScale scale = ScreenPerUnit(ViewMetrics());
  const int x = dragAnchor_.x + RoundHalfTowardZero((point.x - grab_.x) / scale.x);
  const int y = dragAnchor_.y + RoundHalfTowardZero((point.y - grab_.y) / scale.y);
  if (x == GetX() && y == GetY()) return;
  SetRect(x, y, GetWidth(), GetHeight());
  UpdateScreenRect();
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, false);
}

void CComponentText::OnLButtonUp(unsigned flags, platform::Point point) {
  if (!dragging_) {
    CComponentLink::OnLButtonUp(flags, point);
    return;
  }
  dragging_ = false;
  if (ViewPrimitives* view = GetView()) view->InvalidateObject(*this, true);
}

void CComponentText::OnClick(platform::Point point, int button) {
  if (IsEditing() && button == kObjectLeftButton)
    EditInDialog();
  else
    CComponentLink::OnClick(point, button);
}

void CComponentText::OnClickWithOption(platform::Point point, int button, const std::string& option) {
  if (IsEditing() && button == kObjectLeftButton)
    EditInDialog();
  else
    CComponentLink::OnClickWithOption(point, button, option);
}

bool CComponentText::EditInDialog() { return TextDialog::Run(*this); }

void CComponentText::ApplyDialogValues(const std::string& font, int size, const std::string& sizeText,
                                       platform::Color color, const std::string& text) {
  fontFace_ = font;
  size_ = size;
  SetColors(color, color);
  text_ = text;
  SetProperty("font", font);
  SetProperty("fontface", font);
  SetProperty("size", std::to_string(size));
  SetProperty("visualsize", sizeText);
  SetProperty("fontsize", std::to_string(size));
  SetProperty("color", FormatColor(color));
  SetProperty("text", text);
  SetProperty("value", text);
  UpdateScreenRect();
}

// ---- Properties ---------------------------------------------------------------------------

std::string CComponentText::GetProperty(const std::string& name) const {
  std::string value = CComponentLink::GetProperty(name);
  if (!value.empty()) return value;
  const std::string key = ToLower(name);
  if (key == "size" || key == "fontsize") return std::to_string(size_);
  if (key == "font" || key == "fontface") return fontFace_;
  if (key == "visualsize") return std::to_string(displaySize_);
  if (key == "text" || key == "value") return text_;
  return {};
}

bool CComponentText::CommitTextProperties() {
  bool applied = false;
  if (const std::string text = GetProperty("text"); text != text_) {
    text_ = text;
    applied = true;
  }
  if (const std::string font = GetProperty("font"); font != fontFace_) {
    fontFace_ = font;
    applied = true;
  }
  if (const int size = ParseInt(GetProperty("size")); size != size_) {
    size_ = size;
    applied = true;
  }
  if (const std::string words = GetProperty("textalign"); !words.empty()) {
    const Alignment alignment = ParseAlignment(words);
    applied |= alignment != alignment_;
    alignment_ = alignment;
  }
  if (const std::string shadow = GetProperty("shadow"); !shadow.empty()) {
    const int value = ParseInt(shadow);
    const platform::Color color = value < 0 ? platform::kNoColor : value;
    applied |= color != shadow_;
    shadow_ = color;
  }
  // A new colour is the text's colour under the pointer too, unless a script gave that one.
  const auto color = ParseColor(GetProperty("color"));
  if (color && !GetPendingProperties().contains("mouseovercolor")) SetColors(*color, *color);
  return applied;
}

bool CComponentText::CommitProperties() {
  const bool linkApplied = CComponentLink::CommitProperties();
  const bool textApplied = CommitTextProperties();
  UpdateScreenRect();
  return linkApplied || textApplied;
}

std::string CComponentText::GetXml() const {
  std::string xml = "<text ";
  SavedXml::Attribute(xml, "x", blockX_ + GetWidth() / 2);
  SavedXml::Attribute(xml, "y", blockY_ + GetHeight() / 2);
  SavedXml::OptionalAttribute(xml, "name", GetProperty("name"));
  SavedXml::OptionalAttribute(xml, "group", GetProperty("group"));
  SavedXml::OptionalAttribute(xml, "href", GetLink());
  SavedXml::OptionalAttribute(xml, "tooltip", GetTooltip());
  SavedXml::Attribute(xml, "text", EscapeLineBreaks(text_));
  SavedXml::Attribute(xml, "font", fontFace_);
  SavedXml::Attribute(xml, "size", size_);
  SavedXml::LevelAttributes(xml, *this);
  SavedXml::Attribute(xml, "color", FormatColor(GetCurrentColor()));
  if (AllowsEditing()) SavedXml::Attribute(xml, "allowediting", "yes");
  SavedXml::UnderscoreProperties(xml, *this);
  xml += "/>";
  return xml;
}

}  // namespace zolvex
