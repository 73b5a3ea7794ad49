#include "view/TooltipObject.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr platform::Color kBackground = platform::MakeColor(0xFF, 0xFF, 0xE1);
constexpr platform::Color kBorder = platform::MakeColor(0x50, 0x50, 0x50);
constexpr platform::Color kTextColor = platform::MakeColor(0, 0, 0);

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// One line broken at spaces so that each piece fits the width; a word wider than the
// width stands on a line of its own.
void WrapLine(ViewPrimitives& view, const std::string& line, int width, std::vector<std::string>& out) {
  std::string current;
  std::size_t at = 0;
  while (at <= line.size()) {
    std::size_t space = line.find(' ', at);
    if (space == std::string::npos) space = line.size();
    std::string word = line.substr(at, space - at);
    std::string candidate = current.empty() ? word : current + " " + word;
    if (!current.empty() && view.MeasureText(candidate).width > width) {
      out.push_back(current);
      current = word;
    } else {
      current = std::move(candidate);
    }
    at = space + 1;
  }
  out.push_back(current);
}

bool IsLineBreakTag(const std::string& tag) {
  std::string name;
  for (char c : tag) {
    if (c == '/' && name.empty()) continue;
    if (!std::isalnum(static_cast<unsigned char>(c))) break;
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return name == "br" || name == "p" || name == "div" || name == "li" || name == "tr";
}

}  // namespace

TooltipObject::TooltipObject() : CComponentText(0, 0, "", kDefaultFont, kDefaultSize, kTextColor, "") {
  SetScreenCoordinates(true);
  SetLayer(kLayer);
  SetVisible(false);
  SetTextAlign("lefttop");
}

void TooltipObject::SetContent(const std::string& text, const std::string& font, int size) {
  content_ = text;
  SetFontFace(font.empty() ? kDefaultFont : font);
  SetSize(size > 0 ? size : kDefaultSize);
}

void TooltipObject::ApplyFont(ViewPrimitives& view) const {
  view.SetTextFont(GetFontFace(), GetSize(), platform::kNoColor, platform::kNoColor);
}

platform::Size TooltipObject::MeasureContent(ViewPrimitives& view) {
  ApplyFont(view);
  int width = 0, height = 0;
  for (const std::string& line : SplitLines(content_)) {
    platform::Size extent = view.MeasureText(line.empty() ? " " : line);
    width = std::max(width, extent.width);
    height += extent.height;
  }
  return {width + 2 * kPadding, height + 2 * kPadding};
}

std::vector<std::string> TooltipObject::Lines(ViewPrimitives& view, int boxWidth) {
  ApplyFont(view);
  std::vector<std::string> lines;
  const int inner = boxWidth - 2 * kPadding;
  for (const std::string& line : SplitLines(content_)) {
    if (boxWidth <= 0) {
      lines.push_back(line);
    } else {
      WrapLine(view, line, inner, lines);
    }
  }
  return lines;
}

void TooltipObject::PlaceAt(platform::Point at, platform::Size size, platform::Size window) {
  box_ = size;
  MoveTo(at, window);
}

void TooltipObject::MoveTo(platform::Point at, platform::Size window) {
  const int x = std::max(0, std::min(at.x, window.width - box_.width));
  const int y = std::max(0, std::min(at.y, window.height - box_.height));
  SetRect(x + kPadding, y + kPadding, GetWidth(), GetHeight());
  UpdateScreenRect();
}

// Lines that do not fit the box are left out rather than drawn over its border; the first
// line always stays.
std::string TooltipObject::ShownText(ViewPrimitives& view) {
  const int innerHeight = box_.height - 2 * kPadding;
  std::string shown;
  int height = 0;
  for (const std::string& line : Lines(view, box_.width)) {
    const std::string piece = line.empty() ? " " : line;
    height += view.MeasureText(piece).height;
    if (height > innerHeight && !shown.empty()) break;
    shown += (shown.empty() ? "" : "\n") + piece;
  }
  return shown;
}

void TooltipObject::UpdateScreenRect() {
  ViewPrimitives* view = GetView();
  if (!view) return;
  SetText(ShownText(*view));
  CComponentText::UpdateScreenRect();
  SetScreenRect(GetX() - kPadding, GetY() - kPadding, box_.width, box_.height);
}

platform::Rect TooltipObject::TextArea() const {
  const platform::Rect box = GetScreenRect();
  return {box.left + kPadding, box.top + kPadding, box.right - kPadding, box.bottom - kPadding};
}

void TooltipObject::Draw() {
  ViewPrimitives* view = GetView();
  if (!view || !IsVisible()) return;
  UpdateScreenRect();
  const platform::Rect box = GetScreenRect();
  view->FillRect(box.left, box.top, box.Width(), box.Height(), kBackground);
  view->DrawRectOutline(box.left, box.top, box.Width(), box.Height(), kBorder, 1, kPenSolid);
  CComponentText::Draw();
}

std::string TooltipObject::PlainText(const std::string& markup) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&apos;", "'"}, {"&nbsp;", " "}};
  std::string text;
  std::size_t at = 0;
  while (at < markup.size()) {
    const char c = markup[at];
    if (c == '<') {
      std::size_t end = markup.find('>', at);
      if (end == std::string::npos) break;  // an unfinished tag shows nothing
      if (IsLineBreakTag(markup.substr(at + 1, end - at - 1)) && !text.empty() && text.back() != '\n') text += '\n';
      at = end + 1;
      continue;
    }
    if (c == '&') {
      auto entity = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& pair) {
        return markup.compare(at, std::char_traits<char>::length(pair.first), pair.first) == 0;
      });
      if (entity != std::end(kEntities)) {
        text += entity->second;
        at += std::char_traits<char>::length(entity->first);
        continue;
      }
    }
    text += c;
    ++at;
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace zolvex
