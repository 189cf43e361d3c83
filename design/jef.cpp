// Janome JEF reader; the layout is in jef.h.
//
// The stitch offset at byte 0 is followed wherever it points (JEF+ puts a
// block of its own before the stitches); the length field is never trusted:
// the records run to the end code or the end of the file. Of the header
// the reader takes the block count and the thread table; hoop, extents and
// margins describe the file's placement and are not read.
//
// Block k is painted in the Janome chart's colour of the index at 116 + 4k;
// an index outside the chart, and a block past the table, in the fallback
// colour. A colour change that carries a displacement (as some writers put
// the move to the next stitch there) is followed by that move, so the next
// block starts where the file means it to. Zero-length moves, which Janome's
// software writes as trim markers, are kept as moves for a later save.
#include "design/jef.h"

#include <algorithm>
#include <iterator>

#include "design/byte_stitches.h"
#include "design/info_text.h"
#include "design/thread_charts.h"

namespace {

inline int Signed(std::uint8_t b) { return static_cast<std::int8_t>(b); }

// Runs of plain stitches are decoded straight into the arrays, at most this
// many between two checks of their room.
constexpr int kRun = 4096;

}  // namespace

bool PlausibleJef(const ByteView& file) {
  if (!file.Has(jef::kStitchOffsetField, 4)) return true;
  const std::int64_t stitches = file.u32le(jef::kStitchOffsetField);
  if (stitches < jef::kHeaderSize) return false;
  if (!file.Has(jef::kBlockCountField, 4)) return true;
  // Both tables (index and type) lie between the header and the stitches.
  const std::int64_t blocks = file.s32le(jef::kBlockCountField);
  return blocks >= 0 && jef::kThreadTable + 8 * blocks <= stitches;
}

void ReadJef(CDesign& design, int len) {
  const ByteView file(design.m_fileData, len);
  design.BeginDesign(len / 2);

  // The threads the table lists, as far as the file holds them; nothing
  // painted from a block colour index.
  std::fill(std::begin(design.m_blockColor), std::end(design.m_blockColor), std::uint8_t{0});
  const std::int64_t listed = file.s32le(jef::kBlockCountField);
  for (std::int64_t k = 0; k < listed && file.Has(jef::kThreadTable + 4 * k, 4); ++k)
    design.m_threads.push_back(ChartThread(ThreadChart::janome, file.s32le(jef::kThreadTable + 4 * k)));

  const std::int64_t size = static_cast<std::int64_t>(file.size());
  const std::int64_t start = file.u32le(jef::kStitchOffsetField);
  // An offset into the header or past the end: no stitches.
  std::int64_t p = start >= jef::kHeaderSize && start < size ? start : size;
  if (p < size) design.GrowRecords(static_cast<int>((size - p) / 2) + 3);
  const std::uint8_t* data = file.UncheckedData(0);

  // A record whose bytes do not all lie inside the file ends the design
  // before it.
  std::int16_t x = 0, y = 0;
  while (p + 1 < size) {
    if (data[p] != kByteStitchEscape) {
      const int most = static_cast<int>(std::min<std::int64_t>((size - p) / 2, kRun));
      design.AddStitchRun(most, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& b) {
        const int n = DecodeByteStitches(data + p, most, -1, x, y, xs, ys, b);
        p += 2 * n;
        return n;
      });
      continue;
    }
    const std::uint8_t code = data[p + 1];
    if (code == jef::kEndCode || p + 3 >= size) break;
    const int dx = Signed(data[p + 2]), dy = -Signed(data[p + 3]);
    p += 4;
    if (code == jef::kColorCode) {
      design.AddColorChange(x, y);
      if (dx == 0 && dy == 0) continue;
    } else if (code != jef::kMoveCode) {
      continue;
    }
    x = static_cast<std::int16_t>(x + dx);
    y = static_cast<std::int16_t>(y + dy);
    design.AddMove(x, y);
  }
  design.EndDesign();

  design.PublishDesign({.format = FORMAT_JEF, .threadColors = TRUE,
                        .info = design.DecodedInfo("JANOME-JEF", design.m_nColorCount)});
}
