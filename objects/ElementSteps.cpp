#include "objects/ElementSteps.h"

#include "objects/MapObject.h"
#include "objects/ObjectValues.h"
#include "platform/TextValues.h"

namespace zolvex {

namespace {

constexpr int kUnlimitedMaxLevel = 9999;
constexpr int kMadeObjectLayer = 2;
constexpr int kDefaultTooltipSize = 14;

bool HasAttribute(const ElementAttributes& attributes, std::string_view name) {
  for (const auto& attribute : attributes)
    if (EqualsNoCase(attribute.first, name)) return true;
  return false;
}

}  // namespace

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

void ReadCommonAttributes(MapObject& object, const ElementAttributes& attributes, const CommonReads& reads) {
  auto get = [&attributes](std::string_view name) { return FindAttribute(attributes, name); };
  object.SetLevelRange(LevelLimitOf(get("minlevel"), 0), LevelLimitOf(get("maxlevel"), kUnlimitedMaxLevel));
  if (reads.alignment) object.SetAlignment(HorizontalAlignment(get("halign")) | VerticalAlignment(get("valign")));
  if (reads.virtualSize && (HasAttribute(attributes, "virtualwidth") || HasAttribute(attributes, "virtualheight")))
    object.SetVirtualSize(ParseInt(get("virtualwidth")), ParseInt(get("virtualheight")));
  const std::string anchor = reads.anchor ? get("anchor") : std::string();
  const bool anchored = IsYes(anchor) || EqualsNoCase(anchor, "center");
  if (EqualsNoCase(get("co-ordinate"), "screen") || anchored) {
    object.SetScreenCoordinates(true);
    object.SetVirtualSize(-1, -1);
  }
  if (anchored) object.SetProperty("anchor", anchor);
  if (reads.tooltip) {
    const std::string font = get("tooltipfont");
    object.SetProperty("tooltipfont", font.empty() ? "Arial" : font);
    const int size = ParseInt(get("tooltipsize"));
    object.SetProperty("tooltipsize", std::to_string(size < 1 ? kDefaultTooltipSize : size));
    object.SetTooltip(get("tooltip"));
  }
  if (HasAttribute(attributes, "name")) object.SetProperty("name", get("name"));
  if (HasAttribute(attributes, "group")) object.SetProperty("group", get("group"));
  if (const std::string page = get("basepage"); !page.empty()) object.SetBasePage(ParseInt(page));
  if (IsYes(get("allowediting"))) object.SetAllowEditing(true);
  object.SetLayer(kMadeObjectLayer);
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
