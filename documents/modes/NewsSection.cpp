#include "documents/modes/NewsSection.h"

#include <string>

#include "documents/XmmlDocument.h"

namespace zolvex {

std::optional<XmlReader> NewsSection::Enter(MapDocument* inner) {
  auto* markup = dynamic_cast<XmmlDocument*>(inner);
  if (!markup) return std::nullopt;
  XmlReader reader = markup->Reader();
  reader.ResetPosition();
  if (!reader.FindNext("XMML") || !reader.FindChild("NEWS") || !reader.EnterChild()) return std::nullopt;
  return reader;
}

void NewsSection::ApplyParams(MapDocument& document, MapDocument* inner) {
  std::optional<XmlReader> reader = Enter(inner);
  if (!reader) return;
  while (reader->FindChild("PARAM")) {
    const std::string name = reader->GetChildAttribute("NAME");
    if (!name.empty()) document.SetParam(name, reader->GetChildAttribute("VALUE"));
  }
}

}  // namespace zolvex
