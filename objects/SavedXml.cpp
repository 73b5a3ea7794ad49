#include "objects/SavedXml.h"

#include "objects/MapObject.h"

namespace zolvex {

namespace {

constexpr int kUnlimitedMaxLevel = 9999;

}  // namespace

void SavedXml::Attribute(std::string& xml, std::string_view name, std::string_view value) {
  xml += ' ';
  xml += name;
  xml += "=\"";
  for (char c : value) {
    switch (c) {
      case '"': xml += "&quot;"; break;
      case '&': xml += "&amp;"; break;
      case '<': xml += "&lt;"; break;
      default: xml += c; break;
    }
  }
  xml += '"';
}

void SavedXml::Attribute(std::string& xml, std::string_view name, int value) {
  Attribute(xml, name, std::to_string(value));
}

void SavedXml::OptionalAttribute(std::string& xml, std::string_view name, std::string_view value) {
  if (!value.empty()) Attribute(xml, name, value);
}

void SavedXml::LevelAttributes(std::string& xml, const MapObject& object) {
  if (object.GetMinLevel() > 0) Attribute(xml, "minlevel", object.GetMinLevel() + 1);
  const int maxLevel = object.GetMaxLevel();
  if (maxLevel != -1 && maxLevel != kUnlimitedMaxLevel) Attribute(xml, "maxlevel", maxLevel + 1);
}

void SavedXml::UnderscoreProperties(std::string& xml, const MapObject& object) {
  for (const auto& [name, value] : object.GetPendingProperties())
    if (!name.empty() && name.front() == '_') Attribute(xml, name, value);
}

}  // namespace zolvex
