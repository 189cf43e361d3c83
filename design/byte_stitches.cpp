#include "design/byte_stitches.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline int Signed(std::uint8_t b) { return static_cast<std::int8_t>(b); }

#if defined(__SSE2__)
// Eight records at a time where the processor has SSE2 (every x86-64
// does): the 16 bytes as 16-bit lanes x0 y0 x1 y1 ..., running sums over
// the pairs, then the X and Y lanes apart. 16-bit lanes wrap exactly as the
// stored positions do. Returns the number of stitches decoded, a multiple of
// eight: it stops before the eight that hold an escape.
int DecodeBlocks(const std::uint8_t* at, int most, int yDirection, std::int16_t& x, std::int16_t& y,
                 std::int16_t* xs, std::int16_t* ys, CStitchBounds& b) {
  const __m128i escape = _mm_set1_epi8(static_cast<char>(kByteStitchEscape));
  const __m128i sign = _mm_setr_epi16(1, static_cast<short>(yDirection), 1, static_cast<short>(yDirection), 1,
                                      static_cast<short>(yDirection), 1, static_cast<short>(yDirection));
  __m128i minX = _mm_set1_epi16(b.minX), maxX = _mm_set1_epi16(b.maxX);
  __m128i minY = _mm_set1_epi16(b.minY), maxY = _mm_set1_epi16(b.maxY);
  __m128i pen = _mm_setr_epi16(x, y, x, y, x, y, x, y);
  int n = 0;
  for (; n + 8 <= most; n += 8) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2 * n));
    // An escape in a first byte (the even ones) ends the blocks.
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, escape)) & 0x5555) break;
    auto pairs = [&](__m128i half) {
      __m128i v = _mm_mullo_epi16(_mm_srai_epi16(half, 8), sign);
      v = _mm_add_epi16(v, _mm_slli_si128(v, 4));
      return _mm_add_epi16(v, _mm_slli_si128(v, 8));
    };
    const __m128i low = _mm_add_epi16(pairs(_mm_unpacklo_epi8(bytes, bytes)), pen);
    const __m128i lastLow = _mm_shuffle_epi32(low, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i high = _mm_add_epi16(pairs(_mm_unpackhi_epi8(bytes, bytes)), lastLow);
    pen = _mm_shuffle_epi32(high, _MM_SHUFFLE(3, 3, 3, 3));
    // x0 x1 x2 x3 y0 y1 y2 y3 from each half, then all eight X and all Y.
    auto apart = [](__m128i v) {
      v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
      return _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 1, 2, 0));
    };
    const __m128i l = apart(low), h = apart(high);
    const __m128i vx = _mm_unpacklo_epi64(l, h), vy = _mm_unpackhi_epi64(l, h);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(xs + n), vx);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(ys + n), vy);
    minX = _mm_min_epi16(minX, vx);
    maxX = _mm_max_epi16(maxX, vx);
    minY = _mm_min_epi16(minY, vy);
    maxY = _mm_max_epi16(maxY, vy);
  }
  x = static_cast<std::int16_t>(_mm_extract_epi16(pen, 0));
  y = static_cast<std::int16_t>(_mm_extract_epi16(pen, 1));
  auto reduce = [](__m128i v, bool smallest) {
    alignas(16) std::int16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return smallest ? *std::min_element(lanes, lanes + 8) : *std::max_element(lanes, lanes + 8);
  };
  b = {reduce(minX, true), reduce(maxX, false), reduce(minY, true), reduce(maxY, false)};
  return n;
}
#endif

}  // namespace

int DecodeByteStitches(const std::uint8_t* at, int most, int yDirection, std::int16_t& x, std::int16_t& y,
                       std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds) {
  int n = 0;
#if defined(__SSE2__)
  n = DecodeBlocks(at, most, yDirection, x, y, xs, ys, bounds);
#endif
  // The rest one record at a time, up to the escape.
  for (; n < most && at[2 * n] != kByteStitchEscape; ++n) {
    x = static_cast<std::int16_t>(x + Signed(at[2 * n]));
    y = static_cast<std::int16_t>(y + yDirection * Signed(at[2 * n + 1]));
    xs[n] = x;
    ys[n] = y;
    bounds.Include(x, y);
  }
  return n;
}
