// Integer helpers of the mapping and the line clipping, in 128 bits where a
// product of two 64-bit values may not fit.
#pragma once
#include <cstdint>

namespace wide_math {

using i128 = __int128;

// Division rounding toward minus infinity and plus infinity; d > 0.
inline i128 FloorDiv(i128 n, i128 d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
inline i128 CeilDiv(i128 n, i128 d) { return -FloorDiv(-n, d); }

inline std::int64_t Clamp64(i128 v, std::int64_t lo, std::int64_t hi) {
  return v < lo ? lo : v > hi ? hi : static_cast<std::int64_t>(v);
}

}  // namespace wide_math
