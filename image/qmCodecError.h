#pragma once
#include <stdexcept>
#include <string>

namespace zolvex {

// A failure inside a codec; caught at the codec's public operations, never beyond.
class qmCodecError : public std::runtime_error {
 public:
  explicit qmCodecError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zolvex
