#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "objects/MapObject.h"
#include "objects/ShapeMaker.h"

namespace zolvex {

class DocumentHost;
class XmlReader;

// An object element of a map that no object could be made for: its tag name and
// attributes as written, and the map it stands in ("" outside a registered map).
struct UnmadeElement {
  std::string tagName;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string mapId;

  std::string Attribute(const std::string& name) const;
};

// How the markup documents get the overlay objects of their elements: from the object
// factory of their host; elements it makes nothing of are kept as UnmadeElements.
class MarkupObjectMaker {
 public:
  // The object for the reader's child element, or null after adding the element to unmade.
  static std::unique_ptr<MapObject> Make(DocumentHost& host, XmlReader& reader, const std::string& basePath,
                                         const std::string& mapId, std::vector<UnmadeElement>& unmade);
  // The reader's child element as a record.
  static UnmadeElement Describe(XmlReader& reader, const std::string& mapId);
  // The reader's child element as a shape reads it: its attributes and the x and y of its
  // POINT children.
  static ShapeElement DescribeShape(XmlReader& reader);
};

}  // namespace zolvex
