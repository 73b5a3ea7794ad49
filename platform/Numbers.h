#pragma once
#include <algorithm>
#include <cmath>
#include <limits>

namespace zolvex {

// Conversions into int that saturate at the ends of its range instead of overflowing, for
// values that come from documents, properties and scaled coordinates. NaN reads as 0.

inline int ClampToInt(long long value) {
  return static_cast<int>(
      std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Toward zero.
inline int SaturateToInt(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  if (value <= kMin) return std::numeric_limits<int>::min();
  if (value >= kMax) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

// ⌊value⌋.
inline int FloorToInt(double value) { return SaturateToInt(std::floor(value)); }

// ⌈a / b⌉ for a ≥ 0 and b > 0.
inline int CeilDiv(int a, int b) { return a / b + (a % b != 0); }

}  // namespace zolvex
