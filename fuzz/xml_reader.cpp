// XmlReader: parse, then walk the whole table with the cursor calls and cut out every name,
// attribute and content, checking that the table stays inside the text.
#include <string>

#include "documents/XmlReader.h"
#include "fuzz/FuzzSupport.h"

namespace {

using zolvex::XmlReader;

void RequireTableInsideText(const XmlReader& reader) {
  const std::int32_t size = static_cast<std::int32_t>(reader.Text().size());
  for (std::int32_t i = 1; i <= reader.ElementCount(); ++i) {
    const zolvex::ElementEntry& e = reader.Element(i);
    zolvex::fuzz::Require(0 <= e.start && e.start <= e.tagEnd && e.tagEnd <= e.end && e.end < size,
                          "element span inside the text");
    zolvex::fuzz::Require(e.parent >= 0 && e.parent < i, "parent precedes its child");
    zolvex::fuzz::Require(e.firstChild == 0 || e.firstChild > i, "children follow their parent");
    zolvex::fuzz::Require(e.nextSibling == 0 || e.nextSibling > i, "siblings follow in order");
    reader.TagNameAt(i);
  }
}

// Visits every element through the cursor, depth first, without recursion.
void WalkWithCursor(XmlReader& reader) {
  reader.ResetPosition();
  if (!reader.FindNext()) return;
  reader.GetAttribute("id");
  reader.GetContent();
  std::int32_t steps = 0;
  const std::int32_t limit = 4 * reader.ElementCount() + 16;
  for (;;) {
    zolvex::fuzz::Require(++steps <= limit, "cursor walk ends");
    if (reader.FindChild()) {
      std::string name, value;
      reader.RewindChildAttributes();
      for (int n = 0; n < 64 && reader.NextChildAttribute(name, value); ++n) {
      }
      reader.GetChildTagName();
      reader.GetChildAttribute("src");
      reader.GetChildMarkup();
      if (reader.EnterChild()) {
        reader.GetContent();
        continue;
      }
    }
    // No further child here: climb until a level has more children left.
    if (!reader.LeaveToParent()) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  XmlReader reader;
  bool parsed = reader.Parse(std::string(zolvex::fuzz::AsText(data, size)));
  if (!parsed) {
    zolvex::fuzz::Require(!reader.GetErrorText().empty() || size == 0 || !reader.IsWellFormed(),
                          "a refused text says why");
    return 0;
  }
  RequireTableInsideText(reader);
  WalkWithCursor(reader);
  XmlReader copy = reader;
  copy.ResetPosition();
  copy.FindNext();
  return 0;
}
