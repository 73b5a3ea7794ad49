#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zolvex {

// One element of the parse table. All fields are character indices into the text, or
// table indices (parent, firstChild, nextSibling; 0 = none).
struct ElementEntry {
  std::int32_t start = 0;       // the '<' of the start tag
  std::int32_t tagEnd = 0;      // the '>' of the start tag
  std::int32_t contentEnd = 0;  // the '<' of the end tag, or the '/' of "/>"; the scan cursor while children are parsed
  std::int32_t end = 0;         // the last '>' of the element
  std::int32_t following = 0;   // the first '<' after the element, or the text length
  std::int32_t parent = 0;
  std::int32_t firstChild = 0;
  std::int32_t nextSibling = 0;
};

// The tokeniser's state. end < start means an empty token.
struct XmlToken {
  std::int32_t start = 0;
  std::int32_t end = -1;
  std::int32_t next = 0;
  bool quoted = false;
};

// A small read-only, non-validating parser for XMML text. Parse builds, in one pass and
// without recursion, a flat table of element positions; names and values are cut out of the
// text only when asked for. Navigation is by cursor: a main position and a child position
// (table indices). Element and attribute names compare without regard to case (letters a-z
// only); an empty name matches any element. The reader is a plain value: positions are
// indices, so copies keep valid cursors.
class XmlReader {
 public:
  // Replaces the text and parses it. True when a document element was parsed without error;
  // otherwise the reader behaves as an empty document and GetErrorText() tells why.
  bool Parse(std::string text);
  bool IsWellFormed() const;
  const std::string& GetErrorText() const { return error_; }
  const std::string& Text() const { return text_; }

  // Cursor navigation. ResetPosition returns to the state after Parse, so that searches
  // start again at the document element.
  void ResetPosition();
  bool FindNext(std::string_view name = {});
  bool FindChild(std::string_view name = {});
  bool EnterChild();
  bool LeaveToParent();
  int Depth() const { return depth_; }
  std::int32_t MainPosition() const { return main_; }
  std::int32_t ChildPosition() const { return child_; }

  // Attribute values, entities decoded; empty when missing.
  std::string GetAttribute(std::string_view name) const;
  std::string GetChildAttribute(std::string_view name) const;
  void RewindChildAttributes();
  bool NextChildAttribute(std::string& name, std::string& value);

  // Tag names of the main and child elements; empty without a position.
  std::string GetTagName() const { return TagNameAt(main_); }
  std::string GetChildTagName() const { return TagNameAt(child_); }

  // The raw child element from its '<' to its last '>' inclusive, entities not decoded.
  std::string GetChildMarkup() const;
  bool GetCurrentSpan(std::int32_t& start, std::int32_t& end) const;
  bool GetChildSpan(std::int32_t& start, std::int32_t& end) const;
  // The characters first..last inclusive with the five predefined entities decoded.
  std::string DecodeRange(std::int32_t first, std::int32_t last) const;
  // The text between the start and end tags of the main element, entities decoded (markup
  // of children included as it stands); empty for an empty element.
  std::string GetContent() const;
  std::string TagNameAt(std::int32_t index) const;

  // The parse table, for callers that walk it directly (index 0 is the virtual root).
  std::int32_t ElementCount() const { return nextFree_ - 1; }
  const ElementEntry& Element(std::int32_t index) const { return table_[static_cast<size_t>(index)]; }

 private:
  char At(std::int32_t index) const;
  bool AtEnd(std::int32_t index) const { return index >= size(); }
  std::int32_t size() const { return static_cast<std::int32_t>(text_.size()); }
  // Tokens never run past limit (a negative limit is the end of the text).
  bool NextToken(XmlToken& token, std::int32_t limit = -1) const;
  std::string_view TokenText(const XmlToken& token) const;
  bool IsSingle(const XmlToken& token, char c) const;
  std::int32_t FindFrom(std::int32_t from, std::string_view what) const;
  std::int32_t FindChar(std::int32_t from, char c, std::int32_t limit = -1) const;
  // One past the element's last '>': attribute scans stay inside the element.
  std::int32_t ElementLimit(std::int32_t index) const { return Element(index).end + 1; }
  bool NameMatches(std::int32_t index, std::string_view name) const;
  std::string AttributeOf(std::int32_t index, std::string_view name) const;

  void Reset();
  std::int32_t AllocateEntry(std::int32_t parent);
  bool ParseDocument();
  // Finds the next start tag below parent, skipping declarations and comments. Returns the
  // new entry's index, 0 when an end tag stands there, -1 on an error.
  std::int32_t OpenElement(std::int32_t parent);
  bool CloseElement(std::int32_t index);
  void FinishElement(std::int32_t index);
  bool Fail(const char* format, std::int32_t element);

  std::string text_;
  std::vector<ElementEntry> table_ = std::vector<ElementEntry>(1);  // entry 0 is the virtual root
  std::int32_t nextFree_ = 1;
  std::int32_t main_ = 0;
  std::int32_t child_ = 0;
  int depth_ = 0;
  std::int32_t attributeCursor_ = 0;
  std::int32_t attributeLimit_ = 0;
  bool attributeAtTagName_ = false;
  bool attributesDone_ = false;
  std::string error_;
};

}  // namespace zolvex
