#include "documents/LegacyMapText.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cstdio>

#include "platform/Numbers.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

// last - first, held inside int for coordinates at the ends of the range.
int SpanBetween(int first, int last) {
  return ClampToInt(static_cast<long long>(last) - first);
}

// Room for any field of a line: a line holds at most 999 bytes.
struct Fields {
  static constexpr int kCount = 11;
  char field[kCount][LegacyMapText::kMaxLineLength + 1] = {};
  std::string operator[](int i) const { return field[i]; }
  // The fields from first on that were read (count fields in all).
  std::vector<std::string> From(int first, int count) const {
    std::vector<std::string> words;
    for (int i = first; i < count && i < kCount; ++i) words.emplace_back(field[i]);
    return words;
  }
};

std::string FirstWord(const std::string& text, std::size_t& end) {
  std::size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  end = start;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  return text.substr(start, end - start);
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

}  // namespace

std::vector<std::string> LegacyMapText::SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == '\r' || text[at] == '\n')) ++at;
    std::size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end > at) lines.emplace_back(text.substr(at, std::min(end - at, kMaxLineLength)));
    at = end;
  }
  return lines;
}

void LegacyMapText::ParseLevelRange(const std::string& text, int& minLevel, int& maxLevel) {
  minLevel = maxLevel = -1;
  int first = 0, last = 0;
  char dash = 0;
  int read = std::sscanf(text.c_str(), "%d%c%d", &first, &dash, &last);
  if (read >= 1) minLevel = first - 1;
  if (read == 3 && dash == '-') maxLevel = last - 1;
}

LegacyMapText LegacyMapText::Parse(std::string_view text) {
  LegacyMapText map;
  for (const std::string& line : SplitLines(text.substr(0, kMaxTextLength))) map.ReadLine(line);
  if (!map.locations_.empty()) {
    LegacyMapItem list = map.NewItem("LOCATION", 2);
    list.screen = true;  // the list stays in the window's corner
    list.locations = std::move(map.locations_);
    map.items.push_back(std::move(list));
  }
  return map;
}

LegacyMapItem LegacyMapText::NewItem(const std::string& keyword, int layer) const {
  LegacyMapItem item;
  item.keyword = keyword;
  item.layer = layer;
  item.minLevel = allowMin_;
  item.maxLevel = allowMax_;
  return item;
}

void LegacyMapText::ReadLine(const std::string& line) {
  std::size_t end = 0;
  const std::string keyword = Upper(FirstWord(line, end));
  const std::string rest = line.substr(end);
  const char* values = rest.c_str();
  if (keyword == "SIZE") {
    if (std::sscanf(values, "%d,%d", &width, &height) < 2) width = height = 0;
  } else if (keyword == "ALLOWLEVEL") {
    std::size_t unused = 0;
    ParseLevelRange(FirstWord(rest, unused), allowMin_, allowMax_);
  } else if (keyword == "LINKPOINT") {
    int level = 0;
    if (std::sscanf(values, "%d", &level) == 1) allowMin_ = level - 1;
  } else if (keyword == "ANIMATION") {
    std::size_t unused = 0;
    animation = FirstWord(rest, unused);
    animated = true;
  } else if (keyword == "RECT") {
    ReadArea(keyword, values, 3);
  } else if (keyword == "CIRCLE") {
    ReadArea(keyword, values, 2);
  } else if (keyword == "SOUND") {
    ReadSound(values);
  } else if (keyword == "BITMAP") {
    ReadBitmap(values);
  } else if (keyword == "LOGO1" || keyword == "LOGO2") {
    ReadLogo(Trim(rest));
  } else if (keyword == "LOCATION") {
    locations_.push_back(Trim(rest));
  } else if (keyword == "BASEMAP") {
    basemap = Trim(rest);
  } else if (keyword == "PRINTWIDTH" || keyword == "PRINTHEIGHT") {
    int value = ParseInt(rest);
    (keyword == "PRINTWIDTH" ? printWidth : printHeight) = value < 10 ? -1 : value;
  } else if (keyword == "TEXT") {
    ReadText(values);
  }
}

