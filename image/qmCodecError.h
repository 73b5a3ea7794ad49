#pragma once
#include <new>
#include <stdexcept>
#include <string>

namespace zolvex {

// A failure inside a codec; caught at the codec's public operations, never beyond.
class qmCodecError : public std::runtime_error {
 public:
  explicit qmCodecError(const std::string& message) : std::runtime_error(message) {}
};

// Runs a codec operation at its public boundary: a failure inside becomes lastError and
// the given failure result.
template <typename Operation, typename Result>
Result qmRunGuarded(std::string& lastError, Result failure, Operation operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    lastError = "Out of memory";
  } catch (const std::exception& e) {
    lastError = e.what();
  }
  return failure;
}

}  // namespace zolvex
