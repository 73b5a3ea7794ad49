#include "objects/ElementSteps.h"

#include "objects/MapObject.h"
#include "platform/TextValues.h"

namespace zolvex {

std::string FindAttribute(const ElementAttributes& attributes, std::string_view name) {
  for (const auto& [key, value] : attributes)
    if (EqualsNoCase(key, name)) return value;
  return {};
}

int LevelLimitOf(const std::string& text, int whenEmpty) {
  if (text.empty()) return whenEmpty;
  const int level = ParseOneBasedIndex(text);
  return level < 0 ? -1 : level;
}

void FinishMadeObject(MapObject& object, const ElementAttributes& attributes, ViewPrimitives* view) {
  object.SetEventListening(IsYes(FindAttribute(attributes, "eventlisten")));
  if (const std::string coordinate = FindAttribute(attributes, "co-ordinate"); !coordinate.empty())
    object.SetProperty("co-ordinate", coordinate);
  object.SetProperty("ifx", FindAttribute(attributes, "ifx"));
  for (const auto& [name, value] : attributes)
    if (!name.empty() && name.front() == '_') object.SetProperty(name, value);
  if (const int layer = ParseInt(FindAttribute(attributes, "layer")); layer > 0) object.SetLayer(layer);
  object.SetView(view);
}

}  // namespace zolvex
