#include "control/PropertyBag.h"

#include "platform/TextValues.h"

namespace zolvex {

std::optional<std::string> MemoryPropertyBag::Read(const std::string& name) const {
  for (const auto& [key, value] : values_) {
    if (EqualsNoCase(key, name)) return value;
  }
  return std::nullopt;
}

void MemoryPropertyBag::Write(const std::string& name, const std::string& value) {
  for (auto& [key, stored] : values_) {
    if (EqualsNoCase(key, name)) {
      stored = value;
      return;
    }
  }
  values_.emplace_back(name, value);
}

}  // namespace zolvex
