// Singer XXX writer.
//
// Output (design/xxx.cpp gives the layout):
//   0x000  header: zeros but for the record count at 0x17 (u32: every record
//          and the end block), the colour count at 0x27 (u16), width and
//          height at 0x2D and 0x2F (i16) and the end block's offset at 0xFC
//   0x100  records, Y pointing up:
//            dx dy              a stitch of at most 124 per axis (a first byte
//                               7D..7F would be a command); longer stitches are
//                               cut into stitches along their line
//            7F 01 dx dy        a move of at most 127 per axis
//            7E xl xh yl yh     a longer move, in one record
//            7F 08 00 00        a colour change
//   end    7F 7F 03 14, the end block as the digitizer files write it
//   then   00 00, one entry 00 R G B per colour block, zero entries up to
//          20, two entries 00 FF FF FF, 00 01
// [unsure] The long displacement 7D is never written: no sample holds one and
// readers disagree on whether it sews, so a long stitch becomes stitches
// that every reader takes for stitches. The design holds no trims.
#include "export/xxx_writer.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <limits>

#include "design/thread_charts.h"
#include "design/xxx_format.h"
#include "export/step_pieces.h"
#include "framework/window_words.h"

namespace {

using namespace xxx;

constexpr CStepLimits kLimits{124, std::numeric_limits<int>::max()};
constexpr int kShortMove = 127;
constexpr std::uint8_t kEndBlockRecord[] = {0x7F, 0x7F, 0x03, 0x14};
constexpr int kPaletteSlots = 20;
constexpr std::uint8_t kPaletteTail[] = {0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x01};
constexpr int kMaxColors = 0xFFFF;

inline std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

inline void PutLe(std::uint8_t* at, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline bool ShortMove(int dx, int dy) { return std::abs(dx) <= kShortMove && std::abs(dy) <= kShortMove; }

// The bytes a piece takes.
inline std::size_t PieceSize(int dx, int dy, std::uint8_t kind) {
  if (kind == KIND_STITCH) return 2;
  return kind == KIND_MOVE && !ShortMove(dx, dy) ? 5 : 4;
}

// A header size field: the design's extent, 0 for a design without
// stitches, held at what an i16 can say.
std::uint32_t Extent(std::int16_t min, std::int16_t max) {
  if (max < min) return 0;
  return static_cast<std::uint32_t>(std::min<std::int32_t>(std::int32_t{max} - min, 0x7FFF));
}

}  // namespace

CEncoded EncodeXxx(const CDesign& design, const CEncodeRequest&) {
  // The colour count field has 16 bits; a reader would read that few colours.
  if (design.m_nColorCount > kMaxColors)
    return Refusal(WindowWords("Mehr als 65535 Farben, Konvertierung abgebrochen"));
  std::size_t recordBytes = 0;
  std::uint32_t records = 1;  // the end block
  ForEachStepPiece(design, kLimits, [&](int dx, int dy, std::uint8_t kind) {
    recordBytes += PieceSize(dx, dy, kind);
    ++records;
  });
  const int colors = design.m_nColorCount;
  const std::size_t palette = 2 + 4 * static_cast<std::size_t>(std::max(colors, kPaletteSlots)) + sizeof kPaletteTail;
  CEncoded result;
  result.bytes.assign(kRecordsAt + recordBytes + sizeof kEndBlockRecord + palette, 0);
  std::uint8_t* const file = result.bytes.data();

  std::uint8_t* out = file + kRecordsAt;
  ForEachStepPiece(design, kLimits, [&](int dx, int dy, std::uint8_t kind) {
    if (kind == KIND_STITCH) {
      out[0] = Byte(dx);
      out[1] = Byte(-dy);
    } else if (kind == KIND_COLOR) {
      out[0] = kCommand;
      out[1] = kColorChange;
    } else if (ShortMove(dx, dy)) {
      out[0] = kCommand;
      out[1] = kJump;
      out[2] = Byte(dx);
      out[3] = Byte(-dy);
    } else {
      out[0] = kLongMove;
      PutLe(out + 1, static_cast<std::uint16_t>(dx), 2);
      PutLe(out + 3, static_cast<std::uint16_t>(-dy), 2);
    }
    out += PieceSize(dx, dy, kind);
  });
  const std::size_t endBlock = static_cast<std::size_t>(out - file);
  std::copy(std::begin(kEndBlockRecord), std::end(kEndBlockRecord), out);
  out += sizeof kEndBlockRecord + 2;
  for (int k = 0; k < colors; ++k, out += 4) {
    const COLORREF color = BlockThread(design, k).color;
    out[1] = GetRValue(color);
    out[2] = GetGValue(color);
    out[3] = GetBValue(color);
  }
  out = file + result.bytes.size() - sizeof kPaletteTail;
  std::copy(std::begin(kPaletteTail), std::end(kPaletteTail), out);

  PutLe(file + kRecordCountAt, records, 4);
  PutLe(file + kColorCountAt, static_cast<std::uint32_t>(colors), 2);
  PutLe(file + kWidthAt, Extent(design.m_nMinX, design.m_nMaxX), 2);
  PutLe(file + kHeightAt, Extent(design.m_nMinY, design.m_nMaxY), 2);
  PutLe(file + kEndBlockPointerAt, static_cast<std::uint32_t>(endBlock), 4);
  return result;
}
