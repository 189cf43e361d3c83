#include "design/dst_blocks.h"

#include "design/dst_records.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>

#include <array>

using dst::kByte0;
using dst::kByte1;
using dst::kByte2;
using dst::kRecordSize;
using dst::Weight;

namespace {

// Most records of a design are plain stitches (b2 without its top bit: no
// jump, colour change or end). Blocks of 32 such records are decoded side by
// side, 16 in each half of a 256-bit vector: the three bytes of each record
// are gathered into three vectors, each nibble of them looks up its share of
// dx and dy (one table per nibble, the bit table above summed), and running
// sums over 16-bit lanes turn the moves into positions. 16-bit lanes wrap
// exactly as the stored positions do.
constexpr int kBlock = kDstStitchBlock;

// Shuffle masks that gather byte k of 16 records from the three 16-byte
// thirds of a 48-byte run of records.
constexpr std::array<std::int8_t, 16> GatherMask(int k, int third) {
  std::array<std::int8_t, 16> mask{};
  for (int j = 0; j < 16; ++j) {
    const int at = 3 * j + k - 16 * third;
    mask[j] = static_cast<std::int8_t>(at >= 0 && at < 16 ? at : -128);
  }
  return mask;
}

// dx (axis 0) or the design's dy, which is minus the file's (axis 1), of the
// four bits of one nibble of a record byte.
template <std::size_t N>
constexpr std::array<std::int8_t, 16> NibbleMoves(const Weight (&weights)[N], int shift, int axis) {
  std::array<std::int8_t, 16> table{};
  for (int nibble = 0; nibble < 16; ++nibble) {
    int sum = 0;
    for (const Weight& w : weights)
      if ((nibble << shift) & w.mask) sum += axis == 0 ? w.dx : -w.dy;
    table[nibble] = static_cast<std::int8_t>(sum);
  }
  return table;
}

#define NADELWERK_AVX2 __attribute__((target("avx2")))

// A 16-byte table in both halves.
NADELWERK_AVX2 inline __m256i Broadcast(const std::array<std::int8_t, 16>& a) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data())));
}

NADELWERK_AVX2 inline __m256i LoadHalves(const std::uint8_t* low, const std::uint8_t* high) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

// Byte k of the 16 records in each half, from three vectors that hold the
// thirds of two 48-byte runs.
NADELWERK_AVX2 inline __m256i Gather(__m256i a, __m256i b, __m256i c, int k) {
  static constexpr std::array<std::int8_t, 16> kMasks[3][3] = {
      {GatherMask(0, 0), GatherMask(0, 1), GatherMask(0, 2)},
      {GatherMask(1, 0), GatherMask(1, 1), GatherMask(1, 2)},
      {GatherMask(2, 0), GatherMask(2, 1), GatherMask(2, 2)}};
  return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a, Broadcast(kMasks[k][0])),
                                         _mm256_shuffle_epi8(b, Broadcast(kMasks[k][1]))),
                         _mm256_shuffle_epi8(c, Broadcast(kMasks[k][2])));
}

// Positions after sixteen 8-bit moves, starting from the position held in
// every lane of at; at then holds the last of them in every lane.
NADELWERK_AVX2 inline __m256i Positions(__m128i moves8, __m256i& at) {
  const __m256i last = _mm256_set1_epi16(0x0F0E);  // the top lane of each half
  __m256i sums = _mm256_cvtepi8_epi16(moves8);
  sums = _mm256_add_epi16(sums, _mm256_slli_si256(sums, 2));
  sums = _mm256_add_epi16(sums, _mm256_slli_si256(sums, 4));
  sums = _mm256_add_epi16(sums, _mm256_slli_si256(sums, 8));
  // The upper half continues from the lower half's total.
  const __m256i lowTotal = _mm256_shuffle_epi8(sums, last);
  sums = _mm256_add_epi16(sums, _mm256_permute2x128_si256(lowTotal, lowTotal, 0x08));
  const __m256i positions = _mm256_add_epi16(sums, at);
  const __m256i top = _mm256_shuffle_epi8(positions, last);
  at = _mm256_permute2x128_si256(top, top, 0x11);
  return positions;
}

// The smallest and the largest of sixteen signed 16-bit lanes. minpos finds
// the smallest unsigned lane: flipping the sign bit orders signed values so.
NADELWERK_AVX2 inline std::int16_t Smallest(__m256i v) {
  const __m128i sign = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i half = _mm_min_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  return static_cast<std::int16_t>(_mm_cvtsi128_si32(_mm_minpos_epu16(_mm_xor_si128(half, sign))) ^ 0x8000);
}

NADELWERK_AVX2 inline std::int16_t Largest(__m256i v) {
  const __m128i flip = _mm_set1_epi16(0x7FFF);  // flips the order of signed values, then the sign bit
  const __m128i half = _mm_max_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  return static_cast<std::int16_t>(_mm_cvtsi128_si32(_mm_minpos_epu16(_mm_xor_si128(half, flip))) ^ 0x7FFF);
}

}  // namespace

