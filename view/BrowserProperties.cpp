#include "view/BrowserProperties.h"

#include "documents/MapDocument.h"
#include "platform/TextValues.h"

namespace zolvex {

void BrowserProperties::Set(const std::string& name, const std::string& value) { values_[ToLower(name)] = value; }

std::string BrowserProperties::GetStored(const std::string& name) const {
  auto found = values_.find(ToLower(name));
  return found == values_.end() ? std::string() : found->second;
}

std::string BrowserProperties::Get(const std::string& name, MapDocument* document) const {
  std::string stored = GetStored(name);
  if (!stored.empty() || document == nullptr) return stored;
  return document->GetParam(name);
}

}  // namespace zolvex
