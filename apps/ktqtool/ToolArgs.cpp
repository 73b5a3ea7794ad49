#include "apps/ktqtool/ToolArgs.h"

#include <charconv>

namespace zolvex::ktqtool {

ToolArgs::ToolArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                   const std::set<std::string>& flags) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
      positional_.push_back(word);
    } else if (flags.count(word)) {
      flags_.insert(word);
    } else if (valueOptions.count(word)) {
      if (i + 1 >= words.size()) throw UsageError("option " + word + " needs a value");
      values_[word] = words[++i];
    } else {
      throw UsageError("unknown option " + word);
    }
  }
}

void ToolArgs::ExpectPositional(size_t count, const std::string& form) const {
  if (positional_.size() != count) throw UsageError("usage: ktqtool " + form);
}

std::string ToolArgs::Value(const std::string& name, const std::string& fallback) const {
  auto found = values_.find(name);
  return found == values_.end() ? fallback : found->second;
}

int ToolArgs::Number(const std::string& name, int fallback, int minimum, int maximum) const {
  auto found = values_.find(name);
  return found == values_.end() ? fallback : ParseNumber(found->second, "option " + name, minimum, maximum);
}

int ToolArgs::ParseNumber(const std::string& text, const std::string& what, int minimum, int maximum) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < minimum || value > maximum) {
    throw UsageError(what + " must be a whole number from " + std::to_string(minimum) + " to " +
                     std::to_string(maximum) + " (got \"" + text + "\")");
  }
  return value;
}

}  // namespace zolvex::ktqtool
