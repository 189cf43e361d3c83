// Singer XXX reader.
//
// Layout (little-endian, 0.1 mm, the file's Y pointing up):
//   0x00  23 bytes   zero
//   0x17  u32        record count (not read: writers disagree on it)
//   0x27  u16        colour count: palette entries
//   0x2D  2 x i16    width, height; 0x31 last stitch, 0x35 -minX, maxY (not read)
//   0xFC  u32        offset of the end block
//   0x100            records up to the end block or the end of the file
// Records, each relative to the previous position; b0 the first byte:
//   dx dy               b0 not 7D..7F: stitch by signed(dx), signed(dy)
//   7E xl xh yl yh      move by two i16
//   7D xl xh yl yh      long displacement (no sample has one): a stitch
//                       while neither axis exceeds 127, a move beyond
//   7F 01 dx dy         jump, kept as a move
//   7F 03 dx dy         trim; a non-zero dx dy is a move after the cut
//   7F 08 dx dy         colour change (also a stop), and 7F 0A..7F 17, a
//                       change naming a needle; a non-zero dx dy is a move after it
//   7F 18 00 00         end of the stitches (the end block follows)
//   7F 7F xx yy         end block
//   7F other            skipped, four bytes
// Palette, from end block + 4: two zero bytes, then one entry 00 R G B per
// colour. The end block is the one the offset at 0xFC names when its bytes
// are 7F 7F there, otherwise the one that ended the records; a file with
// neither has no palette, and its blocks are drawn in the preview's colours
// as DST blocks are.
#include "design/xxx.h"

#include <algorithm>
#include <cstdlib>

#include "design/exp.h"
#include "design/info_text.h"
#include "design/stitch_pairs.h"
#include "design/xxx_format.h"

namespace {

using namespace xxx;

constexpr std::int64_t kZeroPrefix = 0x17;
// What a plain record can carry: a longer 7D displacement is taken for a move.
constexpr int kLongestStitch = 127;

inline int Signed(std::uint8_t b) { return static_cast<std::int8_t>(b); }
inline int Signed16(const ByteView& file, std::int64_t off) { return static_cast<std::int16_t>(file.u16le(off)); }

bool IsEndBlock(const ByteView& file, std::int64_t off) {
  return off >= kRecordsAt && file.Has(off, 2) && file.u8(off) == kCommand && file.u8(off + 1) == kEndBlock;
}

// Decodes the records; returns the offset of the end block that ended
// them, or -1 when they ran to the end of the file.
std::int64_t DecodeRecords(CDesign& design, const ByteView& file) {
  const std::int64_t size = static_cast<std::int64_t>(file.size());
  std::int16_t x = 0, y = 0;
  auto move = [&](int dx, int dy) {
    x = static_cast<std::int16_t>(x + dx);
    y = static_cast<std::int16_t>(y - dy);
  };
  std::int64_t p = kRecordsAt;
  for (;;) {
    p = DecodeStitchPairs(design, file.UncheckedData(0), p, size, x, y,
                          [](std::uint8_t b) { return IsCommandByte(b); });
    if (p + 1 >= size) break;
    const std::uint8_t b0 = file.u8(p);
    if (b0 != kCommand) {
      if (!file.Has(p, 5)) break;
      const int dx = Signed16(file, p + 1), dy = Signed16(file, p + 3);
      p += 5;
      move(dx, dy);
      // [unsure] No sample holds a 7D record; a displacement no plain
      // record could carry is taken for a move, so that no stitch is made
      // across a distance no machine sews.
      if (b0 == kLongDisplacement && std::abs(dx) <= kLongestStitch && std::abs(dy) <= kLongestStitch)
        design.AddStitch(x, y);
      else
        design.AddMove(x, y);
      continue;
    }
    if (!file.Has(p, 4)) break;
    const std::uint8_t code = file.u8(p + 1);
    if (code == kEndBlock) return p;
    if (code == kStitchesEnd) return IsEndBlock(file, p + 4) ? p + 4 : -1;
    const int dx = Signed(file.u8(p + 2)), dy = Signed(file.u8(p + 3));
    p += 4;
    const bool colorChange = code == kColorChange || (code >= kFirstNeedle && code <= kLastNeedle);
    if (colorChange) design.AddColorChange(x, y);
    if (code != kJump && !colorChange && code != kTrim) continue;
    if (code != kJump && dx == 0 && dy == 0) continue;
    move(dx, dy);
    design.AddMove(x, y);
  }
  return -1;
}

}  // namespace

bool PlausibleXxx(const ByteView& file) {
  for (std::int64_t i = 0; i < kZeroPrefix; ++i)
    if (file.u8(i) != 0) return false;
  return true;
}

void ReadXxx(CDesign& design, int len) {
  const ByteView file(design.m_fileData, len);
  const std::int64_t size = static_cast<std::int64_t>(file.size());
  design.BeginDesign(size > kRecordsAt ? static_cast<int>((size - kRecordsAt) / 2) + 3 : 3);
  const std::int64_t ended = DecodeRecords(design, file);
  design.EndDesign();

  const std::int64_t pointed = file.u32le(kEndBlockPointerAt);
  const std::int64_t endBlock = IsEndBlock(file, pointed) ? pointed : ended;
  // The palette names the colour of each block as far as it reaches; blocks
  // past it are drawn in the fallback colour.
  const std::int64_t entries = file.u16le(kColorCountAt);
  const std::int64_t blocks = std::min<std::int64_t>(entries, design.m_nColorCount);
  for (std::int64_t k = 0; endBlock >= 0 && k < blocks; ++k) {
    const std::int64_t at = endBlock + 6 + 4 * k;
    if (!file.Has(at, 4)) break;
    CThread thread;
    thread.color = RGB(file.u8(at + 1), file.u8(at + 2), file.u8(at + 3));
    design.m_threads.push_back(thread);
  }
  const bool palette = !design.m_threads.empty();
  if (!palette) NumberBlocksForPreview(design);

  design.PublishDesign({.format = FORMAT_XXX, .threadColors = palette ? TRUE : FALSE,
                        .info = design.DecodedInfo("SINGER-XXX", design.m_nColorCount)});
}
