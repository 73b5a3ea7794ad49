#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zolvex::platform {

// Why a document could not be loaded, as the XML parser reports it.
struct XmlDomError {
  int code = 0;
  std::string url;
  std::string reason;
  int line = 0;      // 1-based; 0 when the fault has no place in the text
  int position = 0;  // column in that line
};

// One element as the search sees it: its name and its attributes in document order.
struct XmlDomElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
};

// A document read by a conforming XML parser (for files whose authors expect full XML,
// such as message files). Network access and external entities are never loaded.
class XmlDom {
 public:
  XmlDom();
  ~XmlDom();
  XmlDom(XmlDom&&) noexcept;
  XmlDom& operator=(XmlDom&&) noexcept;

  // Parses bytes; url names the source in error reports. False (see Error) on failure.
  bool LoadBytes(const std::vector<std::uint8_t>& bytes, const std::string& url);
  bool IsLoaded() const;
  const XmlDomError& Error() const { return error_; }

  // Searches the elements depth-first in document order; answers the whole text content of
  // the first one that match accepts, or nothing when none does.
  std::optional<std::string> FindElementText(const std::function<bool(const XmlDomElement&)>& match) const;

 private:
  struct Document;
  std::unique_ptr<Document> document_;
  XmlDomError error_;
};

}  // namespace zolvex::platform
