// Reals become integers only through these: NaN gives 0, values beyond ±2^30 give ±2^30,
// so a pixel far outside any viewport stays an ordinary int that the driver clips away.
#pragma once
#include <cmath>

namespace platform {

inline constexpr double kIntLimit = 1073741824.0;  // 2^30

// Nearest integer, halves to the even neighbour.
inline int RoundInt(double v) {
  if (!(v == v)) return 0;
  if (v >= kIntLimit) return 1 << 30;
  if (v <= -kIntLimit) return -(1 << 30);
  return static_cast<int>(std::nearbyint(v));
}

// Toward zero.
inline int TruncInt(double v) {
  if (!(v == v)) return 0;
  if (v >= kIntLimit) return 1 << 30;
  if (v <= -kIntLimit) return -(1 << 30);
  return static_cast<int>(v);
}

}  // namespace platform
