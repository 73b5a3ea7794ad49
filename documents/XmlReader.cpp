#include "documents/XmlReader.h"

#include <cstring>
#include <limits>

namespace zolvex {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsDelimiter(char c) {
  return c == '<' || c == '>' || c == '=' || c == '\\' || c == '/' || c == '?' || c == '!';
}

// Names compare without regard to case for the letters a-z only, whatever the process's
// locale, so that names in other scripts never match by accident.
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

struct Entity {
  std::string_view name;  // without the leading '&', with the ';'
  char value;
};
constexpr Entity kEntities[] = {{"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};

}  // namespace

// ---------------------------------------------------------------------------------------
// Text access and tokens

char XmlReader::At(std::int32_t index) const {
  return (index >= 0 && index < size()) ? text_[static_cast<size_t>(index)] : '\0';
}

// Reads one token from token.next. Returns false when the text ends before a token starts
// (the token is then unchanged apart from next).
bool XmlReader::NextToken(XmlToken& token, std::int32_t limit) const {
  if (limit < 0 || limit > size()) limit = size();
  std::int32_t i = token.next;
  while (i < limit && IsSpace(At(i))) ++i;
  token.next = i;
  token.quoted = false;
  if (i >= limit) return false;
  if (At(i) == '"') {
    const std::int32_t close = FindChar(i + 1, '"', limit);
    token.start = i + 1;
    token.quoted = true;
    if (close < 0) {
      token.end = limit - 1;
      token.next = limit;
    } else {
      token.end = close - 1;
      token.next = close + 1;
    }
    return true;
  }
  token.start = i;
  if (IsDelimiter(At(i))) {
    ++i;
  } else {
    while (i < limit && !IsSpace(At(i)) && !IsDelimiter(At(i))) ++i;
  }
  token.end = i - 1;
  token.next = i;
  return true;
}

std::string_view XmlReader::TokenText(const XmlToken& token) const {
  if (token.end < token.start) return {};
  return std::string_view(text_).substr(static_cast<size_t>(token.start),
                                        static_cast<size_t>(token.end - token.start + 1));
}

bool XmlReader::IsSingle(const XmlToken& token, char c) const {
  return !token.quoted && token.start == token.end && At(token.start) == c;
}

std::int32_t XmlReader::FindChar(std::int32_t from, char c, std::int32_t limit) const {
  if (limit < 0 || limit > size()) limit = size();
  if (from < 0 || from >= limit) return -1;
  const void* hit = std::memchr(text_.data() + from, c, static_cast<size_t>(limit - from));
  return hit ? static_cast<std::int32_t>(static_cast<const char*>(hit) - text_.data()) : -1;
}

std::int32_t XmlReader::FindFrom(std::int32_t from, std::string_view what) const {
  if (from < 0 || AtEnd(from)) return -1;
  const size_t hit = text_.find(what, static_cast<size_t>(from));
  return hit == std::string::npos ? -1 : static_cast<std::int32_t>(hit);
}

// ---------------------------------------------------------------------------------------
// Parsing

void XmlReader::Reset() {
  ResetPosition();
  nextFree_ = 1;
  table_.assign(1, ElementEntry{});
}

bool XmlReader::Parse(std::string text) {
  text_ = std::move(text);
  error_.clear();
  Reset();
  if (text_.empty()) return false;
  if (text_.size() >= static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) {
    error_ = "Text too long";
    return false;
  }
  table_.resize(text_.size() / 64 + 8);
  if (ParseDocument()) return true;
  Reset();
  return false;
}

bool XmlReader::IsWellFormed() const { return nextFree_ > 1 && table_[0].firstChild != 0; }

std::int32_t XmlReader::AllocateEntry(std::int32_t parent) {
  if (static_cast<size_t>(nextFree_) >= table_.size()) table_.resize(table_.size() + table_.size() / 2);
  const std::int32_t index = nextFree_++;
  table_[static_cast<size_t>(index)] = ElementEntry{};
  table_[static_cast<size_t>(index)].parent = parent;
  return index;
}

bool XmlReader::Fail(const char* format, std::int32_t element) {
  std::string message = format;
  const size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, TagNameAt(element));
  error_ = std::move(message);
  return false;
}

// Nesting is followed with an explicit stack of open elements, so deep documents cannot
// exhaust the call stack. The table's parent links give the way back up; the stack only
// remembers the last child of each open element for linking siblings.
bool XmlReader::ParseDocument() {
  const std::int32_t root = OpenElement(0);
  if (root <= 0) return false;
  table_[0].firstChild = root;
  std::vector<std::int32_t> lastChild;
  std::int32_t current = root;
  auto isEmpty = [this](std::int32_t i) { return Element(i).end == Element(i).tagEnd; };
  if (isEmpty(root)) {
    FinishElement(root);
    return true;
  }
  lastChild.push_back(0);
  for (;;) {
    const std::int32_t child = OpenElement(current);
    if (child < 0) return false;
    if (child > 0) {
      if (lastChild.back() == 0) {
        table_[static_cast<size_t>(current)].firstChild = child;
      } else {
        table_[static_cast<size_t>(lastChild.back())].nextSibling = child;
      }
      lastChild.back() = child;
      if (isEmpty(child)) {
        FinishElement(child);
        table_[static_cast<size_t>(current)].contentEnd = Element(child).end + 1;
      } else {
        lastChild.push_back(0);
        current = child;
      }
      continue;
    }
    // An end tag stands at the cursor: it must close the current element.
    if (!CloseElement(current)) return false;
    FinishElement(current);
    lastChild.pop_back();
    if (current == root) return true;
    const std::int32_t parent = Element(current).parent;
    table_[static_cast<size_t>(parent)].contentEnd = Element(current).end + 1;
    current = parent;
  }
}

std::int32_t XmlReader::OpenElement(std::int32_t parent) {
  const std::int32_t index = AllocateEntry(parent);
  // The entry is given back when no start tag follows.
  auto giveBack = [this](std::int32_t result) {
    --nextFree_;
    return result;
  };
  auto fail = [&](const char* message) {
    Fail(message, 0);
    return giveBack(-1);
  };
  XmlToken token;
  std::int32_t closing = -1;
  for (;;) {
    const std::int32_t lt = FindChar(Element(parent).contentEnd, '<');
    if (lt < 0) return fail("Element tag not found");
    table_[static_cast<size_t>(parent)].contentEnd = lt;
    table_[static_cast<size_t>(index)].start = lt;
    token = XmlToken{};
    token.next = lt + 1;
    if (!NextToken(token) || AtEnd(token.next)) return fail("Abrupt end within tag");
    if (token.quoted) return fail("Tag starts with quote");

    std::string_view terminator = ">";
    bool skipped = true;  // declarations, comments, CDATA and doctypes leave no entry
    switch (At(token.start)) {
      case '?':
        terminator = "?>";
        break;
      case '!':
        if (At(token.next) == '[') {
          terminator = "]]>";
        } else if (At(token.next) == '-') {
          terminator = "-->";
        }
        break;
      case '/':
        return giveBack(0);
      default:
        skipped = false;
        break;
    }
    closing = FindFrom(token.next, terminator);
    if (closing < 0) return fail("End of tag not found");
    if (!skipped) break;
    table_[static_cast<size_t>(parent)].contentEnd = closing;
  }
  ElementEntry& entry = table_[static_cast<size_t>(index)];
  entry.tagEnd = closing;
  if (At(closing - 1) == '/') {
    entry.contentEnd = closing - 1;
    entry.end = closing;
  } else {
    entry.contentEnd = closing + 1;
  }
  return index;
}

// Checks the end tag at the element's cursor: "/", the start tag's exact name, then anything
// up to a '>'.
bool XmlReader::CloseElement(std::int32_t index) {
  const std::int32_t lt = FindChar(Element(index).contentEnd, '<');
  if (lt < 0) return Fail("End tag of %s element not found", index);
  XmlToken nameToken;
  nameToken.next = Element(index).start + 1;
  NextToken(nameToken);
  const std::string_view name = TokenText(nameToken);

  XmlToken token;
  token.next = lt + 1;
  int count = 0;
  while (NextToken(token)) {
    ++count;
    if (count == 1) {
      if (!IsSingle(token, '/')) return Fail("Expecting end tag of element %s", index);
    } else if (count == 2) {
      if (token.quoted || TokenText(token) != name) return Fail("End tag does not correspond to %s", index);
    } else if (IsSingle(token, '>')) {
      table_[static_cast<size_t>(index)].contentEnd = lt;
      table_[static_cast<size_t>(index)].end = token.start;
      return true;
    }
  }
  // The text ended before the end tag's '>'.
  return Fail("End tag not completed for element %s", index);
}

void XmlReader::FinishElement(std::int32_t index) {
  const std::int32_t lt = FindChar(Element(index).end, '<');
  table_[static_cast<size_t>(index)].following = lt < 0 ? size() : lt;
}

// ---------------------------------------------------------------------------------------
// Navigation

std::string XmlReader::TagNameAt(std::int32_t index) const {
  if (index <= 0 || index >= nextFree_) return {};
  XmlToken token;
  token.next = Element(index).start + 1;
  if (!NextToken(token, Element(index).tagEnd + 1)) return {};
  return std::string(TokenText(token));
}

bool XmlReader::NameMatches(std::int32_t index, std::string_view name) const {
  if (name.empty()) return true;
  XmlToken token;
  token.next = Element(index).start + 1;
  return NextToken(token, Element(index).tagEnd + 1) && SameName(TokenText(token), name);
}

void XmlReader::ResetPosition() {
  main_ = 0;
  child_ = 0;
  depth_ = 0;
  attributeCursor_ = 0;
  attributesDone_ = false;
}

bool XmlReader::FindNext(std::string_view name) {
  std::int32_t candidate = main_ == 0 ? table_[0].firstChild : Element(main_).nextSibling;
  if (main_ == 0) {
    if (candidate == 0 || !NameMatches(candidate, name)) return false;
  } else {
    while (candidate != 0 && !NameMatches(candidate, name)) candidate = Element(candidate).nextSibling;
    if (candidate == 0) return false;
  }
  main_ = candidate;
  child_ = 0;
  attributeCursor_ = Element(main_).start + 1;
  attributeLimit_ = ElementLimit(main_);
  attributeAtTagName_ = true;
  attributesDone_ = false;
  return true;
}

bool XmlReader::FindChild(std::string_view name) {
  if (main_ == 0 && !FindNext({})) return false;
  std::int32_t candidate = child_ == 0 ? Element(main_).firstChild : Element(child_).nextSibling;
  while (candidate != 0 && !NameMatches(candidate, name)) candidate = Element(candidate).nextSibling;
  if (candidate == 0) return false;
  child_ = candidate;
  return true;
}

bool XmlReader::EnterChild() {
  if (child_ == 0 && !FindChild({})) return false;
  main_ = child_;
  child_ = 0;
  ++depth_;
  return true;
}

bool XmlReader::LeaveToParent() {
  if (main_ == 0 || depth_ <= 0) return false;
  child_ = main_;
  main_ = Element(main_).parent;
  --depth_;
  return true;
}

// ---------------------------------------------------------------------------------------
// Attributes and text

// Tokens from the element's start: the tag name, then name = "value" triples. Only a quoted
// token exactly two places after the matching name is its value.
std::string XmlReader::AttributeOf(std::int32_t index, std::string_view name) const {
  if (index <= 0 || index >= nextFree_ || name.empty()) return {};
  XmlToken token;
  token.next = Element(index).start + 1;
  const std::int32_t limit = ElementLimit(index);
  if (!NextToken(token, limit)) return {};  // the tag name
  int position = 0;
  int matchedAt = -1;
  while (NextToken(token, limit)) {
    ++position;
    if (IsSingle(token, '/') || IsSingle(token, '>')) return {};
    if (matchedAt >= 0) {
      if (position == matchedAt + 2) return token.quoted ? DecodeRange(token.start, token.end) : std::string();
      continue;
    }
    if (!token.quoted && !IsSingle(token, '=') && SameName(TokenText(token), name)) matchedAt = position;
  }
  return {};
}

std::string XmlReader::GetAttribute(std::string_view name) const { return AttributeOf(main_, name); }

std::string XmlReader::GetChildAttribute(std::string_view name) const { return AttributeOf(child_, name); }

void XmlReader::RewindChildAttributes() {
  attributeCursor_ = child_ == 0 ? 0 : Element(child_).start + 1;
  attributeLimit_ = child_ == 0 ? 0 : ElementLimit(child_);
  attributeAtTagName_ = true;
  attributesDone_ = false;
}

// The cursor stands on the tag name (first call) or just after the previous value's closing
// quote, so enumeration resumes correctly whatever the value ends with.
bool XmlReader::NextChildAttribute(std::string& name, std::string& value) {
  if (attributesDone_ || attributeCursor_ <= 0) return false;
  XmlToken token;
  token.next = attributeCursor_;
  if (attributeAtTagName_ && !NextToken(token, attributeLimit_)) {
    attributesDone_ = true;
    return false;
  }
  // A name, then "=", then a quoted value; anything else drops the name seen so far.
  XmlToken nameToken;
  bool haveName = false;
  bool haveEquals = false;
  while (NextToken(token, attributeLimit_)) {
    if (IsSingle(token, '/') || IsSingle(token, '>')) break;
    if (token.quoted) {
      if (haveName && haveEquals) {
        name = std::string(TokenText(nameToken));
        value = DecodeRange(token.start, token.end);
        attributeCursor_ = token.next;
        attributeAtTagName_ = false;
        return true;
      }
      haveName = false;
    } else if (IsSingle(token, '=')) {
      haveName = haveName && !haveEquals;
      haveEquals = haveName;
      continue;
    } else {
      nameToken = token;
      haveName = true;
    }
    haveEquals = false;
  }
  attributeCursor_ = token.next;
  attributesDone_ = true;
  return false;
}

std::string XmlReader::GetChildMarkup() const {
  std::int32_t start = 0;
  std::int32_t end = 0;
  if (!GetChildSpan(start, end)) return {};
  return text_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start + 1));
}