// "outline" draws the outline, "screen" fixes the object to the screen, "notrans" drops the
// transparent colour, and "level" takes the next word as the object's own level range.
void LegacyMapText::ApplyOptions(LegacyMapItem& item, const std::vector<std::string>& words) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string word = ToLower(words[i]);
    if (word == "outline") {
      item.outline = true;
    } else if (word == "screen") {
      item.screen = true;
    } else if (word == "notrans") {
      item.transparent = false;
    } else if (word == "level" && i + 1 < words.size()) {
      ParseLevelRange(words[++i], item.minLevel, item.maxLevel);
    }
  }
}

void LegacyMapText::ReadArea(const std::string& keyword, const char* rest, int layer) {
  Fields f;
  int read = std::sscanf(rest, " %s %[^ ,\r\n],%[^ ,\r\n] %[^ ,\r\n],%[^ ,\r\n] %[outlineOUTLINElevelLEVEL] %[levelLEVEL0-9-] %[0-9-]",
                         f.field[0], f.field[1], f.field[2], f.field[3], f.field[4], f.field[5], f.field[6], f.field[7]);
  if (read < 5) return;
  LegacyMapItem item = NewItem(keyword, layer);
  item.target = f[0];
  item.x = ParseInt(f[1]);
  item.y = ParseInt(f[2]);
  item.width = SpanBetween(item.x, ParseInt(f[3]));
  item.height = SpanBetween(item.y, ParseInt(f[4]));
  ApplyOptions(item, f.From(5, read));
  items.push_back(std::move(item));
}

void LegacyMapText::ReadSound(const char* rest) {
  Fields f;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int read = std::sscanf(rest, " %s %d,%d %d,%d %[^ ,\r\n] %[outlineOUTLINE]", f.field[0], &x1, &y1, &x2, &y2,
                         f.field[1], f.field[2]);
  if (read < 6) return;
  LegacyMapItem item = NewItem("SOUND", 2);
  item.x = x1;
  item.y = y1;
  item.width = SpanBetween(x1, x2);
  item.height = SpanBetween(y1, y2);
  item.target = f[1];
  item.outline = read >= 7;
  items.push_back(std::move(item));
}

void LegacyMapText::ReadBitmap(const char* rest) {
  Fields f;
  int read = std::sscanf(rest,
                         " %s %[^ ,\r\n],%[^ ,\r\n] %s %s %[notransNOTRANScenCElevelLEVEL] "
                         "%[notransNOTRANScenCElevelLEVEL0-9-] %[levelLEVEL0-9-] %[0-9-]",
                         f.field[0], f.field[1], f.field[2], f.field[3], f.field[4], f.field[5], f.field[6],
                         f.field[7], f.field[8]);
  if (read < 4) return;
  LegacyMapItem item = NewItem("BITMAP", 2);
  item.target = f[0];
  item.x = ParseInt(f[1]);  // the centre until the picture's size is known
  item.y = ParseInt(f[2]);
  item.image = f[3];
  if (read >= 5 && f[4] != item.image) item.overImage = f[4];
  ApplyOptions(item, f.From(5, read));
  items.push_back(std::move(item));
}

void LegacyMapText::ReadText(const char* rest) {
  Fields f;
  int x = 0, y = 0, size = 0;
  int read = std::sscanf(rest, "%s %d,%d %s %d %s %s %s %s %s %s", f.field[0], &x, &y, f.field[1], &size, f.field[2],
                         f.field[3], f.field[4], f.field[5], f.field[6], f.field[7]);
  if (read < 8) return;
  LegacyMapItem item = NewItem("TEXT", 2);
  item.target = EqualsNoCase(f[0], "null") ? std::string() : f[0];
  item.x = x;
  item.y = y;
  item.font = f[1];
  item.fontSize = size;
  item.color = f[2];
  item.text = f[3];
  std::replace(item.text.begin(), item.text.end(), '_', ' ');
  item.shadow = f[4];
  ApplyOptions(item, f.From(5, read - 3));
  items.push_back(std::move(item));
}

void LegacyMapText::ReadLogo(const std::string& rest) {
  if (rest.empty()) return;
  LegacyMapItem logo = NewItem("LOGO", 3);
  logo.image = rest;
  logo.screen = true;
  logo.minLevel = logo.maxLevel = -1;
  if (logoIndex_ >= 0) {
    items[static_cast<std::size_t>(logoIndex_)] = std::move(logo);
    return;
  }
  logoIndex_ = static_cast<int>(items.size());
  items.push_back(std::move(logo));
}

}  // namespace zolvex
