#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace zolvex {

// One piece of the overlap between the source and destination partitions of an axis,
// measured in destination pixels with fracBits fraction bits. The pieces of each
// destination pixel add up to exactly one pixel.
struct qmAreaShare {
  int src;
  int dst;
  std::uint32_t weight;
};

// Area averaging of 24-bit rows, fed one source row at a time from the top, giving each
// destination row as soon as the source rows it covers have passed. Its results are the
// same, bit for bit, as qmImage::resize shrinking the whole picture (mode 1), so that a
// picture too large to hold can be reduced in strips.
class qmAreaShrinker {
 public:
  // Receives destination row y (blue, green, red; destination width x 3 bytes).
  using RowSink = std::function<void(int y, const std::uint8_t* row)>;

  // The shares of an axis shrunk from oldSize to newSize pixels.
  static std::vector<qmAreaShare> shareTable(int oldSize, int newSize, int fracBits);
  // The fraction bits qmImage uses for a shrink from a source of this size.
  static int fracBitsFor(int sourceWidth, int sourceHeight);

  // newWidth <= width and newHeight <= height.
  qmAreaShrinker(int width, int height, int newWidth, int newHeight, RowSink sink);
  // The next source row (width x 3 bytes).
  void push(const std::uint8_t* row);
  int rowsPushed() const { return pushed_; }

 private:
  void reduceRow(const std::uint8_t* row);
  void emit(std::vector<std::uint64_t>& acc);
  void pushHalving(const std::uint8_t* row);

  int width_, height_, newWidth_, newHeight_;
  int shift_;
  bool halving_;  // both sides exactly halved: each output pixel is the mean of four
  RowSink sink_;
  std::vector<qmAreaShare> xShares_;
  std::vector<qmAreaShare> yShares_;
  size_t yAt_ = 0;           // the next share of yShares_
  int pushed_ = 0;
  int nextOut_ = 0;          // the destination row being summed
  std::vector<std::uint64_t> reduced_;  // the source row, summed across
  std::vector<std::uint64_t> current_;  // destination row nextOut_
  std::vector<std::uint64_t> following_;  // destination row nextOut_ + 1
  std::vector<std::uint8_t> out_;
  std::vector<std::uint8_t> previous_;  // halving: the even row waiting for its pair
  std::vector<std::uint16_t> columnSums_;
};

}  // namespace zolvex
