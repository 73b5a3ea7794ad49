#include "platform/ArgumentScanner.h"

#include <cctype>
#include <cstdint>

namespace zolvex {

namespace {
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void ArgumentScanner::SkipSpace() {
  while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
}

bool ArgumentScanner::Int(int& value) {
  std::size_t start = at_;
  SkipSpace();
  bool negative = false;
  if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) negative = text_[at_++] == '-';
  std::size_t digits = at_;
  std::int64_t number = 0;
  constexpr std::int64_t kLimit = std::int64_t{1} << 32;
  while (at_ < text_.size() && IsDigit(text_[at_])) {
    number = number * 10 + (text_[at_] - '0');
    if (number > kLimit) number = kLimit;  // saturate: the result is clamped anyway
    ++at_;
  }
  if (at_ == digits) {
    at_ = start;
    return false;
  }
  if (negative) number = -number;
  if (number > INT32_MAX) number = INT32_MAX;
  if (number < INT32_MIN) number = INT32_MIN;
  value = static_cast<int>(number);
  return true;
}

bool ArgumentScanner::Literal(char c) {
  if (at_ >= text_.size() || text_[at_] != c) return false;
  ++at_;
  return true;
}

bool ArgumentScanner::Word(std::string& word) {
  std::size_t start = at_;
  SkipSpace();
  std::size_t begin = at_;
  while (at_ < text_.size() && !IsSpace(text_[at_])) ++at_;
  if (at_ == begin) {
    at_ = start;
    return false;
  }
  word.assign(text_.substr(begin, at_ - begin));
  return true;
}

bool ArgumentScanner::Until(std::string_view stops, std::string& field) {
  std::size_t begin = at_;
  while (at_ < text_.size() && stops.find(text_[at_]) == std::string_view::npos) ++at_;
  if (at_ == begin) return false;
  field.assign(text_.substr(begin, at_ - begin));
  return true;
}

int ArgumentScanner::Ints(int* values, int count, char sep) {
  int read = 0;
  while (read < count) {
    if (read > 0 && !Literal(sep)) break;
    if (!Int(values[read])) break;
    ++read;
  }
  return read;
}

}  // namespace zolvex
