#include "platform/XmlDom.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <mutex>

namespace zolvex::platform {

namespace {

void InitialiseParserOnce() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

std::string FromXmlString(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : std::string(); }

// Takes ownership of a string that libxml2 allocated.
std::string TakeXmlString(xmlChar* text) {
  std::string result = FromXmlString(text);
  xmlFree(text);
  return result;
}

std::string TrimTrailingNewlines(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

XmlDomElement Describe(xmlNode* node) {
  XmlDomElement element;
  element.name = FromXmlString(node->name);
  for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
    element.attributes.emplace_back(FromXmlString(attribute->name),
                                    TakeXmlString(xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute))));
  }
  return element;
}

// The next node in document order below top, without recursion. Only elements are entered:
// the children of an entity reference belong to the entity's declaration.
xmlNode* NextInDocumentOrder(xmlNode* node, xmlNode* top) {
  if (node->type == XML_ELEMENT_NODE && node->children) return node->children;
  while (node && node != top) {
    if (node->next) return node->next;
    node = node->parent;
  }
  return nullptr;
}

}  // namespace

struct XmlDom::Document {
  struct Free {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
  };
  std::unique_ptr<xmlDoc, Free> doc;
};

XmlDom::XmlDom() = default;
XmlDom::~XmlDom() = default;
XmlDom::XmlDom(XmlDom&&) noexcept = default;
XmlDom& XmlDom::operator=(XmlDom&&) noexcept = default;

bool XmlDom::IsLoaded() const { return document_ && document_->doc; }

bool XmlDom::LoadBytes(const std::vector<std::uint8_t>& bytes, const std::string& url) {
  InitialiseParserOnce();
  document_.reset();
  error_ = XmlDomError{};
  error_.url = url;
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    error_.reason = "Document too large";
    return false;
  }
  std::unique_ptr<xmlParserCtxt, Document::Free> context(xmlNewParserCtxt());
  if (!context) {
    error_.reason = "Out of memory";
    return false;
  }
  // No network, no external entities or DTDs, and no reports on the process's stderr.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  auto document = std::make_unique<Document>();
  document->doc.reset(xmlCtxtReadMemory(context.get(), reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<int>(bytes.size()), url.c_str(), nullptr, options));
  if (!document->doc || !context->wellFormed) {
    if (const xmlError* error = xmlCtxtGetLastError(context.get())) {
      error_.code = error->code;
      error_.reason = TrimTrailingNewlines(FromXmlString(reinterpret_cast<const xmlChar*>(error->message)));
      error_.line = error->line;
      error_.position = error->int2;
    }
    if (error_.reason.empty()) error_.reason = "Not a well-formed XML document";
    return false;
  }
  document_ = std::move(document);
  return true;
}

std::optional<std::string> XmlDom::FindElementText(const std::function<bool(const XmlDomElement&)>& match) const {
  if (!IsLoaded()) return std::nullopt;
  xmlNode* top = xmlDocGetRootElement(document_->doc.get());
  for (xmlNode* node = top; node; node = NextInDocumentOrder(node, top)) {
    if (node->type == XML_ELEMENT_NODE && match(Describe(node))) return TakeXmlString(xmlNodeGetContent(node));
  }
  return std::nullopt;
}

}  // namespace zolvex::platform
