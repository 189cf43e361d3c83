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
// jump, colour change or end). Blocks of 16 such records are decoded side by
// side: the three bytes of each record are gathered into three vectors, each
// nibble of them looks up its share of dx and dy (one table per nibble, the
// bit table above summed), and running sums over the 16-bit lanes turn the
// moves into positions. 16-bit lanes wrap exactly as the stored positions do.
constexpr int kBlock = 16;

// Shuffle masks that gather byte k of 16 records from the three 16-byte
// thirds of a 48-byte block.
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

template <std::size_t N>
__attribute__((target("ssse3"))) inline __m128i Load(const std::array<std::int8_t, N>& a) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data()));
}

__attribute__((target("ssse3"))) inline __m128i Gather(__m128i a, __m128i b, __m128i c, int k) {
  static constexpr std::array<std::int8_t, 16> kMasks[3][3] = {
      {GatherMask(0, 0), GatherMask(0, 1), GatherMask(0, 2)},
      {GatherMask(1, 0), GatherMask(1, 1), GatherMask(1, 2)},
      {GatherMask(2, 0), GatherMask(2, 1), GatherMask(2, 2)}};
  return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, Load(kMasks[k][0])),
                                   _mm_shuffle_epi8(b, Load(kMasks[k][1]))),
                      _mm_shuffle_epi8(c, Load(kMasks[k][2])));
}

// Running sums of eight 16-bit moves, starting from the position in every
// lane of start; the last lane's sum is broadcast into next.
__attribute__((target("ssse3"))) inline __m128i Positions(__m128i moves, __m128i start, __m128i& next) {
  moves = _mm_add_epi16(moves, _mm_slli_si128(moves, 2));
  moves = _mm_add_epi16(moves, _mm_slli_si128(moves, 4));
  moves = _mm_add_epi16(moves, _mm_slli_si128(moves, 8));
  const __m128i positions = _mm_add_epi16(moves, start);
  next = _mm_shuffle_epi8(positions, _mm_set1_epi16(0x0F0E));
  return positions;
}

// Decodes whole blocks of plain stitches from p (at most count records) into
// xs and ys, starting after position (x, y); stops before the first block
// holding any other record. Returns the number of records decoded.
__attribute__((target("ssse3,sse4.1"))) int DecodeStitchBlocks(const std::uint8_t* p, int count,
                                                               std::int16_t x, std::int16_t y,
                                                               std::int16_t* xs, std::int16_t* ys) {
  static constexpr auto kDx0 = NibbleMoves(kByte0, 0, 0), kDy0 = NibbleMoves(kByte0, 4, 1);
  static constexpr auto kDx1 = NibbleMoves(kByte1, 0, 0), kDy1 = NibbleMoves(kByte1, 4, 1);
  static constexpr auto kDx2 = NibbleMoves(kByte2, 0, 0), kDy2 = NibbleMoves(kByte2, 4, 1);
  const __m128i dx0 = Load(kDx0), dy0 = Load(kDy0), dx1 = Load(kDx1), dy1 = Load(kDy1);
  const __m128i dx2 = Load(kDx2), dy2 = Load(kDy2);
  const __m128i low = _mm_set1_epi8(0x0F);
  __m128i atX = _mm_set1_epi16(x), atY = _mm_set1_epi16(y);
  int done = 0;
  for (; done + kBlock <= count; done += kBlock, p += kBlock * kRecordSize) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    const __m128i b2 = Gather(a, b, c, 2);
    if (_mm_movemask_epi8(b2) != 0) break;
    const __m128i b0 = Gather(a, b, c, 0), b1 = Gather(a, b, c, 1);
    const __m128i lo0 = _mm_and_si128(b0, low), hi0 = _mm_and_si128(_mm_srli_epi16(b0, 4), low);
    const __m128i lo1 = _mm_and_si128(b1, low), hi1 = _mm_and_si128(_mm_srli_epi16(b1, 4), low);
    const __m128i lo2 = _mm_and_si128(b2, low), hi2 = _mm_and_si128(_mm_srli_epi16(b2, 4), low);
    // At most 121 either way: the byte sums cannot overflow.
    const __m128i dx = _mm_add_epi8(_mm_add_epi8(_mm_shuffle_epi8(dx0, lo0), _mm_shuffle_epi8(dx1, lo1)),
                                    _mm_shuffle_epi8(dx2, lo2));
    const __m128i dy = _mm_add_epi8(_mm_add_epi8(_mm_shuffle_epi8(dy0, hi0), _mm_shuffle_epi8(dy1, hi1)),
                                    _mm_shuffle_epi8(dy2, hi2));
    __m128i* outX = reinterpret_cast<__m128i*>(xs + done);
    __m128i* outY = reinterpret_cast<__m128i*>(ys + done);
    _mm_storeu_si128(outX, Positions(_mm_cvtepi8_epi16(dx), atX, atX));
    _mm_storeu_si128(outX + 1, Positions(_mm_cvtepi8_epi16(_mm_srli_si128(dx, 8)), atX, atX));
    _mm_storeu_si128(outY, Positions(_mm_cvtepi8_epi16(dy), atY, atY));
    _mm_storeu_si128(outY + 1, Positions(_mm_cvtepi8_epi16(_mm_srli_si128(dy, 8)), atY, atY));
  }
  return done;
}

bool HasStitchBlocks() {
  static const bool has = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1");
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
      AddStitchRun(run, [&](std::int16_t* xs, std::int16_t* ys) {
        n = DecodeStitchBlocks(p, run, x, y, xs, ys);
        if (n > 0) {
          x = xs[n - 1];
          y = ys[n - 1];
        }
        return n;
      });
      i += n;
      p += static_cast<std::ptrdiff_t>(n) * kRecordSize;
      if (n == run && i < records) continue;
    }
#endif
    // One record at a time up to the next block: the one that stopped the
    // blocks, or the last few records of the file.
    const std::int64_t stop = std::min<std::int64_t>(records, i + 16);
    for (; i < stop; ++i, p += kRecordSize) {
      const std::uint8_t b2 = p[2];
      if (b2 == kEndCode) {
        i = records;
        break;
      }
      if (IsColorChange(b2)) {
        AddColorChange(x, y);
        continue;
      }
      x = static_cast<std::int16_t>(x + kMove0[p[0]].dx + kMove1[p[1]].dx + kMove2[b2].dx);
      y = static_cast<std::int16_t>(y - (kMove0[p[0]].dy + kMove1[p[1]].dy + kMove2[b2].dy));
      if (IsJump(b2))
        AddMove(x, y);
      else
        AddStitch(x, y);
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
