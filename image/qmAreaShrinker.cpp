#include "image/qmAreaShrinker.h"

#include <algorithm>
#include <utility>

namespace zolvex {

std::vector<qmAreaShare> qmAreaShrinker::shareTable(int oldSize, int newSize, int fracBits) {
  const std::uint64_t unit = std::uint64_t{1} << fracBits;
  auto boundary = [&](std::uint64_t i) {
    std::uint64_t scaled = i * static_cast<std::uint64_t>(newSize);
    return scaled / oldSize * unit + scaled % oldSize * unit / oldSize;
  };
  std::vector<qmAreaShare> shares;
  shares.reserve(static_cast<size_t>(oldSize) + newSize);
  for (int i = 0; i < oldSize; ++i) {
    std::uint64_t a = boundary(i);
    const std::uint64_t b = boundary(i + 1);
    while (a < b) {
      const std::uint64_t cell = a >> fracBits;
      const std::uint64_t end = std::min(b, (cell + 1) << fracBits);
      shares.push_back({i, static_cast<int>(cell), static_cast<std::uint32_t>(end - a)});
      a = end;
    }
  }
  return shares;
}

// Large sources take finer shares, so that the weights of thousands of pixels stay precise.
int qmAreaShrinker::fracBitsFor(int sourceWidth, int sourceHeight) {
  return sourceWidth >= 4000 || sourceHeight >= 4000 ? 20 : 12;
}

qmAreaShrinker::qmAreaShrinker(int width, int height, int newWidth, int newHeight, RowSink sink)
    : width_(width),
      height_(height),
      newWidth_(newWidth),
      newHeight_(newHeight),
      shift_(2 * fracBitsFor(width, height)),
      halving_(width == 2 * newWidth && height == 2 * newHeight),
      sink_(std::move(sink)),
      out_(static_cast<size_t>(newWidth) * 3) {
  if (halving_) {
    previous_.resize(static_cast<size_t>(width) * 3);
    return;
  }
  const int fracBits = shift_ / 2;
  xShares_ = shareTable(width, newWidth, fracBits);
  yShares_ = shareTable(height, newHeight, fracBits);
  reduced_.resize(out_.size());
  current_.assign(out_.size(), 0);
  following_.assign(out_.size(), 0);
}

void qmAreaShrinker::push(const std::uint8_t* row) {
  if (pushed_ >= height_) return;
  if (halving_) {
    pushHalving(row);
    ++pushed_;
    return;
  }
  reduceRow(row);
  for (; yAt_ < yShares_.size() && yShares_[yAt_].src == pushed_; ++yAt_) {
    const std::uint64_t weight = yShares_[yAt_].weight;
    auto& target = yShares_[yAt_].dst == nextOut_ ? current_ : following_;
    for (size_t k = 0; k < target.size(); ++k) target[k] += weight * reduced_[k];
  }
  ++pushed_;
  // A destination row is complete once the next source row no longer reaches it.
  while (nextOut_ < newHeight_ && (yAt_ == yShares_.size() || yShares_[yAt_].dst > nextOut_)) {
    emit(current_);
    std::swap(current_, following_);
    std::fill(following_.begin(), following_.end(), 0);
  }
}

void qmAreaShrinker::reduceRow(const std::uint8_t* row) {
  std::fill(reduced_.begin(), reduced_.end(), 0);
  for (const qmAreaShare& s : xShares_) {
    const std::uint8_t* p = row + static_cast<size_t>(s.src) * 3;
    std::uint64_t* a = &reduced_[static_cast<size_t>(s.dst) * 3];
    a[0] += std::uint64_t{s.weight} * p[0];
    a[1] += std::uint64_t{s.weight} * p[1];
    a[2] += std::uint64_t{s.weight} * p[2];
  }
}

void qmAreaShrinker::emit(std::vector<std::uint64_t>& acc) {
  for (size_t k = 0; k < acc.size(); ++k) out_[k] = static_cast<std::uint8_t>(acc[k] >> shift_);
  sink_(nextOut_++, out_.data());
}

// Every share is exactly half a pixel, so the weighted sum shifted down is the plain sum of
// four shifted by two.
void qmAreaShrinker::pushHalving(const std::uint8_t* row) {
  if (pushed_ % 2 == 0) {
    std::copy(row, row + previous_.size(), previous_.begin());
    return;
  }
  // Columns first (a plain loop the compiler vectorises), then neighbouring pixels.
  const size_t used = static_cast<size_t>(newWidth_) * 6;
  columnSums_.resize(used);
  const std::uint8_t* above = previous_.data();
  for (size_t i = 0; i < used; ++i) columnSums_[i] = static_cast<std::uint16_t>(above[i] + row[i]);
  const std::uint16_t* sum = columnSums_.data();
  std::uint8_t* out = out_.data();
  for (int x = 0; x < newWidth_; ++x, sum += 6, out += 3) {
    out[0] = static_cast<std::uint8_t>((sum[0] + sum[3]) >> 2);
    out[1] = static_cast<std::uint8_t>((sum[1] + sum[4]) >> 2);
    out[2] = static_cast<std::uint8_t>((sum[2] + sum[5]) >> 2);
  }
  sink_(nextOut_++, out_.data());
}

}  // namespace zolvex
