#include <gtest/gtest.h>

#include <numeric>

#include "net/BodyBlocks.h"

namespace zolvex {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + i / 97);
  return bytes;
}

// Hands out its bytes in reads of a fixed size, optionally failing after some bytes.
class ScriptedSource : public ByteSource {
 public:
  ScriptedSource(std::vector<std::uint8_t> bytes, std::size_t readSize, std::size_t failAt = SIZE_MAX)
      : bytes_(std::move(bytes)), readSize_(readSize), failAt_(failAt) {}
  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    if (offset_ >= failAt_) return std::nullopt;
    std::size_t count = std::min({buffer.size(), readSize_, bytes_.size() - offset_});
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_), count, buffer.begin());
    offset_ += count;
    largestRequest_ = std::max(largestRequest_, buffer.size());
    return count;
  }
  std::size_t largestRequest_ = 0;

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t readSize_;
  std::size_t failAt_;
  std::size_t offset_ = 0;
};

TEST(ReadAll, JoinsReadsAcrossBlockBoundariesInOrder) {
  // Sizes around one and two blocks, read in pieces that straddle block ends.
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, BodyBlocks::kBlockSize, BodyBlocks::kBlockSize + 1,
                           2 * BodyBlocks::kBlockSize, 3 * BodyBlocks::kBlockSize + 17}) {
    for (std::size_t readSize : {std::size_t{3000}, BodyBlocks::kBlockSize}) {
      ScriptedSource source(Pattern(size), readSize);
      auto bytes = ReadAll(source);
      ASSERT_TRUE(bytes) << size;
      EXPECT_EQ(*bytes, Pattern(size)) << size << " in reads of " << readSize;
      EXPECT_EQ(source.largestRequest_, BodyBlocks::kBlockSize);
    }
  }
}

TEST(ReadAll, AFailedReadGivesNothing) {
  ScriptedSource source(Pattern(50000), 4096, 20000);
  std::string error;
  EXPECT_FALSE(ReadAll(source, &error));
  EXPECT_EQ(error, "read failed");
}

TEST(ReadAll, ContentsUpToTheLimitAreWholeAndLongerOnesAreRefused) {
  ScriptedSource atLimit(Pattern(BodyBlocks::kMaxTotal), BodyBlocks::kBlockSize);
  auto bytes = ReadAll(atLimit);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 10240000u);

  ScriptedSource overLimit(Pattern(BodyBlocks::kMaxTotal + 1), BodyBlocks::kBlockSize);
  std::string error;
  EXPECT_FALSE(ReadAll(overLimit, &error));
  EXPECT_EQ(error, "content longer than 10240000 bytes");
}

TEST(BodyBlocks, RefusedAppendLeavesTheContentsAsTheyWere) {
  BodyBlocks blocks;
  auto first = Pattern(BodyBlocks::kMaxTotal - 5);
  ASSERT_TRUE(blocks.Append(first));
  auto six = Pattern(6);
  EXPECT_FALSE(blocks.Append(six));
  EXPECT_EQ(blocks.Total(), BodyBlocks::kMaxTotal - 5);
  ASSERT_TRUE(blocks.Append(std::span(six).first(5)));
  auto joined = blocks.Join();
  ASSERT_EQ(joined.size(), BodyBlocks::kMaxTotal);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), joined.begin()));
  EXPECT_TRUE(std::equal(six.begin(), six.begin() + 5, joined.end() - 5));
}

}  // namespace
}  // namespace zolvex
