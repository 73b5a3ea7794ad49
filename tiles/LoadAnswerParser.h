#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tiles/ImageDescription.h"

namespace zolvex {

// Collects a tile server's answer to LOAD from the byte stream, however it is cut:
// length, status and request number, then for status 1 the error code (404 when the
// length leaves no room for one), otherwise the image description.
class LoadAnswerParser {
 public:
  // The longest description accepted: a thumbnail of up to 1,000,000 bytes and a generous
  // allowance for attached files, so a server cannot make the client hold unbounded data.
  static constexpr std::int64_t kMaxAnswerLength = 64 * 1024 * 1024;
  static constexpr int kNotFound = 404;

  enum class Result { NeedMore, Loaded, Refused, Invalid };

  // Consumes bytes of the answer and returns how many it took; the bytes after a complete
  // answer are left to the caller.
  std::size_t Feed(const std::uint8_t* bytes, std::size_t length);
  Result State() const { return state_; }
  // The server's error code for Refused.
  int ErrorCode() const { return errorCode_; }
  const std::optional<ImageDescription>& Description() const { return description_; }
  void Reset();

 private:
  static constexpr std::size_t kHeaderSize = 12;
  void Finish();

  Result state_ = Result::NeedMore;
  std::vector<std::uint8_t> header_;
  std::vector<std::uint8_t> body_;
  std::int32_t length_ = 0;
  std::int32_t status_ = 0;
  std::size_t bodyLength_ = 0;
  int errorCode_ = 0;
  std::optional<ImageDescription> description_;
};

}  // namespace zolvex
