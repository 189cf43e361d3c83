// Brother PEC writer.
//
// The PEC section, from its start S (8 in a PEC file, 22 in ours of PES):
//   0     3    "LA:"
//   3     16   the label: the design's name, or the file's stem where it has
//              none, in single-byte characters, cut to 8 and padded with blanks
//   19    1    0x0D
//   20    12   blanks
//   32    4    FF 00 06 26: icons of 6 bytes a row, 38 rows
//   36    12   20 20 20 20 64 20 00 20 00 20 20 20, as Brother's own editor
//              writes it in version 1; no reader uses it
//   48    1    colour blocks - 1, for 1..255 blocks (0xFF, "no colours", is
//              never written: a written design always has block 0)
//   49    n    the PEC thread index of each block, in sewing order
//   ..511      blanks
//   512   2    00 00
//   514   3    L, the length from 512 up to and including the end byte,
//              hence also where the first icon begins
//   517   3    31 FF F0
//   520   2+2  W and H of the box, 0.1 mm (positions are 16-bit: no box is
//              wider or taller than these fields hold)
//   524   4    E0 01 B0 01
//   528   4    the lead-in: a jump from the box's top-left corner to where the
//              records begin, both fields long with the jump flag
//   532   ...  the records, then the end byte FF
//   then 1 + n icons of 228 bytes (bit_picture.h): the whole design, then
//   each block, all drawn in the same frame with one transform
//
// A record moves the needle from where the last one left it: both fields
// short (one byte, 7-bit two's complement) when both lie in -64..63, else
// both long (0x80 | flags | bits 8..11, then bits 0..7). Moves carry the jump
// flag 0x10 at the start of the stream and right after a colour change, the
// trim flag 0x20 elsewhere; a step beyond 2047 on an axis is split along its
// line (step_split.h). A colour change is FE B0 k, k = 2, 1, 2, ... in turn.
//
// The records begin at the design's start point, so that a reader that
// skips the lead-in, as ours does, decodes every position as the design has
// it. The box holds the start point and every written position, so the
// lead-in is never negative. How a file whose start lies more than 2047 from
// the box's left or top edge is best written is not known (the lead-in holds
// no more): such a design begins its records at the corner of the stitches'
// box instead, lead-in (0, 0), and travels to its first point from there,
// so that it keeps its shape and is only moved as a whole.
#include "export/pec_writer.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "export/bit_picture.h"
#include "export/piece_walk.h"
#include "export/thread_indices.h"
#include "framework/window_words.h"

