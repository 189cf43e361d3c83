// Tajima DST writer.
//
// Output:
//   0..123   thirteen header lines, each ending in '\r':
//            LA: (16 blanks), ST:%7d, CO:%3d, +X:%5d, -X:%5d, +Y:%5d, -Y:%5d,
//            AX:+    0, AY:+    0, MX:+    0, MY:+    0, PD:******
//   124      0x1A
//   125..511 blanks
//   512..    3-byte records: stitches (b2 0x03), jumps (b2 0x83), colour
//            changes 00 00 C3, then the end record 00 00 F3
// A record carries at most 121 per axis (balanced ternary over 1, 3, 9, 27,
// 81), so longer moves are split into pieces that add up to the move.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "export/dst_writer.h"

namespace {

constexpr int kHeaderSize = 512;
constexpr int kRecordSize = 3;
constexpr int kMaxStep = 121;
constexpr std::uint8_t kStitchCode = 0x03;
constexpr std::uint8_t kJumpCode = 0x83;
constexpr std::uint8_t kColorRecord[3] = {0x00, 0x00, 0xC3};
constexpr std::uint8_t kEndRecord[3] = {0x00, 0x00, 0xF3};

// One balanced-ternary digit's bit: which byte, and the masks for +1 and -1.
struct DigitBits {
  int weight;
  int threshold;  // the digit is non-zero when |value| exceeds it
  int byte;
  std::uint8_t plusX, minusX, plusY, minusY;  // Y as the file counts it (up)
};

constexpr DigitBits kDigits[] = {
    {81, 40, 2, 0x04, 0x08, 0x20, 0x10},
    {27, 13, 1, 0x04, 0x08, 0x20, 0x10},
    {9, 4, 0, 0x04, 0x08, 0x20, 0x10},
    {3, 1, 1, 0x01, 0x02, 0x80, 0x40},
    {1, 0, 0, 0x01, 0x02, 0x80, 0x40},
};

// The bits of one axis value in -121..121, packed b0 | b1 << 8 | b2 << 16.
constexpr std::uint32_t AxisBits(int value, bool yAxis) {
  std::uint32_t bits = 0;
  for (const DigitBits& d : kDigits) {
    std::uint8_t mask = 0;
    if (value > d.threshold) {
      mask = yAxis ? d.plusY : d.plusX;
      value -= d.weight;
    } else if (value < -d.threshold) {
      mask = yAxis ? d.minusY : d.minusX;
      value += d.weight;
    }
    bits |= static_cast<std::uint32_t>(mask) << (8 * d.byte);
  }
  return bits;
}

template <bool YAxis>
constexpr std::array<std::uint32_t, 2 * kMaxStep + 1> BuildAxisTable() {
  std::array<std::uint32_t, 2 * kMaxStep + 1> table{};
  for (int v = -kMaxStep; v <= kMaxStep; ++v) table[v + kMaxStep] = AxisBits(v, YAxis);
  return table;
}

constexpr auto kBitsX = BuildAxisTable<false>();
constexpr auto kBitsY = BuildAxisTable<true>();  // indexed by the file's dy

// dx, dy in design units (Y down), each within -121..121.
inline void PutMove(std::uint8_t* out, int dx, int dy, std::uint8_t code) {
  const std::uint32_t bits = kBitsX[dx + kMaxStep] | kBitsY[-dy + kMaxStep];
  out[0] = static_cast<std::uint8_t>(bits);
  out[1] = static_cast<std::uint8_t>(bits >> 8);
  out[2] = static_cast<std::uint8_t>((bits >> 16) | code);
}

// The pieces of one axis of a split move: `first` for the first `count`
// pieces, `rest` for the others.
struct AxisSplit {
  int first;
  int count;
  int rest;
};

// Splits v into n pieces: n - 1 equal pieces v / n and the remainder last,
// unless that remainder would exceed one record; then the |r| excess units of
// r = v - n * (v / n) go one each onto the last |r| pieces.
AxisSplit SplitAxis(int v, int n) {
  const int q = v / n;
  const int last = v - (n - 1) * q;
  if (std::abs(last) <= kMaxStep) return {q, n - 1, last};
  const int r = v - n * q;
  return {q, n - std::abs(r), q + (r > 0 ? 1 : -1)};
}

// Grows the block so that `need` more bytes fit after pos.
inline void Reserve(std::vector<std::uint8_t>& block, std::size_t pos, std::size_t need) {
  if (pos + need <= block.size()) return;
  block.resize(std::max(block.size() * 2, pos + need));
}

// Appends the records of one move (dx, dy); returns the number of pieces.
inline int AppendMove(std::vector<std::uint8_t>& block, std::size_t& pos, int dx, int dy,
                      std::uint8_t code) {
  const int m = std::max(std::abs(dx), std::abs(dy));
  if (m <= kMaxStep) {
    Reserve(block, pos, kRecordSize);
    PutMove(block.data() + pos, dx, dy, code);
    pos += kRecordSize;
    return 1;
  }
  const int n = (m + kMaxStep - 1) / kMaxStep;
  const AxisSplit sx = SplitAxis(dx, n);
  const AxisSplit sy = SplitAxis(dy, n);
  Reserve(block, pos, static_cast<std::size_t>(n) * kRecordSize);
  for (int j = 0; j < n; ++j) {
    PutMove(block.data() + pos, j < sx.count ? sx.first : sx.rest, j < sy.count ? sy.first : sy.rest,
            code);
    pos += kRecordSize;
  }
  return n;
}

// Prints one header line into its field; values are clamped to what the
// field's width can show, so the lines never run into each other.
void PutLine(std::uint8_t* header, int offset, int length, const char* format, long long value,
             long long maxValue) {
  value = std::clamp(value, 0LL, maxValue);
  char line[32];
  std::snprintf(line, sizeof line, format, value);
  std::memcpy(header + offset, line, static_cast<std::size_t>(length));
}

void PutText(std::uint8_t* header, int offset, const char* text) {
  std::memcpy(header + offset, text, std::strlen(text));
}

}  // namespace

