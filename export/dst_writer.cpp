// Tajima DST writer.
//
// Output:
//   0..123   thirteen header lines, each ending in '\r':
//            LA: and the design's name in 16 single-byte characters,
//            ST:%7d, CO:%3d, +X:%5d, -X:%5d, +Y:%5d, -Y:%5d,
//            AX:+    0, AY:+    0, MX:+    0, MY:+    0, PD:******
//   124      0x1A
//   125..511 blanks
//   512..    3-byte records: stitches (b2 0x03), jumps (b2 0x83), colour
//            changes 00 00 C3, then the end record 00 00 F3
// A record carries at most 121 per axis (balanced ternary over 1, 3, 9, 27,
// 81), so longer moves are split into pieces along the move's straight line
// that add up to it.
#include <algorithm>
#include <cassert>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "export/dst_writer.h"
#include "export/record_walk.h"
#include "export/step_split.h"
#include "framework/window_words.h"

namespace {

constexpr int kHeaderSize = 512;
constexpr int kRecordSize = 3;
constexpr int kMaxStep = 121;
constexpr int kLabelLength = 16;
constexpr std::int64_t kMaxStitchCount = 9'999'999;
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

// The number of records a move (dx, dy) takes.
inline int Pieces(int dx, int dy) { return StepPieces(dx, dy, kMaxStep); }

// Writes the records of one move (dx, dy) at pos, which has room for them,
// each piece on the move's straight line.
inline void AppendMove(std::uint8_t* block, std::size_t& pos, int dx, int dy, std::uint8_t code) {
  SplitStepAwayFromZero(dx, dy, kMaxStep, [&](int px, int py, bool) {
    PutMove(block + pos, px, py, code);
    pos += kRecordSize;
  });
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

namespace {

// The records of the design's own stitches, moves and colour changes: every
// movement measured from where the last one ended (a colour change does not
// move the needle), moves as jumps.
template <class Emit>
void WalkDstMoves(const CDesign& design, Emit&& emit) {
  const CRecordWalk walk{design, /*leadInMove=*/true};
  int penX = walk.StartX(), penY = walk.StartY();
  walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      emit(0, 0, kind);
      return;
    }
    emit(static_cast<std::int16_t>(x - penX), static_cast<std::int16_t>(y - penY), kind);
    penX = x;
    penY = y;
  });
}

// The header's ST: one more than the stitch and jump records.
std::int64_t DstStitchCount(const CDesign& design) {
  std::int64_t st = 1;
  WalkDstMoves(design, [&](int dx, int dy, std::uint8_t kind) {
    if (kind != KIND_COLOR) st += Pieces(dx, dy);
  });
  return st;
}

}  // namespace

void BuildDstBlock(const CDesign& dlg, std::vector<std::uint8_t>& block, const std::string& label) {
  // One pass to count the records, so that the block is asked for once at
  // its final size.
  std::int64_t st = 1, records = 1;  // the end record
  WalkDstMoves(dlg, [&](int dx, int dy, std::uint8_t kind) {
    const int n = kind == KIND_COLOR ? 1 : Pieces(dx, dy);
    records += n;
    if (kind != KIND_COLOR) st += n;
  });
  block.clear();
  block.shrink_to_fit();
  block.resize(kHeaderSize + kRecordSize * static_cast<std::size_t>(records), ' ');

  std::uint8_t* out = block.data();
  std::size_t pos = kHeaderSize;
  WalkDstMoves(dlg, [&](int dx, int dy, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      std::memcpy(out + pos, kColorRecord, kRecordSize);
      pos += kRecordSize;
      return;
    }
    AppendMove(out, pos, dx, dy, kind == KIND_MOVE ? kJumpCode : kStitchCode);
  });
  std::memcpy(out + pos, kEndRecord, kRecordSize);
  pos += kRecordSize;
  assert(pos == block.size());

  // A design without stitch records still holds the bound sentinels: its
  // extents are 0.
  const bool empty = dlg.m_nMaxX < dlg.m_nMinX || dlg.m_nMaxY < dlg.m_nMinY;
  auto extent = [empty](std::int16_t v) { return empty ? 0LL : std::llabs(v); };
  std::uint8_t* header = block.data();
  PutText(header, 0, "LA:");
  PutText(header, 3, SingleByteLabel(label, kLabelLength).c_str());
  header[19] = '\r';
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

CEncoded EncodeDst(const CDesign& design, const CEncodeRequest& request) {
  // The header's count has seven digits; a file that holds more records
  // than it can say would be read short by machines.
  if (DstStitchCount(design) > kMaxStitchCount)
    return Refusal(WindowWords("Mehr als 9999999 Stiche, Konvertierung abgebrochen"));
  CEncoded result;
  BuildDstBlock(design, result.bytes, design.m_strLabel.empty() ? request.stem : design.m_strLabel);
  return result;
}
