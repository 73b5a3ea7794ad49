#pragma once
#include <stdexcept>
#include <string>

namespace zolvex {

// The error a property setter of the control raises to its host: a numbered code and the
// description the page sees. Setters raise nothing else, and methods raise nothing.
class AutomationError : public std::runtime_error {
 public:
  AutomationError(int code, const std::string& description)
      : std::runtime_error(description), code_(code), description_(description) {}

  int Code() const { return code_; }
  const std::string& Description() const { return description_; }

 private:
  int code_;
  std::string description_;
};

}  // namespace zolvex
