// Tajima DST reader.
//
// Layout:
//   0..511   header text; of it only the label after "LA:" (16 bytes) is read
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

#include "design/design.h"
#include "design/byte_view.h"
#include "design/dst_blocks.h"
#include "design/dst_records.h"
#include "design/info_text.h"

namespace {

using dst::IsColorChange;
using dst::IsJump;
using dst::kHeaderSize;
using dst::kRecordSize;
using dst::Weight;

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

constexpr auto kMove0 = BuildTable(dst::kByte0);
constexpr auto kMove1 = BuildTable(dst::kByte1);
constexpr auto kMove2 = BuildTable(dst::kByte2);

}  // namespace

void CDesign::ReadDst(int len) {
  BeginDesign(len / 2);
  const ByteView file(m_fileData, len);
  // The running position keeps its low 16 bits, as the design stores them.
  std::int16_t x = 0, y = 0;
  // Only whole records are decoded: a cut-off last record is dropped.
  const std::int64_t records =
      file.size() > kHeaderSize ? (static_cast<std::int64_t>(file.size()) - kHeaderSize) / kRecordSize : 0;
  if (records > 0) GrowRecords(static_cast<int>(records) + 3);
  const std::uint8_t* p = records > 0 ? file.UncheckedData(kHeaderSize) : nullptr;
  // Runs of plain stitches are decoded in blocks where the processor can;
  // every other record, and what is left over, one at a time.
  const bool inBlocks = DstStitchBlocksAvailable();
  constexpr int kRun = 4096;  // records decoded in blocks between two checks of the arrays
  std::int64_t i = 0;
  while (i < records) {
    if (inBlocks) {
      const int run = static_cast<int>(std::min<std::int64_t>(records - i, kRun));
      int n = 0;
      AddStitchRun(run, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds) {
        n = DecodeDstStitchBlocks(p, run, x, y, xs, ys, bounds);
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
    // The record that stopped the blocks, or the last records of a file
    // that fill no block; then blocks again.
    const std::int64_t stop = inBlocks ? std::min<std::int64_t>(records, i + kDstStitchBlock) : records;
    for (; i < stop; ++i, p += kRecordSize) {
      const std::uint8_t b2 = p[2];
      if (b2 == dst::kEndCode) {
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
      // Back to blocks once a plain stitch follows: a run of jumps (a trim)
      // stays here, where each costs one record, not a block.
      if (inBlocks && !dst::IsPlainStitch(b2) &&
          (i + 1 >= records || dst::IsPlainStitch(p[kRecordSize + 2]))) {
        ++i;
        p += kRecordSize;
        break;
      }
    }
  }
  EndDesign();

  const int blocks = m_nColorCount < kBlockColorEntries ? m_nColorCount : kBlockColorEntries;
  for (int j = 0; j < blocks; ++j) m_blockColor[j] = static_cast<std::uint8_t>(j + 2);

  // The header's first line names the design: "LA:" and 16 characters.
  if (file.Has(0, 3) && file.u8(0) == 'L' && file.u8(1) == 'A' && file.u8(2) == ':')
    m_strLabel = TrimmedLabel(file, 3, 16);

  PublishDesign({.format = FORMAT_DST, .keepRotation = true,
                 .info = DecodedInfo("TAJIMA", m_nColorCount)});
}
