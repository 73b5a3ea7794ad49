#pragma once
#include <stdexcept>
#include <string>

namespace zolvex {

// Raised while a document or a tile source reads its content; the message is the text
// that reaches the page through the error notification.
class CReaderException : public std::runtime_error {
 public:
  explicit CReaderException(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

}  // namespace zolvex
