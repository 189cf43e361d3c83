// Tajima DST reader.
//
// Layout:
//   0..511   header text; not read
//   512..    records of 3 bytes b0 b1 b2 up to the end record or the file's end
// Each record moves by dx, dy (0.1 mm), each a signed sum of the weights
// 1, 3, 9, 27, 81 (every bit on its own, so plus and minus of one weight
// cancel):
//   b0: 0x01 x+1  0x02 x-1  0x04 x+9  0x08 x-9  0x10 y-9  0x20 y+9  0x40 y-1  0x80 y+1
//   b1: 0x01 x+3  0x02 x-3  0x04 x+27 0x08 x-27 0x10 y-27 0x20 y+27 0x40 y-3  0x80 y+3
//   b2: 0x04 x+81 0x08 x-81 0x10 y-81 0x20 y+81; 0x01 0x02 unused
// The type is b2 alone: 0xF3 end; 0xC0..0xFF colour change; 0x80 set with
// 0x40 clear a jump (kept as a move); anything else a stitch. The file's dy
// points up, the design's Y down.
#include <algorithm>
#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define NADELWERK_DST_BLOCKS 1
#endif

#include "app/viewer_dlg.h"
#include "design/byte_view.h"
#include "design/info_text.h"

namespace {

constexpr int kHeaderSize = 512;
constexpr int kRecordSize = 3;

struct Weight {
  std::uint8_t mask;
  std::int8_t dx;
  std::int8_t dy;
};

constexpr Weight kByte0[] = {{0x01, 1, 0},  {0x02, -1, 0}, {0x04, 9, 0},  {0x08, -9, 0},
                             {0x10, 0, -9}, {0x20, 0, 9},  {0x40, 0, -1}, {0x80, 0, 1}};
constexpr Weight kByte1[] = {{0x01, 3, 0},   {0x02, -3, 0}, {0x04, 27, 0},  {0x08, -27, 0},
                             {0x10, 0, -27}, {0x20, 0, 27}, {0x40, 0, -3},  {0x80, 0, 3}};
constexpr Weight kByte2[] = {{0x04, 81, 0}, {0x08, -81, 0}, {0x10, 0, -81}, {0x20, 0, 81}};

struct Move {
  std::int8_t dx;
  std::int8_t dy;
};

template <std::size_t N>
constexpr std::array<Move, 256> BuildTable(const Weight (&weights)[N]) {
  std::array<Move, 256> table{};
  for (int b = 0; b < 256; ++b) {
    int dx = 0, dy = 0;
    for (const Weight& w : weights) {
      if (b & w.mask) {
        dx += w.dx;
        dy += w.dy;
      }
    }
    table[b] = {static_cast<std::int8_t>(dx), static_cast<std::int8_t>(dy)};
  }
  return table;
}

constexpr auto kMove0 = BuildTable(kByte0);
constexpr auto kMove1 = BuildTable(kByte1);
constexpr auto kMove2 = BuildTable(kByte2);

constexpr std::uint8_t kEndCode = 0xF3;

bool IsColorChange(std::uint8_t b2) { return (b2 & 0xC0) == 0xC0; }
bool IsJump(std::uint8_t b2) { return (b2 & 0xC0) == 0x80; }

#ifdef NADELWERK_DST_BLOCKS
// Most records of a design are plain stitches (b2 without its top bit: no
// jump, colour change or end). Blocks of 32 such records are decoded side by
// side, 16 in each half of a 256-bit vector: the three bytes of each record
// are gathered into three vectors, each nibble of them looks up its share of
// dx and dy (one table per nibble, the bit table above summed), and running
// sums over 16-bit lanes turn the moves into positions. 16-bit lanes wrap
// exactly as the stored positions do.
constexpr int kBlock = 32;

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

// Decodes the plain stitches from p on (in whole blocks, at most count
// records) into xs and ys, starting after position (x, y), up to the first
// other record. Returns the number of stitches decoded; the block that holds
// the other record may have been written further.
NADELWERK_AVX2 int DecodeStitchBlocks(const std::uint8_t* p, int count, std::int16_t x, std::int16_t y,
                                      std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds) {
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
bool HasStitchBlocks() {
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
#endif

}  // namespace

void CViewerDlg::ReadDst(int len) {
  BeginDesign(len / 2);
  const ByteView file(m_fileData, len);
  // The running position keeps its low 16 bits, as the design stores them.
  std::int16_t x = 0, y = 0;
  // Only whole records are decoded: a cut-off last record is dropped.
  const std::int64_t records =
      file.size() > kHeaderSize ? (static_cast<std::int64_t>(file.size()) - kHeaderSize) / kRecordSize : 0;
  if (records > 0) GrowRecords(static_cast<int>(records) + 3);
  const std::uint8_t* p = records > 0 ? file.UncheckedData(kHeaderSize) : nullptr;
#ifdef NADELWERK_DST_BLOCKS
  constexpr int kRun = 4096;  // records decoded in blocks between two checks of the arrays
  const bool inBlocks = HasStitchBlocks();
#endif
  std::int64_t i = 0;
  while (i < records) {
#ifdef NADELWERK_DST_BLOCKS
    if (inBlocks) {
      const int run = static_cast<int>(std::min<std::int64_t>(records - i, kRun));
      int n = 0;
      AddStitchRun(run, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds) {
        n = DecodeStitchBlocks(p, run, x, y, xs, ys, bounds);
        if (n > 0) {
          x = xs[n - 1];
          y = ys[n - 1];
        }
        return n;
      });
      i += n;
      p += static_cast<std::ptrdiff_t>(n) * kRecordSize;
      if (n == run) continue;
    }
    // One record at a time: the record that stopped the blocks, or the last
    // records of a file that fill no block; then blocks again.
    const std::int64_t stop = inBlocks ? std::min<std::int64_t>(records, i + kBlock) : records;
#else
    const std::int64_t stop = records;
#endif
    for (; i < stop; ++i, p += kRecordSize) {
      const std::uint8_t b2 = p[2];
      if (b2 == kEndCode) {
        i = records;
        break;
      }
      if (IsColorChange(b2)) {
        AddColorChange(x, y);
      } else {
        x = static_cast<std::int16_t>(x + kMove0[p[0]].dx + kMove1[p[1]].dx + kMove2[b2].dx);
        y = static_cast<std::int16_t>(y - (kMove0[p[0]].dy + kMove1[p[1]].dy + kMove2[b2].dy));
        if (IsJump(b2))
          AddMove(x, y);
        else
          AddStitch(x, y);
      }
#ifdef NADELWERK_DST_BLOCKS
      if (inBlocks && (b2 & 0x80)) {
        ++i;
        p += kRecordSize;
        break;
      }
#endif
    }
  }
  EndDesign();

  const int blocks = m_nColorCount < kBlockColorEntries ? m_nColorCount : kBlockColorEntries;
  for (int j = 0; j < blocks; ++j) m_blockColor[j] = static_cast<std::uint8_t>(j + 2);

  CDesignPublish publish;
  publish.format = FORMAT_DST;
  publish.keepRotation = true;
  publish.info = {"TAJIMA", ColorsText(m_nColorCount), DecodedWidthText(), DecodedHeightText(),
                  StitchesText(m_nStitchCount)};
  PublishDesign(publish);
}