std::array<std::uint8_t, 3> EncodeDstMove(std::int16_t dx, std::int16_t dy) {
  // Callers split moves first; a value beyond one record is held at the limit
  // rather than read past the tables.
  const int x = std::clamp<int>(dx, -kMaxStep, kMaxStep);
  const int y = std::clamp<int>(dy, -kMaxStep, kMaxStep);
  std::array<std::uint8_t, 3> bytes{};
  PutMove(bytes.data(), x, y, kStitchCode);
  return bytes;
}

void BuildDstBlock(const CDesign& dlg, std::vector<std::uint8_t>& block) {
  const std::size_t records =
      std::min({dlg.m_arrX.size(), dlg.m_arrY.size(), dlg.m_arrKind.size()});
  const std::int16_t* xs = dlg.m_arrX.data();
  const std::int16_t* ys = dlg.m_arrY.data();
  const std::uint8_t* kinds = dlg.m_arrKind.data();

  // Most designs need one record per stitch and colour change; the block
  // grows when long moves need more.
  const std::size_t estimate =
      static_cast<std::size_t>(std::max(0, dlg.m_nStitchCount)) +
      static_cast<std::size_t>(std::max(0, dlg.m_nColorCount)) + 4;
  block.assign(kHeaderSize + kRecordSize * std::min(estimate, records + 2), ' ');

  std::size_t pos = kHeaderSize;
  long long st = 1;
  // The needle's position in the written file. A colour change does not move
  // it, so the next stitch is measured from where the last movement ended.
  std::int16_t penX = records > 0 ? xs[0] : 0;
  std::int16_t penY = records > 0 ? ys[0] : 0;
  for (std::size_t i = 1; i < records && kinds[i] != KIND_END; ++i) {
    if (kinds[i] == KIND_COLOR) {
      Reserve(block, pos, kRecordSize);
      std::memcpy(block.data() + pos, kColorRecord, kRecordSize);
      pos += kRecordSize;
      continue;
    }
    // Moves become jumps; every other kind is a stitch to its position.
    const std::uint8_t code = kinds[i] == KIND_MOVE ? kJumpCode : kStitchCode;
    const int dx = static_cast<std::int16_t>(xs[i] - penX);
    const int dy = static_cast<std::int16_t>(ys[i] - penY);
    st += AppendMove(block, pos, dx, dy, code);
    penX = xs[i];
    penY = ys[i];
  }
  Reserve(block, pos, kRecordSize);
  std::memcpy(block.data() + pos, kEndRecord, kRecordSize);
  pos += kRecordSize;
  block.resize(pos);

  // A design without stitch records still holds the bound sentinels: its
  // extents are 0.
  const bool empty = dlg.m_nMaxX < dlg.m_nMinX || dlg.m_nMaxY < dlg.m_nMinY;
  auto extent = [empty](std::int16_t v) { return empty ? 0LL : std::llabs(v); };
  std::uint8_t* header = block.data();
  PutText(header, 0, "LA:                \r");
  PutLine(header, 20, 11, "ST:%7lld\r", st, 9'999'999);
  PutLine(header, 31, 7, "CO:%3lld\r", dlg.m_nColorCount, 999);
  PutLine(header, 38, 9, "+X:%5lld\r", extent(dlg.m_nMaxX), 99'999);
  PutLine(header, 47, 9, "-X:%5lld\r", extent(dlg.m_nMinX), 99'999);
  PutLine(header, 56, 9, "+Y:%5lld\r", extent(dlg.m_nMinY), 99'999);
  PutLine(header, 65, 9, "-Y:%5lld\r", extent(dlg.m_nMaxY), 99'999);
  PutText(header, 74, "AX:+    0\r");
  PutText(header, 84, "AY:+    0\r");
  PutText(header, 94, "MX:+    0\r");
  PutText(header, 104, "MY:+    0\r");
  PutText(header, 114, "PD:******\r");
  header[124] = 0x1A;
}

CEncoded EncodeDst(const CDesign& design, const CEncodeRequest&) {
  CEncoded result;
  BuildDstBlock(design, result.bytes);
  return result;
}
