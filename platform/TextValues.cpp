#include "platform/TextValues.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>

namespace zolvex {

namespace {
char LowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
}  // namespace

int ParseInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int ParseOneBasedIndex(std::string_view text) {
  const int value = ParseInt(text);
  return value == INT_MIN ? INT_MIN : value - 1;
}

std::optional<platform::Color> ParseColor(std::string_view text) {
  std::string t = Trim(text);
  if (t.size() < 2 || t[0] != '#' || !std::isxdigit(static_cast<unsigned char>(t[1]))) return std::nullopt;
  unsigned long rgb = 0;
  for (size_t i = 1; i < t.size() && std::isxdigit(static_cast<unsigned char>(t[i])); ++i) {
    char c = LowerChar(t[i]);
    rgb = ((rgb << 4) | static_cast<unsigned long>(c <= '9' ? c - '0' : c - 'a' + 10)) & 0xFFFFFFFFul;
  }
  return platform::MakeColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                             static_cast<int>(rgb & 0xFF));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsYes(std::string_view text) { return EqualsNoCase(text, "yes"); }
bool IsNo(std::string_view text) { return EqualsNoCase(text, "no"); }

std::string ToLower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), LowerChar);
  return out;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsSpace(text[b])) ++b;
  while (e > b && IsSpace(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::string TrimEnd(std::string_view text) {
  size_t e = text.size();
  while (e > 0 && IsSpace(text[e - 1])) --e;
  return std::string(text.substr(0, e));
}

std::vector<int> ParseIntList(std::string_view text) {
  std::vector<int> values;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    values.push_back(ParseInt(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return values;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace zolvex
