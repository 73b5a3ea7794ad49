#include "platform/WriteQueue.h"

#include <algorithm>

namespace zolvex::platform {

namespace {
// Well below the system's limit on the parts of one write (1024 on Linux).
constexpr std::size_t kMostGathered = 64;
}  // namespace

std::vector<asio::const_buffer> WriteQueue::Front() const {
  std::vector<asio::const_buffer> buffers;
  const std::size_t count = std::min(blocks_.size(), kMostGathered);
  buffers.reserve(count);
  for (std::size_t i = 0; i < count; ++i) buffers.push_back(asio::buffer(blocks_[i]));
  return buffers;
}

std::size_t WriteQueue::Pop(std::size_t count) {
  std::size_t bytes = 0;
  for (; count > 0 && !blocks_.empty(); --count) {
    bytes += blocks_.front().size();
    blocks_.pop_front();
  }
  return bytes;
}

void WriteQueue::Clear() { std::deque<std::vector<std::uint8_t>>().swap(blocks_); }

}  // namespace zolvex::platform