bool XmlReader::GetCurrentSpan(std::int32_t& start, std::int32_t& end) const {
  if (main_ == 0) return false;
  start = Element(main_).start;
  end = Element(main_).end;
  return true;
}

bool XmlReader::GetChildSpan(std::int32_t& start, std::int32_t& end) const {
  if (child_ == 0) return false;
  start = Element(child_).start;
  end = Element(child_).end;
  return true;
}

std::string XmlReader::GetContent() const {
  if (main_ == 0) return {};
  const ElementEntry& entry = Element(main_);
  if (entry.end == entry.tagEnd) return {};
  return DecodeRange(entry.tagEnd + 1, entry.contentEnd - 1);
}

std::string XmlReader::DecodeRange(std::int32_t first, std::int32_t last) const {
  if (first < 0) first = 0;
  if (last >= size()) last = size() - 1;
  std::string out;
  if (last < first) return out;
  out.reserve(static_cast<size_t>(last - first + 1));
  const std::string_view text(text_);
  for (std::int32_t i = first; i <= last; ++i) {
    const char c = text[static_cast<size_t>(i)];
    if (c == '&') {
      const std::string_view rest = text.substr(static_cast<size_t>(i + 1), static_cast<size_t>(last - i));
      const Entity* match = nullptr;
      for (const Entity& entity : kEntities) {
        if (rest.substr(0, entity.name.size()) == entity.name) {
          match = &entity;
          break;
        }
      }
      if (match) {
        out += match->value;
        i += static_cast<std::int32_t>(match->name.size());
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace zolvex
