#pragma once
#include <string>
#include <string_view>

namespace zolvex {

class MapObject;

// Pieces of the XMML element an object writes when it is saved: each attribute as a space,
// the name, "=" and the value in double quotes.
class SavedXml {
 public:
  // The value is written as it is, except the characters that would end or break the
  // attribute ('"', '&', '<'), which become their entities.
  static void Attribute(std::string& xml, std::string_view name, std::string_view value);
  static void Attribute(std::string& xml, std::string_view name, int value);
  // The attribute only when the value is not empty.
  static void OptionalAttribute(std::string& xml, std::string_view name, std::string_view value);
  // minlevel (stored minimum above 0) and maxlevel (stored maximum not -1 and not 9999),
  // both as the stored value plus 1.
  static void LevelAttributes(std::string& xml, const MapObject& object);
  // Every pending property whose name begins with "_", in the pending map's order.
  static void UnderscoreProperties(std::string& xml, const MapObject& object);
};

}  // namespace zolvex
