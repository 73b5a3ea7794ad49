#include "platform/XmlDom.h"

namespace zolvex::platform {

// The web build carries no conforming XML parser (message files are the only documents
// that need one): every load fails with a reason, and callers use their built-in texts.
struct XmlDom::Document {};

XmlDom::XmlDom() = default;
XmlDom::~XmlDom() = default;
XmlDom::XmlDom(XmlDom&&) noexcept = default;
XmlDom& XmlDom::operator=(XmlDom&&) noexcept = default;

bool XmlDom::IsLoaded() const { return false; }

bool XmlDom::LoadBytes(const std::vector<std::uint8_t>&, const std::string& url) {
  error_ = XmlDomError{1, url, "message files are not read in the web build", 0, 0};
  return false;
}

std::optional<std::string> XmlDom::FindElementText(const std::function<bool(const XmlDomElement&)>&) const {
  return std::nullopt;
}

}  // namespace zolvex::platform
