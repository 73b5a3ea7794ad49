#include "documents/MarkupObjectMaker.h"

#include "documents/DocumentHost.h"
#include "documents/XmlReader.h"
#include "documents/ObjectFactory.h"
#include "objects/PolyVectorObject.h"
#include "platform/TextValues.h"

namespace zolvex {

std::string UnmadeElement::Attribute(const std::string& name) const {
  for (const auto& [key, value] : attributes) {
    if (EqualsNoCase(key, name)) return value;
  }
  return {};
}

UnmadeElement MarkupObjectMaker::Describe(XmlReader& reader, const std::string& mapId) {
  UnmadeElement element;
  element.tagName = reader.GetChildTagName();
  element.mapId = mapId;
  reader.RewindChildAttributes();
  std::string name, value;
  while (reader.NextChildAttribute(name, value)) element.attributes.emplace_back(name, value);
  return element;
}

ShapeElement MarkupObjectMaker::DescribeShape(XmlReader& reader) {
  UnmadeElement element = Describe(reader, "");
  ShapeElement shape{std::move(element.tagName), std::move(element.attributes), {}};
  // The reader is a plain value: a copy walks the children and leaves the caller's cursor.
  XmlReader children = reader;
  if (!children.EnterChild()) return shape;
  while (children.FindChild("POINT") && shape.points.size() < PolyVectorObject::kMaxPoints)
    shape.points.push_back({ParseInt(children.GetChildAttribute("x")), ParseInt(children.GetChildAttribute("y"))});
  return shape;
}

std::unique_ptr<MapObject> MarkupObjectMaker::Make(DocumentHost& host, XmlReader& reader, const std::string& basePath,
                                                   const std::string& mapId, std::vector<UnmadeElement>& unmade) {
  if (auto object = host.Objects().CreateObject(host, reader.GetChildTagName(), reader, basePath)) return object;
  UnmadeElement element = Describe(reader, mapId);
  unmade.push_back(std::move(element));
  return nullptr;
}

}  // namespace zolvex
