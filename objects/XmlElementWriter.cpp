#include "objects/XmlElementWriter.h"

#include "objects/MapObject.h"
#include "objects/ObjectValues.h"

namespace zolvex {

namespace {

// The level limit that an element without maxlevel stores.
constexpr int kUnlimitedMaxLevel = 9999;

}  // namespace

void XmlElementWriter::Attribute(std::string_view name, std::string_view value) {
  text_ += ' ';
  text_ += name;
  text_ += "=\"";
  text_ += value;
  text_ += '"';
}

void XmlElementWriter::AttributeIfNotEmpty(std::string_view name, std::string_view value) {
  if (!value.empty()) Attribute(name, value);
}

void XmlElementWriter::Integer(std::string_view name, int value) { Attribute(name, std::to_string(value)); }

void XmlElementWriter::YesNo(std::string_view name, bool value) { Attribute(name, value ? "yes" : "no"); }

void XmlElementWriter::Color(std::string_view name, platform::Color color) { Attribute(name, FormatColor(color)); }

void XmlElementWriter::PendingIfNotEmpty(const MapObject& object, std::string_view name) {
  const auto& pending = object.GetPendingProperties();
  if (auto it = pending.find(std::string(name)); it != pending.end()) AttributeIfNotEmpty(name, it->second);
}

void XmlElementWriter::LevelRange(const MapObject& object) {
  if (object.GetMinLevel() > 0) Integer("minlevel", object.GetMinLevel() + 1);
  if (object.GetMaxLevel() != -1 && object.GetMaxLevel() != kUnlimitedMaxLevel)
    Integer("maxlevel", object.GetMaxLevel() + 1);
}

void XmlElementWriter::PenStyle(int style) {
  if (style >= kPenDash && style <= kPenDashDotDot) Attribute("style", PenStyleName(style));
}

void XmlElementWriter::UnderscoreProperties(const MapObject& object) {
  for (const auto& [name, value] : object.GetPendingProperties())
    if (!name.empty() && name[0] == '_') Attribute(name, value);
}

}  // namespace zolvex
