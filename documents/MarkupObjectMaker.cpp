#include "documents/MarkupObjectMaker.h"

#include <mutex>

#include "documents/XmlReader.h"
#include "objects/MarkupTextMaker.h"
#include "view/MapView.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

std::mutex& MakerLock() {
  static std::mutex lock;
  return lock;
}

MarkupObjectMaker::Maker& InstalledMaker() {
  static MarkupObjectMaker::Maker maker;
  return maker;
}

MarkupObjectMaker::Maker CurrentMaker() {
  std::lock_guard<std::mutex> hold(MakerLock());
  return InstalledMaker();
}

}  // namespace

std::string UnmadeElement::Attribute(const std::string& name) const {
  for (const auto& [key, value] : attributes) {
    if (EqualsNoCase(key, name)) return value;
  }
  return {};
}

void MarkupObjectMaker::Install(Maker maker) {
  std::lock_guard<std::mutex> hold(MakerLock());
  InstalledMaker() = std::move(maker);
}

bool MarkupObjectMaker::IsInstalled() { return static_cast<bool>(CurrentMaker()); }

UnmadeElement MarkupObjectMaker::Describe(XmlReader& reader, const std::string& mapId) {
  UnmadeElement element;
  element.tagName = reader.GetChildTagName();
  element.mapId = mapId;
  reader.RewindChildAttributes();
  std::string name, value;
  while (reader.NextChildAttribute(name, value)) element.attributes.emplace_back(name, value);
  return element;
}

std::unique_ptr<MapObject> MarkupObjectMaker::Make(MapView& view, XmlReader& reader, const std::string& basePath,
                                                   const std::string& mapId, std::vector<UnmadeElement>& unmade) {
  const std::string tagName = ToLower(reader.GetChildTagName());
  if (Maker maker = CurrentMaker()) {
    if (auto object = maker(view, reader, tagName, basePath)) return object;
  }
  // Texts and notes are built in.
  UnmadeElement element = Describe(reader, mapId);
  if (auto object = MarkupTextMaker::Make(tagName, element.attributes, basePath, view)) return object;
  unmade.push_back(std::move(element));
  return nullptr;
}

}  // namespace zolvex
