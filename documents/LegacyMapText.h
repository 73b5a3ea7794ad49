#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zolvex {

// One object line of a map text, with the level range in force for it (0-based, -1: no
// bound). Coordinates are pixels of the full-resolution image.
struct LegacyMapItem {
  std::string keyword;  // "RECT", "CIRCLE", "SOUND", "BITMAP", "LOGO", "TEXT", "LOCATION"
  std::string target;   // link target ("" for none)
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int minLevel = -1;
  int maxLevel = -1;
  int layer = 2;
  bool outline = false;
  bool screen = false;       // fixed to the screen
  bool transparent = true;   // images: drawn with their transparent colour
  std::string image;         // images: the file names as written
  std::string overImage;     // BITMAP: the second picture, when it differs from the first
  std::string font;          // TEXT
  int fontSize = 0;
  std::string color;         // TEXT: "#RRGGBB" as written
  std::string text;          // TEXT: with "_" shown as spaces
  std::string shadow;        // TEXT: shadow colour, or "noshadow"
  std::vector<std::string> locations;  // LOCATION: the list, in line order
};

// The line-based map text of ".map" and ".him" files: lines of a keyword and its values.
// Lines are cut at 999 bytes; unknown keywords and lines that miss required values are
// skipped.
class LegacyMapText {
 public:
  static constexpr std::size_t kMaxLineLength = 999;
  // Text past the first MiB is not read: a map text is a few kilobytes.
  static constexpr std::size_t kMaxTextLength = std::size_t{1} << 20;

  static LegacyMapText Parse(std::string_view text);
  // The non-empty lines, split at carriage returns and line feeds, each cut to 999 bytes.
  static std::vector<std::string> SplitLines(std::string_view text);
  // "a", "a-" or "a-b", 1-based, as (a - 1, b - 1) with -1 for a missing bound; nothing
  // readable gives (-1, -1).
  static void ParseLevelRange(const std::string& text, int& minLevel, int& maxLevel);

  int width = 0;   // SIZE; 0 when not given
  int height = 0;
  std::string animation;
  bool animated = false;
  std::string basemap;
  int printWidth = -1;  // -1: not set
  int printHeight = -1;
  std::vector<LegacyMapItem> items;

 private:
  void ReadLine(const std::string& line);
  void ReadArea(const std::string& keyword, const char* rest, int layer);
  void ReadSound(const char* rest);
  void ReadBitmap(const char* rest);
  void ReadText(const char* rest);
  void ReadLogo(const std::string& rest);
  void ApplyOptions(LegacyMapItem& item, const std::vector<std::string>& words);
  LegacyMapItem NewItem(const std::string& keyword, int layer) const;

  int allowMin_ = -1;
  int allowMax_ = -1;
  int logoIndex_ = -1;
  std::vector<std::string> locations_;
};

}  // namespace zolvex
