// Melco / Bernina EXP writer.
//
// Output: no header, records only, no end code (design/exp.cpp gives the
// layout):
//   dx dy        a stitch of at most 127 per axis; longer stitches are cut
//                into stitches along their line
//   80 04 dx dy  a move of at most 127 per axis; longer ones in pieces
//   80 01 00 00  a colour change
// Y is written pointing up. The design holds no trims, so the trim code is
// never written. No stitch of zero length lands a move: that would be a
// needle penetration the design does not have (a file that has one keeps
// it as a stitch record of its own).
#include "export/exp_writer.h"

#include <cassert>

#include "export/step_pieces.h"

namespace {

constexpr CStepLimits kLimits{127, 127};
constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kJumpCode = 0x04;
constexpr std::uint8_t kColorCode = 0x01;

inline std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

CEncoded EncodeExp(const CDesign& design, const CEncodeRequest&) {
  std::size_t size = 0;
  ForEachStepPiece(design, kLimits, [&](int, int, std::uint8_t kind) { size += kind == KIND_STITCH ? 2 : 4; });
  CEncoded result;
  result.bytes.resize(size);
  std::uint8_t* out = result.bytes.data();
  ForEachStepPiece(design, kLimits, [&](int dx, int dy, std::uint8_t kind) {
    if (kind == KIND_STITCH) {
      out[0] = Byte(dx);
      out[1] = Byte(-dy);
      out += 2;
      return;
    }
    out[0] = kEscape;
    out[1] = kind == KIND_MOVE ? kJumpCode : kColorCode;
    out[2] = Byte(dx);
    out[3] = Byte(-dy);
    out += 4;
  });
  assert(out == result.bytes.data() + result.bytes.size());
  return result;
}
