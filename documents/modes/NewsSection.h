#pragma once
#include <optional>

#include "documents/XmlReader.h"

namespace zolvex {

class MapDocument;

// The "news" section of a page-mode document's markup (xmml > news), read by the news and
// layout-news documents.
class NewsSection {
 public:
  // A reader placed inside the section of the inner markup document, or nothing when the
  // document has no markup or no such section.
  static std::optional<XmlReader> Enter(MapDocument* inner);
  // Every "param" child with a non-empty name sets that parameter of the document.
  static void ApplyParams(MapDocument& document, MapDocument* inner);
};

}  // namespace zolvex
