#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zolvex {

// One frame from a tile server after LOAD: length (bytes after the length field), type,
// and for types 0 (result) and 1 (failure) the request number and the payload.
struct ServerFrame {
  static constexpr std::int32_t kResult = 0;
  static constexpr std::int32_t kFailure = 1;
  static constexpr std::int32_t kServerMessage = 3;

  std::int32_t length = 0;
  std::int32_t type = 0;
  std::int32_t requestNumber = 0;
  std::vector<std::uint8_t> payload;
};

// Cuts the byte stream of a connection into frames inside a receive buffer of 1,000,000
// bytes. A frame must fit the buffer whole; a header that no bytes can complete (a length
// below 4 or too large for the buffer, a result or failure shorter than its request
// number) breaks the stream instead of waiting for data that can never make it whole.
class FrameParser {
 public:
  static constexpr std::size_t kBufferSize = 1'000'000;

  enum class Result { NeedMore, Frame, Broken };

  FrameParser();

  // Copies as many bytes as the free part of the buffer takes; returns that count.
  std::size_t Append(const std::uint8_t* bytes, std::size_t length);
  // Takes the next complete frame out of the buffer.
  Result Next(ServerFrame& frame);
  void Clear();
  std::size_t Buffered() const { return end_ - begin_; }

 private:
  std::vector<std::uint8_t> buffer_;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last received byte
};

}  // namespace zolvex