namespace {

constexpr std::size_t kSectionHeader = 512;
constexpr std::size_t kBlockHeader = 20;  // 512..531, the lead-in included
constexpr std::size_t kLabelChars = 8;
constexpr std::size_t kLabelField = 16;
constexpr int kMaxBlocks = 255;
constexpr std::size_t kMaxBlockLength = 0xFFFFFF;
constexpr int kLongLimit = 2047;
constexpr std::uint8_t kJumpFlag = 0x10;
constexpr std::uint8_t kTrimFlag = 0x20;
constexpr std::uint8_t kEndByte = 0xFF;
constexpr std::uint8_t kIconAndUnknown[16] = {0xFF, 0x00, 0x06, 0x26, 0x20, 0x20, 0x20, 0x20,
                                             0x64, 0x20, 0x00, 0x20, 0x00, 0x20, 0x20, 0x20};
constexpr std::uint8_t kBlockConstant[3] = {0x31, 0xFF, 0xF0};
constexpr std::uint8_t kBlockTail[4] = {0xE0, 0x01, 0xB0, 0x01};
constexpr int kIconStride = 6;
constexpr int kIconRows = 38;
// The frame's pixels keep clear of columns 4..43 and rows 3..34.
constexpr CPictureArea kIconArea{.left = 4, .top = 3, .spanX = 39, .spanY = 31};

constexpr bool IsShort(int v) { return v >= -64 && v <= 63; }

// The rounded frame of every icon: rows 0 and 37 empty, a line along rows 1
// and 36 over columns 4..43, corners in rows 2, 3 and 34, 35, sides in
// columns 1 and 46.
void PutIconFrame(std::uint8_t* icon) {
  constexpr std::uint8_t kLine[kIconStride] = {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
  constexpr std::uint8_t kOuterCorner[kIconStride] = {0x08, 0, 0, 0, 0, 0x10};
  constexpr std::uint8_t kInnerCorner[kIconStride] = {0x04, 0, 0, 0, 0, 0x20};
  constexpr std::uint8_t kSide[kIconStride] = {0x02, 0, 0, 0, 0, 0x40};
  const auto row = [icon](int r, const std::uint8_t* bytes) {
    std::copy(bytes, bytes + kIconStride, icon + kIconStride * r);
  };
  std::fill(icon, icon + kThumbnailBytes, std::uint8_t{0});
  row(1, kLine);
  row(kIconRows - 2, kLine);
  row(2, kOuterCorner);
  row(kIconRows - 3, kOuterCorner);
  row(3, kInnerCorner);
  row(kIconRows - 4, kInnerCorner);
  for (int r = 4; r <= kIconRows - 5; ++r) row(r, kSide);
}

// A stitch both of whose fields are short takes two bytes; every other
// movement four, a colour change three.
inline std::size_t PieceBytes(std::uint8_t kind, int dx, int dy) {
  return kind == KIND_COLOR ? 3 : kind == KIND_STITCH && IsShort(dx) && IsShort(dy) ? 2 : 4;
}

// Where the records begin, the box they are framed by, and their bytes.
struct Stream {
  CBlockPlan plan;
  CWidePoint origin;
  std::int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  std::size_t recordBytes = 0;
};

// Calls sink(kind, dx, dy, x, y) for each piece of the records
// (piece_walk.h).
template <class Sink>
void WalkRecords(const CDesign& design, const Stream& stream, Sink&& sink) {
  ForEachPiece(CRecordWalk{design, /*leadInMove=*/true, stream.origin}, stream.plan, stream.origin, kLongLimit,
               [](std::uint8_t, int, int) __attribute__((always_inline)) { return true; }, sink);
}

Stream PlanStream(const CDesign& design) {
  Stream s;
  const CRecordWalk walk{design};
  const CWidePoint start{walk.StartX(), walk.StartY()};
  CFirstMovementCount counted{[](std::uint8_t kind, int dx, int dy) { return PieceBytes(kind, dx, dy); },
                              [](std::uint8_t, int, int, bool) { return false; }, kLongLimit};
  s.plan = PlanBlocks(design, counted);
  const CPositionBox& p = s.plan.positions;
  s.minX = std::min(p.Empty() ? start.x : p.minX, start.x);
  s.minY = std::min(p.Empty() ? start.y : p.minY, start.y);
  s.maxX = std::max(p.Empty() ? start.x : p.maxX, start.x);
  s.maxY = std::max(p.Empty() ? start.y : p.maxY, start.y);
  s.origin = start;
  if (start.x - s.minX > kLongLimit || start.y - s.minY > kLongLimit) {
    // Only positions then: the start is where no record of the file is.
    s.origin = {p.minX, p.minY};
    s.minX = p.minX;
    s.minY = p.minY;
    s.maxX = p.maxX;
    s.maxY = p.maxY;
  }
  s.recordBytes = counted.FirstCost(s.origin, PieceBytes(KIND_MOVE, 0, 0), /*zeroMoveWritten=*/true) +
                  PieceBytes(KIND_COLOR, 0, 0) * static_cast<std::size_t>(s.plan.blocks - 1);
  for (int j = 0; j < s.plan.blocks; ++j) s.recordBytes += counted.Block(s.plan, j);
  return s;
}

struct FillSink {
  std::uint8_t* out;
  CPictureDrawer& drawer;
  std::uint8_t change = 2;
  bool jump = true;  // the start of the stream, or right after a colour change

  void Long(int v, std::uint8_t flags) {
    *out++ = static_cast<std::uint8_t>(0x80 | flags | ((v >> 8) & 0x0F));
    *out++ = static_cast<std::uint8_t>(v & 0xFF);
  }
  [[gnu::always_inline]] void operator()(std::uint8_t kind, int dx, int dy, std::int32_t x, std::int32_t y) {
    drawer.Visit(x, y, kind);
    if (kind == KIND_COLOR) {
      *out++ = 0xFE;
      *out++ = 0xB0;
      *out++ = change;
      change = change == 2 ? 1 : 2;
      jump = true;
      return;
    }
    if (PieceBytes(kind, dx, dy) == 2) {
      *out++ = static_cast<std::uint8_t>(dx & 0x7F);
      *out++ = static_cast<std::uint8_t>(dy & 0x7F);
    } else {
      const std::uint8_t flags = kind == KIND_MOVE ? (jump ? kJumpFlag : kTrimFlag) : 0;
      Long(dx, flags);
      Long(dy, flags);
    }
    jump = false;
  }
};

void PutU16(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutSectionHeader(std::uint8_t* section, const std::string& label, const std::vector<std::uint8_t>& indices) {
  std::fill(section, section + kSectionHeader, std::uint8_t{0x20});
  std::copy_n("LA:", 3, section);
  std::copy(label.begin(), label.end(), section + 3);
  section[19] = 0x0D;
  std::copy(std::begin(kIconAndUnknown), std::end(kIconAndUnknown), section + 32);
  section[48] = static_cast<std::uint8_t>(indices.size() - 1);
  std::copy(indices.begin(), indices.end(), section + 49);
}

void PutBlockHeader(std::uint8_t* block, std::size_t length, const Stream& s) {
  block[0] = block[1] = 0;
  block[2] = static_cast<std::uint8_t>(length);
  block[3] = static_cast<std::uint8_t>(length >> 8);
  block[4] = static_cast<std::uint8_t>(length >> 16);
  std::copy(std::begin(kBlockConstant), std::end(kBlockConstant), block + 5);
  PutU16(block + 8, static_cast<std::uint32_t>(s.maxX - s.minX));
  PutU16(block + 10, static_cast<std::uint32_t>(s.maxY - s.minY));
  std::copy(std::begin(kBlockTail), std::end(kBlockTail), block + 12);
  const std::int32_t leadX = s.origin.x - s.minX, leadY = s.origin.y - s.minY;
  block[16] = static_cast<std::uint8_t>(0x80 | kJumpFlag | (leadX >> 8));
  block[17] = static_cast<std::uint8_t>(leadX);
  block[18] = static_cast<std::uint8_t>(0x80 | kJumpFlag | (leadY >> 8));
  block[19] = static_cast<std::uint8_t>(leadY);
}

}  // namespace

CEncoded EncodePecFile(const CDesign& design, const CEncodeRequest& request,
                       std::span<const std::uint8_t> header) {
  const Stream stream = PlanStream(design);
  const int blocks = stream.plan.blocks;
  if (blocks > kMaxBlocks) return Refusal(WindowWords("Mehr als 255 Farben, Konvertierung abgebrochen"));
  const std::size_t length = kBlockHeader + stream.recordBytes + 1;
  if (length > kMaxBlockLength) return Refusal(WindowWords("Zu viele Stiche, Konvertierung abgebrochen"));

  const std::size_t icons = static_cast<std::size_t>(blocks) + 1;
  CEncoded result;
  std::vector<std::uint8_t>& bytes = result.bytes;
  bytes.assign(header.size() + kSectionHeader + length + icons * kThumbnailBytes, 0);
  std::copy(header.begin(), header.end(), bytes.begin());
  std::uint8_t* section = bytes.data() + header.size();

  const std::string& name = design.m_strLabel.empty() ? request.stem : design.m_strLabel;
  PutSectionHeader(section, SingleByteLabel(name.substr(0, kLabelChars), kLabelField),
                   PecBlockIndices(design, stream.plan.firstBlock, blocks));
  PutBlockHeader(section + kSectionHeader, length, stream);

  // The blocks' icons are drawn; the whole design's is their union.
  std::uint8_t* iconBase = section + kSectionHeader + length;
  std::vector<CBitPicture> blockIcons;
  blockIcons.reserve(static_cast<std::size_t>(blocks));
  for (std::size_t i = 0; i < icons; ++i) {
    PutIconFrame(iconBase + i * kThumbnailBytes);
    if (i > 0) blockIcons.push_back(CBitPicture{iconBase + i * kThumbnailBytes, kIconStride, true});
  }
  CPictureDrawer drawer(CPictureTransform(kIconArea, stream.minX, stream.minY, stream.maxX, stream.maxY),
                        blockIcons);
  FillSink fill{section + kSectionHeader + kBlockHeader, drawer};
  WalkRecords(design, stream, fill);
  *fill.out++ = kEndByte;
  assert(fill.out == iconBase);
  MergeBitPictures(blockIcons, 8 * kIconStride, kIconRows, CBitPicture{iconBase, kIconStride, true});
  return result;
}

CEncoded EncodePec(const CDesign& design, const CEncodeRequest& request) {
  static constexpr std::uint8_t kHeader[] = {'#', 'P', 'E', 'C', '0', '0', '0', '1'};
  return EncodePecFile(design, request, kHeader);
}
