#include "view/PageObjects.h"

#include "documents/MarkupObjectMaker.h"
#include "documents/XmlReader.h"
#include "objects/MapObject.h"
#include "platform/TextValues.h"
#include "view/CommandInterpreter.h"
#include "view/MapView.h"

namespace zolvex {

std::unique_ptr<MapObject> PageObjects::MakeOfText(const std::string& type, const std::string& attributes) {
  std::unique_ptr<MapObject> object = view_.Commands().MakeObject(Trim(type), attributes, "");
  if (object && !object->GetView()) object->SetView(&view_);
  return object;
}

std::vector<std::unique_ptr<MapObject>> PageObjects::MakeOfXmml(const std::string& xml) {
  std::vector<std::unique_ptr<MapObject>> made;
  XmlReader reader;
  if (!reader.Parse(xml) || !reader.FindNext() || !EqualsNoCase(reader.GetTagName(), "XMML")) return made;
  std::vector<UnmadeElement> skipped;
  while (reader.FindChild()) {
    std::unique_ptr<MapObject> object = MarkupObjectMaker::Make(view_, reader, view_.GetBaseUrl(), "", skipped);
    if (!object) continue;
    if (!object->GetView()) object->SetView(&view_);
    made.push_back(std::move(object));
  }
  return made;
}

}  // namespace zolvex