NADELWERK_AVX2 int DecodeDstStitchBlocks(const std::uint8_t* p, int count, std::int16_t x,
                                         std::int16_t y, std::int16_t* xs, std::int16_t* ys,
                                         CStitchBounds& bounds) {
  static constexpr auto kDx0 = NibbleMoves(kByte0, 0, 0), kDy0 = NibbleMoves(kByte0, 4, 1);
  static constexpr auto kDx1 = NibbleMoves(kByte1, 0, 0), kDy1 = NibbleMoves(kByte1, 4, 1);
  static constexpr auto kDx2 = NibbleMoves(kByte2, 0, 0), kDy2 = NibbleMoves(kByte2, 4, 1);
  const __m256i dx0 = Broadcast(kDx0), dy0 = Broadcast(kDy0), dx1 = Broadcast(kDx1);
  const __m256i dy1 = Broadcast(kDy1), dx2 = Broadcast(kDx2), dy2 = Broadcast(kDy2);
  const __m256i low = _mm256_set1_epi8(0x0F);
  __m256i atX = _mm256_set1_epi16(x), atY = _mm256_set1_epi16(y);
  // The bounds lane by lane; the signed 16-bit comparisons of WidenBounds.
  __m256i minX = _mm256_set1_epi16(bounds.minX), maxX = _mm256_set1_epi16(bounds.maxX);
  __m256i minY = _mm256_set1_epi16(bounds.minY), maxY = _mm256_set1_epi16(bounds.maxY);
  const __m256i lanes = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  int done = 0;
  for (; done + kBlock <= count; done += kBlock, p += kBlock * kRecordSize) {
    const __m256i a = LoadHalves(p, p + 48), b = LoadHalves(p + 16, p + 64), c = LoadHalves(p + 32, p + 80);
    const __m256i b2 = Gather(a, b, c, 2);
    // Bit j: record j is a jump, a colour change or the end.
    const unsigned others = static_cast<unsigned>(_mm256_movemask_epi8(b2));
    const __m256i b0 = Gather(a, b, c, 0), b1 = Gather(a, b, c, 1);
    const __m256i lo0 = _mm256_and_si256(b0, low), hi0 = _mm256_and_si256(_mm256_srli_epi16(b0, 4), low);
    const __m256i lo1 = _mm256_and_si256(b1, low), hi1 = _mm256_and_si256(_mm256_srli_epi16(b1, 4), low);
    const __m256i lo2 = _mm256_and_si256(b2, low), hi2 = _mm256_and_si256(_mm256_srli_epi16(b2, 4), low);
    // At most 121 either way: the byte sums cannot overflow.
    const __m256i dx = _mm256_add_epi8(
        _mm256_add_epi8(_mm256_shuffle_epi8(dx0, lo0), _mm256_shuffle_epi8(dx1, lo1)),
        _mm256_shuffle_epi8(dx2, lo2));
    const __m256i dy = _mm256_add_epi8(
        _mm256_add_epi8(_mm256_shuffle_epi8(dy0, hi0), _mm256_shuffle_epi8(dy1, hi1)),
        _mm256_shuffle_epi8(dy2, hi2));
    const __m256i x0 = Positions(_mm256_castsi256_si128(dx), atX);
    const __m256i x1 = Positions(_mm256_extracti128_si256(dx, 1), atX);
    const __m256i y0 = Positions(_mm256_castsi256_si128(dy), atY);
    const __m256i y1 = Positions(_mm256_extracti128_si256(dy, 1), atY);
    __m256i* outX = reinterpret_cast<__m256i*>(xs + done);
    __m256i* outY = reinterpret_cast<__m256i*>(ys + done);
    _mm256_storeu_si256(outX, x0);
    _mm256_storeu_si256(outX + 1, x1);
    _mm256_storeu_si256(outY, y0);
    _mm256_storeu_si256(outY + 1, y1);
    // Only the positions before the first other record count (the rest of
    // the block is written over by what follows): the others stand in for
    // a position already taken into the bounds.
    const int valid = others != 0 ? __builtin_ctz(others) : kBlock;
    const __m256i keep0 = _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<short>(valid)), lanes);
    const __m256i keep1 = _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<short>(valid - 16)), lanes);
    if (valid > 0) {
      const __m256i firstX = _mm256_set1_epi16(xs[done]), firstY = _mm256_set1_epi16(ys[done]);
      const __m256i countedX0 = _mm256_blendv_epi8(firstX, x0, keep0);
      const __m256i countedX1 = _mm256_blendv_epi8(firstX, x1, keep1);
      const __m256i countedY0 = _mm256_blendv_epi8(firstY, y0, keep0);
      const __m256i countedY1 = _mm256_blendv_epi8(firstY, y1, keep1);
      minX = _mm256_min_epi16(minX, _mm256_min_epi16(countedX0, countedX1));
      maxX = _mm256_max_epi16(maxX, _mm256_max_epi16(countedX0, countedX1));
      minY = _mm256_min_epi16(minY, _mm256_min_epi16(countedY0, countedY1));
      maxY = _mm256_max_epi16(maxY, _mm256_max_epi16(countedY0, countedY1));
    }
    if (others != 0) {
      done += valid;
      break;
    }
  }
  bounds = {Smallest(minX), Largest(maxX), Smallest(minY), Largest(maxY)};
  return done;
}

// AVX2 (CPUID leaf 7, EBX bit 5) with the system saving the AVX state (OSXSAVE,
// leaf 1 ECX bit 27, and XCR0 bits 1 and 2). Asked once, on the first DST read.
bool DstStitchBlocksAvailable() {
  static const bool has = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 27))) return false;
    unsigned xcrLow = 0, xcrHigh = 0;
    __asm__("xgetbv" : "=a"(xcrLow), "=d"(xcrHigh) : "c"(0));
    if ((xcrLow & 6u) != 6u) return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 5));
  }();
  return has;
}

#else

bool DstStitchBlocksAvailable() { return false; }

int DecodeDstStitchBlocks(const std::uint8_t*, int, std::int16_t, std::int16_t, std::int16_t*,
                          std::int16_t*, CStitchBounds&) {
  return 0;
}

#endif
