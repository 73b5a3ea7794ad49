#pragma once
#include <cstdint>
#include <vector>

namespace zolvex {

// Signed 32-bit integers as the tiled formats store them: little-endian in local files,
// big-endian on the server's wire.
inline std::int32_t ReadLE32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                   std::uint32_t{p[3]} << 24);
}

inline std::int32_t ReadBE32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
                                   std::uint32_t{p[3]});
}

inline void AppendLE32(std::vector<std::uint8_t>& out, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void AppendBE32(std::vector<std::uint8_t>& out, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace zolvex
