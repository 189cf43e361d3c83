// Janome JEF: the layout the reader and the writer share, and the reader.
// Little-endian; the file's Y points up.
//   0        S, offset of the stitch data (u32): 116 + 8n as written; more
//            in JEF+, whose extra block the offset skips
//   4        flags (u32; 0x0A as Janome's digitizers write it)
//   8..21    date and time, 14 ASCII digits YYYYMMDDHHMMSS
//   22, 23   a version letter and an unknown byte (0 in every sample)
//   24       n, the number of colour blocks (i32)
//   28       length of the stitch data in 2-byte units, end code included
//   32       hoop code (i32, kJefHoops)
//   36       extents from the origin: left, top, right, bottom (4 x i32,
//            positive distances)
//   52, 68, 84, 100  margins of the design in the 110 x 110, 50 x 50,
//            140 x 200 and a custom hoop (4 x i32 each: hoop half size minus
//            left, top, right, bottom), or four -1
//   116      n thread indices into the Janome chart (i32 each)
//   116 + 4n n thread types (i32 each, 13)
//   S        stitch records:
//              b0 b1, b0 != 0x80   stitch by (b0, b1) signed; 0x80 in b1 is -128
//              80 01 dx dy         colour change, then a move by (dx, dy)
//              80 02 dx dy         move (needle up); (0, 0) is a trim marker
//              80 10               end of the design
//              80 xx ?? ??         any other code: four bytes, nothing recorded
#pragma once
#include <cstdint>

#include "design/byte_view.h"
#include "design/design.h"

namespace jef {

// Offsets of the header's fields; the margin boxes in the order 110 x 110,
// 50 x 50, 140 x 200, custom.
enum : std::int64_t { kStitchOffsetField = 0, kFlagsField = 4, kDateField = 8, kBlockCountField = 24,
                      kDataLengthField = 28, kHoopField = 32, kExtentsField = 36, kThreadTable = 116 };
constexpr std::int64_t kMarginFields[4] = {52, 68, 84, 100};
constexpr std::int64_t kHeaderSize = kThreadTable;
constexpr int kDateLength = 14;
constexpr std::uint32_t kThreadType = 13;
// Second bytes of the commands after the escape 0x80.
enum : std::uint8_t { kEscape = 0x80, kColorCode = 0x01, kMoveCode = 0x02, kEndCode = 0x10 };

// A hoop a JEF file can name: its code and size in 0.1 mm as the machine
// holds it (Janome machines do not turn a design).
struct Hoop {
  int code;
  int width, height;
};
// From the smallest up, the order in which a writer tries them. Code 4 is
// taken as 200 x 200: sources differ between that and 230 x 200, and a
// design that fits the smaller size fits either.
constexpr Hoop kJefHoops[] = {{1, 500, 500}, {0, 1100, 1100}, {3, 1260, 1100}, {2, 1400, 2000}, {4, 2000, 2000}};

}  // namespace jef

// Reads the first len bytes of design.m_fileData as a JEF file.
void ReadJef(CDesign& design, int len);

// Whether the bytes can be a JEF file: false when the stitch offset lies
// inside the fixed header or the thread tables reach past it.
bool PlausibleJef(const ByteView& file);
