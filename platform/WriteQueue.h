#pragma once
// Byte blocks waiting to go out on a socket, written together: a burst of answers (a tile
// server's frames, a client's requests) then costs one system call and one wake-up of the
// peer instead of one each.
#include <asio.hpp>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace zolvex::platform {

class WriteQueue {
 public:
  void Push(std::vector<std::uint8_t> bytes) { blocks_.push_back(std::move(bytes)); }
  bool Empty() const { return blocks_.empty(); }
  // The blocks from the front, as many as one gathered write takes; they stay queued (and
  // their bytes in place) until Pop.
  std::vector<asio::const_buffer> Front() const;
  // Drops the first count blocks, which were written; returns their bytes.
  std::size_t Pop(std::size_t count);
  // Drops every block and frees their memory.
  void Clear();

 private:
  std::deque<std::vector<std::uint8_t>> blocks_;
};

}  // namespace zolvex::platform
