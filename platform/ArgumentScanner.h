#pragma once
#include <string>
#include <string_view>

namespace zolvex {

// Reads the fields of a command argument the way the C library's scanf reads its formats:
// "%d" (white space, a sign, digits), literal separators, "%s" (a word) and "%[^...]"
// (a run of characters outside a set). Each read answers false and consumes nothing when
// its field is not there. Numbers beyond the 32-bit range are clamped to it.
class ArgumentScanner {
 public:
  explicit ArgumentScanner(std::string_view text) : text_(text) {}

  bool Int(int& value);
  // The literal character c, exactly.
  bool Literal(char c);
  // A run of characters that are not white space, after skipping white space.
  bool Word(std::string& word);
  // A non-empty run of characters that are none of stops.
  bool Until(std::string_view stops, std::string& field);
  // Reads "%d" fields separated by sep into values; answers how many were read.
  int Ints(int* values, int count, char sep = ',');
  std::string_view Rest() const { return text_.substr(at_); }

 private:
  void SkipSpace();

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace zolvex
