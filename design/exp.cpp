// Melco / Bernina EXP reader.
//
// Layout: no header, no colours, no end code; records from byte 0 to the
// end of the file, each relative to the previous position, Y pointing up:
//   dx dy          dx != 0x80: stitch by signed(dx), signed(dy) (dy 0x80 is -128)
//   80 01 dx dy    colour change (also a stop); a non-zero dx dy is a move after it
//   80 02 dx dy    jump (older files), kept as a move
//   80 04 dx dy    jump, kept as a move
//   80 80 07 00    trim: the needle stays where it is; the last two bytes are
//                  constant, no displacement
//   80 xx dx dy    any other code: odd a colour change, even a jump, as
//                  the old code lists have it
// A last lone byte (an old end-of-file mark 0x1A) and a command cut by the
// end of the file are not decoded. The file names no colours: blocks are
// drawn in the preview's colours, as DST blocks are.
#include "design/exp.h"

#include "design/byte_view.h"
#include "design/info_text.h"
#include "design/stitch_pairs.h"

namespace {

constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kTrimCode = 0x80;

inline int Signed(std::uint8_t b) { return static_cast<std::int8_t>(b); }

}  // namespace

void NumberBlocksForPreview(CDesign& design) {
  const int blocks = design.m_nColorCount < kBlockColorEntries ? design.m_nColorCount : kBlockColorEntries;
  for (int j = 0; j < blocks; ++j) design.m_blockColor[j] = static_cast<std::uint8_t>(j + 2);
}

void ReadExp(CDesign& design, int len) {
  const ByteView file(design.m_fileData, len);
  // Every record is two bytes at least: one array entry for each pair.
  const std::int64_t size = static_cast<std::int64_t>(file.size());
  design.BeginDesign(static_cast<int>(size / 2) + 3);
  const std::uint8_t* data = file.UncheckedData(0);

  std::int16_t x = 0, y = 0;
  std::int64_t p = 0;
  for (;;) {
    p = DecodeStitchPairs(design, data, p, size, x, y, [](std::uint8_t b) { return b == kEscape; });
    // The stitches end at a command or at the file's end; a command cut by
    // the end is not decoded.
    if (p + 3 >= size) break;
    const std::uint8_t code = data[p + 1];
    const int dx = Signed(data[p + 2]), dy = Signed(data[p + 3]);
    p += 4;
    if (code == kTrimCode) continue;
    if (code & 1) {
      design.AddColorChange(x, y);
      if (dx == 0 && dy == 0) continue;
    }
    x = static_cast<std::int16_t>(x + dx);
    y = static_cast<std::int16_t>(y - dy);
    design.AddMove(x, y);
  }
  design.EndDesign();

  NumberBlocksForPreview(design);
  design.PublishDesign({.format = FORMAT_EXP, .info = design.DecodedInfo("MELCO-EXP", design.m_nColorCount)});
}
