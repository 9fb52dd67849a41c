// Reals become integers only through these: NaN gives 0, values beyond ±2^30 give ±2^30,
// so a pixel far outside any viewport stays an ordinary int that the driver clips away.
#pragma once
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

inline constexpr double kIntLimit = 1073741824.0;  // 2^30

// Nearest integer, halves to the even neighbour (the processor's rounding, as nearbyint
// takes it, in one instruction where there is one: the transforms round every point).
inline int RoundInt(double v) {
  if (!(v == v)) return 0;
  if (v >= kIntLimit) return 1 << 30;
  if (v <= -kIntLimit) return -(1 << 30);
#if defined(__SSE2__)
  return _mm_cvtsd_si32(_mm_set_sd(v));
#else
  return static_cast<int>(std::nearbyint(v));
#endif
}

// Toward zero.
inline int TruncInt(double v) {
  if (!(v == v)) return 0;
  if (v >= kIntLimit) return 1 << 30;
  if (v <= -kIntLimit) return -(1 << 30);
  return static_cast<int>(v);
}

// A double as a single; beyond the single range an infinity rather than an undefined
// conversion (the transforms turn it into a far-off pixel, the cursor rejects it).
inline float Single(double d) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (d > kMax) return std::numeric_limits<float>::infinity();
  if (d < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(d);
}

// A real as files hold it: NaN gives 0 and an infinity the largest single of its sign, so
// the reader takes back every number a writer writes.
inline float FiniteSingle(float v) {
  constexpr float kMax = std::numeric_limits<float>::max();
  if (!(v == v)) return 0.0f;
  return v > kMax ? kMax : v < -kMax ? -kMax : v;
}

}  // namespace platform
