#include "net/BodyBlocks.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zolvex {

BodyBlocks::BodyBlocks() { StartBlock(); }

void BodyBlocks::StartBlock() { blocks_.push_back({std::make_unique<std::uint8_t[]>(kBlockSize), 0}); }

bool BodyBlocks::Append(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxTotal - total_) return false;
  total_ += bytes.size();
  while (!bytes.empty()) {
    if (blocks_.back().fill == kBlockSize) StartBlock();
    Block& block = blocks_.back();
    std::size_t piece = std::min(bytes.size(), kBlockSize - block.fill);
    std::memcpy(block.bytes.get() + block.fill, bytes.data(), piece);
    block.fill += piece;
    bytes = bytes.subspan(piece);
  }
  return true;
}

std::vector<std::uint8_t> BodyBlocks::Join() {
  std::vector<std::uint8_t> joined(total_);
  std::size_t offset = 0;
  for (Block& block : blocks_) {
    if (block.fill > 0) std::memcpy(joined.data() + offset, block.bytes.get(), block.fill);
    offset += block.fill;
    block.bytes.reset();
  }
  blocks_.clear();
  total_ = 0;
  StartBlock();
  return joined;
}

std::string BodyBlocks::TooLongMessage() {
  return "content longer than " + std::to_string(kMaxTotal) + " bytes";
}

std::optional<std::vector<std::uint8_t>> ReadAll(ByteSource& source, std::string* error) {
  BodyBlocks blocks;
  std::array<std::uint8_t, BodyBlocks::kBlockSize> buffer;
  for (;;) {
    std::optional<std::size_t> count = source.Read(buffer);
    if (!count) {
      if (error) *error = "read failed";
      return std::nullopt;
    }
    if (*count == 0) return blocks.Join();
    if (!blocks.Append(std::span<const std::uint8_t>(buffer.data(), *count))) {
      if (error) *error = BodyBlocks::TooLongMessage();
      return std::nullopt;
    }
  }
}

}  // namespace zolvex
