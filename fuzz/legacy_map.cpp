// The line-based map text of ".map" and ".him" files.
#include "documents/LegacyMapText.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = zolvex::fuzz::AsText(data, size);
  for (const std::string& line : zolvex::LegacyMapText::SplitLines(text)) {
    zolvex::fuzz::Require(!line.empty() && line.size() <= zolvex::LegacyMapText::kMaxLineLength, "lines are cut");
  }
  zolvex::LegacyMapText map = zolvex::LegacyMapText::Parse(text);
  for (const zolvex::LegacyMapItem& item : map.items) {
    zolvex::fuzz::Require(item.text.size() <= zolvex::LegacyMapText::kMaxLineLength, "item text from one line");
  }
  return 0;
}
