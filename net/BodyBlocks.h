#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zolvex {

// Collects a body or file of unknown length in blocks of kBlockSize bytes and joins them
// once at the end, so that no buffer is reallocated while reading. At most kMaxBlocks
// blocks are kept: longer contents are refused with an error, never cut short.
class BodyBlocks {
 public:
  static constexpr std::size_t kBlockSize = 10240;
  static constexpr std::size_t kMaxBlocks = 1000;
  static constexpr std::size_t kMaxTotal = kBlockSize * kMaxBlocks;

  BodyBlocks();
  // Appends bytes; false (and nothing appended) when the total would pass kMaxTotal.
  bool Append(std::span<const std::uint8_t> bytes);
  std::size_t Total() const { return total_; }
  // One buffer with every byte in order; the blocks are released.
  std::vector<std::uint8_t> Join();
  // The error text for contents longer than kMaxTotal.
  static std::string TooLongMessage();

 private:
  struct Block {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t fill = 0;
  };
  void StartBlock();

  std::vector<Block> blocks_;
  std::size_t total_ = 0;
};

// Something read block by block: an open file, or a body that the caller pulls.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to buffer.size() bytes; 0 at the end, none when reading fails.
  virtual std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) = 0;
};

// Reads source to its end in reads of BodyBlocks::kBlockSize bytes. None when a read fails
// or the contents pass BodyBlocks::kMaxTotal; error then says why.
std::optional<std::vector<std::uint8_t>> ReadAll(ByteSource& source, std::string* error = nullptr);

}  // namespace zolvex
