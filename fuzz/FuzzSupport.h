#pragma once
// Small helpers shared by the fuzz targets. The targets are compiled twice: as libFuzzer
// programs (scripts/fuzz.sh) and into the replay test of the normal build, which renames
// LLVMFuzzerTestOneInput per target.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zolvex::fuzz {

// A property every input must keep. A failure aborts, which both libFuzzer and the replay
// test report as a crash together with the message.
inline void Require(bool holds, const char* what, std::string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property violated: %s [%s]\n", what, std::string(detail).c_str());
  std::abort();
}

// Reads the input front to back: chooser bytes first, the rest as payload.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Remaining() const { return size_ - at_; }
  const std::uint8_t* Current() const { return data_ + at_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }
  // Up to count bytes; fewer at the end of the input.
  std::string_view Take(std::size_t count) {
    std::size_t taken = count < Remaining() ? count : Remaining();
    std::string_view part(reinterpret_cast<const char*>(data_ + at_), taken);
    at_ += taken;
    return part;
  }
  std::string_view Rest() { return Take(Remaining()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace zolvex::fuzz
