#pragma once
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvex::ktqtool {

// A mistake in the command line; the tool prints it on one line and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words after the command: positional arguments, "--name value" options and "--flag"
// switches. Anything not declared is a usage error.
class ToolArgs {
 public:
  ToolArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flags);

  // Exactly count positional arguments, else a usage error naming the form.
  void ExpectPositional(size_t count, const std::string& form) const;
  const std::string& Positional(size_t index) const { return positional_.at(index); }
  const std::vector<std::string>& AllPositional() const { return positional_; }

  bool Flag(const std::string& name) const { return flags_.count(name) > 0; }
  std::string Value(const std::string& name, const std::string& fallback) const;
  // A whole decimal number within [minimum, maximum].
  int Number(const std::string& name, int fallback, int minimum, int maximum) const;
  // Parses text as such a number; what names the value in the message.
  static int ParseNumber(const std::string& text, const std::string& what, int minimum, int maximum);

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
};

}  // namespace zolvex::ktqtool
