// Janome SEW reader.
//
// Layout:
//   0             n, the number of colour blocks (byte 1 not read)
//   2 + 2k        colour of block k, an index into the Janome palette (the
//                 low byte of a 16-bit slot), k = 0..n-1
//   7544 (0x1D78) stitch data up to the end code or the file's end
// Stitch records, each relative to the previous position, Y pointing up:
//   b0 b1              b0 != 0x80: stitch by S(b0), S(b1)
//   80 01 / 80 05      colour change
//   80 02 / 80 04 dx dy  move by S(dx), S(dy)
//   80 10              end of the design
//   80 xx ?? ??        any other code: four bytes skipped
// S(b) is b for 0..128 (0x80 is +128) and b - 256 for 129..255.
#include <algorithm>
#include <iterator>

#include "design/design.h"
#include "design/byte_view.h"
#include "design/info_text.h"
#include "design/thread_charts.h"

namespace {

constexpr std::int64_t kColorListOffset = 2;
constexpr std::int64_t kStitchDataOffset = 7544;
constexpr std::uint8_t kControl = 0x80;
constexpr std::uint8_t kEndCode = 0x10;

inline int Displacement(std::uint8_t b) { return b <= 128 ? b : b - 256; }

}  // namespace

void CDesign::ReadSew(int len) {
  const ByteView file(m_fileData, len);
  // The records' memory first: a read that cannot get it changes nothing
  // of the design shown, its colours included.
  BeginDesign(len / 2);

  // Blocks without a colour in the file get index 0, not a colour of the
  // file read before. A list longer than the table fills the table; slots
  // past the file's end read as 0.
  std::fill(std::begin(m_blockColor), std::end(m_blockColor), std::uint8_t{0});
  const int listed = file.u8(0);
  const int colors = listed < kBlockColorEntries ? listed : kBlockColorEntries;
  for (int k = 0; k < colors; ++k) m_blockColor[k] = file.u8(kColorListOffset + 2 * k);
  // The threads keep the whole list, as far as the file holds it.
  for (int k = 0; k < listed && file.Has(kColorListOffset + 2 * k, 1); ++k)
    m_threads.push_back(ChartThread(ThreadChart::janome, file.u8(kColorListOffset + 2 * k)));

  const std::int64_t size = static_cast<std::int64_t>(file.size());
  if (size > kStitchDataOffset) GrowRecords(static_cast<int>((size - kStitchDataOffset) / 2) + 3);
  const std::uint8_t* data = file.UncheckedData(0);

  // A record whose bytes do not all lie inside the file is dropped and the
  // design ends before it.
  std::int16_t x = 0, y = 0;
  std::int64_t p = kStitchDataOffset;
  while (p + 1 < size) {
    const std::uint8_t b0 = data[p];
    const std::uint8_t b1 = data[p + 1];
    if (b0 != kControl) {
      x = static_cast<std::int16_t>(x + Displacement(b0));
      y = static_cast<std::int16_t>(y - Displacement(b1));
      AddStitch(x, y);
      p += 2;
      continue;
    }
    if (b1 == kEndCode) break;
    if (b1 == 0x01 || b1 == 0x05) {
      AddColorChange(x, y);
      p += 2;
    } else if (b1 == 0x02 || b1 == 0x04) {
      if (p + 3 >= size) break;
      x = static_cast<std::int16_t>(x + Displacement(data[p + 2]));
      y = static_cast<std::int16_t>(y - Displacement(data[p + 3]));
      AddMove(x, y);
      p += 4;
    } else {
      p += 4;
    }
  }
  EndDesign();

  PublishDesign({.format = FORMAT_SEW, .janomeColors = TRUE,
                 .info = DecodedInfo("JANOME-SEW", m_nColorCount)});
}
