#pragma once
#include <string>
#include <string_view>

#include "platform/Geometry.h"

namespace zolvex {

class MapObject;

// Writes the saved element of an overlay object: each attribute as a space, the name,
// "=", and the value in double quotes, written as it is (no entity escaping).
class XmlElementWriter {
 public:
  // Starts the element with its opening text ("<rect", "<ellipse " ...).
  explicit XmlElementWriter(std::string_view opening) : text_(opening) {}

  void Attribute(std::string_view name, std::string_view value);
  void AttributeIfNotEmpty(std::string_view name, std::string_view value);
  void Integer(std::string_view name, int value);
  void YesNo(std::string_view name, bool value);
  // "#" and six lower-case hex digits.
  void Color(std::string_view name, platform::Color color);
  // The pending property of that name, when not empty ("name", "group").
  void PendingIfNotEmpty(const MapObject& object, std::string_view name);
  // minlevel when the stored minimum is above 0, maxlevel when the stored maximum is
  // neither -1 nor 9999; both written 1-based.
  void LevelRange(const MapObject& object);
  // The pen style by its name, when it is not solid.
  void PenStyle(int style);
  // Every pending property whose name begins with "_", in the pending map's order.
  void UnderscoreProperties(const MapObject& object);
  void Raw(std::string_view text) { text_ += text; }

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace zolvex
