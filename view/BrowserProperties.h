#pragma once
#include <map>
#include <string>

namespace zolvex {

class MapDocument;

// The view's named string settings. Names are compared without regard to case. A name
// that is not stored, or stored empty, answers the current document's parameter of that
// name, so a document can preset any of them.
class BrowserProperties {
 public:
  void Set(const std::string& name, const std::string& value);
  // The stored value alone, without the document's parameter.
  std::string GetStored(const std::string& name) const;
  // The stored value, else the document's parameter (empty without a document).
  std::string Get(const std::string& name, MapDocument* document) const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace zolvex
