// Janome SEW writer.
//
// Header, 0x1D78 bytes, every number a little-endian u16:
//   0x0000  n, the colour blocks (1..12)
//   0x0002  12 slots: the Janome thread code of block k (1..78), unused 0
//   0x001A  12 slots: 1, whatever n is (as every file holds them)
//   0x0032  12 slots: the words (2 bytes) of block k's stitch data: its
//           records and the colour change that ends it; block 0 also the
//           opening move, the last block the end code; unused 0
//   0x004A  06 20, then a 48 x 32 picture of the whole design
//   0x010C  12 x (03 16, a 24 x 22 picture of block k; blank past n)
//   0x043C  13 x (08 30, a 64 x 48 picture: the whole design, then block
//           k - 1; blank past n)
//   0x17D6  b, r: bytes a row and rows of a last picture at about 1 mm a
//           pixel, at most 128 pixels wide and 1440 bytes
//   0x17D8  that picture, then zeros
// Pictures: rows top to bottom, the leftmost pixel in bit 7, the design
// centred at about 3, 6, 2 and 1 mm a pixel, smaller where it would not fit.
//
// Stitch data from 0x1D78, each record relative to the one before, Y up:
//   dx -dy            a stitch, each -127..127 (never 0x80)
//   80 02 dx -dy      a move; the data of a design that moves at all opens
//                     with 80 02 00 00
//   80 01 00 00       a colour change; our reader takes the two zero bytes
//                     for a stitch in place, so a stitch in place right
//                     after a change is that padding and not written again
//   80 10             the end. Files seen go on with zero bytes, which some
//                     readers take for stitches: nothing follows here
// Longer steps are split along their line (step_split.h).
//
// Placement: the centre of the stitches' box is put 175 right of and 99
// below the start point, as nearly every file seen holds it; whether a
// machine needs it is not known, and it costs nothing where it does not. A
// design read from SEW keeps its own placement, so that it is written as it
// was read.
#include "export/sew_writer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

#include "export/bit_picture.h"
#include "export/piece_walk.h"
#include "export/thread_indices.h"
#include "framework/window_words.h"

namespace {

constexpr std::size_t kHeaderSize = 0x1D78;
constexpr int kSlots = 12;
constexpr std::size_t kCodesOffset = 0x02, kOnesOffset = 0x1A, kWordsOffset = 0x32;
constexpr std::size_t kWholeOffset = 0x4A, kSlotsOffset = 0x10C, kSlotSize = 68;
constexpr std::size_t kLargeOffset = 0x43C, kLargeSize = 386;
constexpr std::size_t kLastOffset = 0x17D6;
constexpr int kLastBytes = 1440, kLastWidth = 128;
constexpr int kMaxStep = 127;
constexpr std::uint32_t kMaxWords = 0xFFFF;
constexpr std::uint8_t kOpening[4] = {0x80, 0x02, 0x00, 0x00};
constexpr std::uint8_t kColorChange[4] = {0x80, 0x01, 0x00, 0x00};
constexpr std::uint8_t kEnd[2] = {0x80, 0x10};
constexpr std::int32_t kCentreRight = 175, kCentreDown = 99;

// The design's records as the file holds them, and what that takes.
struct Layout {
  CBlockPlan plan;
  CWidePoint from;  // the start point, in the design's positions
  std::size_t opening = 0;  // bytes of the opening move
  std::vector<std::uint32_t> words;  // per written block
  std::size_t dataBytes = 0;
};

// Words of a piece: a stitch 1, a move or a colour change 2.
inline std::uint32_t PieceWords(std::uint8_t kind) { return kind == KIND_STITCH ? 1 : 2; }

// Calls sink(kind, dx, dy, x, y) for each piece of the records written
// (piece_walk.h).
template <class Sink>
void WalkRecords(const CDesign& design, const Layout& layout, Sink&& sink) {
  bool first = true, afterChange = false;
  // A colour change's two zero bytes read back as a stitch that does not
  // move, and the opening is a move that does not: a record of either kind
  // is already there and is not written again.
  const auto keep = [&](std::uint8_t kind, int dx, int dy) __attribute__((always_inline)) {
    const bool merged =
        dx == 0 && dy == 0 && ((afterChange && kind == KIND_STITCH) || (first && kind == KIND_MOVE));
    first = afterChange = false;
    return !merged;
  };
  ForEachPiece(CRecordWalk{design, /*leadInMove=*/true, layout.from}, layout.plan, layout.from, kMaxStep, keep,
               [&](std::uint8_t kind, int dx, int dy, std::int32_t x, std::int32_t y) __attribute__((always_inline)) {
                 afterChange = kind == KIND_COLOR;
                 sink(kind, dx, dy, x, y);
               });
}

struct FillSink {
  std::uint8_t* out;
  CPictureDrawer& drawer;
  [[gnu::always_inline]] void operator()(std::uint8_t kind, int dx, int dy, std::int32_t x, std::int32_t y) {
    drawer.Visit(x, y, kind);
    if (kind == KIND_COLOR) {
      out = std::copy(std::begin(kColorChange), std::end(kColorChange), out);
      return;
    }
    if (kind == KIND_MOVE) {
      *out++ = 0x80;
      *out++ = 0x02;
    }
    *out++ = static_cast<std::uint8_t>(dx);
    *out++ = static_cast<std::uint8_t>(-dy);
  }
};

// The stitches' box; the moves' where the design has no stitch.
const CPositionBox& PictureBox(const CBlockPlan& plan) {
  return plan.stitches.Empty() ? plan.positions : plan.stitches;
}

Layout PlanLayout(const CDesign& design) {
  Layout layout;
  // The stitch a colour change's padding reads back as is not written.
  CFirstMovementCount counted{[](std::uint8_t kind, int, int) { return std::size_t{PieceWords(kind)}; },
                              [](std::uint8_t kind, int dx, int dy, bool afterChange) {
                                return afterChange && kind == KIND_STITCH && dx == 0 && dy == 0;
                              },
                              kMaxStep};
  layout.plan = PlanBlocks(design, counted);
  const CBlockPlan& plan = layout.plan;

  const CRecordWalk walk{design};
  const CPositionBox& p = PictureBox(plan);
  std::int32_t shiftX = 0, shiftY = 0;
  if (design.m_nFormat != FORMAT_SEW && !p.Empty()) {
    // The box centre, rounded down for odd sizes.
    shiftX = walk.StartX() + kCentreRight - static_cast<std::int32_t>(std::floor((p.minX + p.maxX) / 2.0));
    shiftY = walk.StartY() + kCentreDown - static_cast<std::int32_t>(std::floor((p.minY + p.maxY) / 2.0));
  }
  layout.from = {walk.StartX() - shiftX, walk.StartY() - shiftY};

  // Block 0 holds the opening and the travel from the start, a block
  // before the last the change that ends it, the last the end code.
  layout.opening = plan.positions.Empty() ? 0 : sizeof kOpening;
  layout.words.assign(static_cast<std::size_t>(plan.blocks), 0);
  for (int j = 0; j < plan.blocks; ++j)
    layout.words[static_cast<std::size_t>(j)] = static_cast<std::uint32_t>(counted.Block(plan, j));
  layout.words[0] += static_cast<std::uint32_t>(
      layout.opening / 2 + counted.FirstCost(layout.from, PieceWords(KIND_MOVE), /*zeroMoveWritten=*/false));
  for (std::size_t j = 0; j + 1 < layout.words.size(); ++j) layout.words[j] += PieceWords(KIND_COLOR);
  layout.words.back() += sizeof kEnd / 2;
  for (const std::uint32_t w : layout.words) layout.dataBytes += 2 * std::size_t{w};
  return layout;
}

void PutU16(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

// A picture's pixels at offset, rows of stride bytes.
CBitPicture PictureAt(std::uint8_t* file, std::size_t offset, int stride) {
  return CBitPicture{file + offset, stride, /*lowBitLeft=*/false};
}

// The last picture's bytes a row and rows, about 1 mm a pixel, fitted into
// 128 pixels and 1440 bytes.
std::array<int, 2> LastPictureSize(std::int32_t width, std::int32_t height) {
  const double w = std::max(width, 1), h = std::max(height, 1);
  double s = std::min(0.1, (kLastWidth - 1) / w);
  int bytes = (static_cast<int>(width * s) + 1 + 7) / 8;
  int rows = static_cast<int>(height * s) + 1;
  if (bytes * rows > kLastBytes) {
    s = std::min(s, (kLastBytes / bytes - 1) / h);
    bytes = (static_cast<int>(width * s) + 1 + 7) / 8;
    rows = static_cast<int>(height * s) + 1;
  }
  return {bytes, rows};
}

void Build(const CDesign& design, const Layout& layout, std::vector<std::uint8_t>& block) {
  const int blocks = layout.plan.blocks;
  const int slots = std::min(blocks, kSlots);
  block.clear();
  block.shrink_to_fit();
  block.assign(kHeaderSize + layout.dataBytes, 0);
  std::uint8_t* file = block.data();

  PutU16(file, static_cast<std::uint32_t>(slots));
  const std::vector<std::uint8_t> codes = JanomeBlockCodes(design, layout.plan.firstBlock, slots);
  for (int k = 0; k < kSlots; ++k) {
    PutU16(file + kOnesOffset + 2 * k, 1);
    if (k >= slots) continue;
    PutU16(file + kCodesOffset + 2 * k, codes[static_cast<std::size_t>(k)]);
    PutU16(file + kWordsOffset + 2 * k, std::min(layout.words[static_cast<std::size_t>(k)], kMaxWords));
  }

  // The descriptors of the pictures.
  const CPositionBox& p = PictureBox(layout.plan);
  const std::int32_t minX = p.Empty() ? layout.from.x : p.minX, maxX = p.Empty() ? minX : p.maxX;
  const std::int32_t minY = p.Empty() ? layout.from.y : p.minY, maxY = p.Empty() ? minY : p.maxY;
  const std::array<int, 2> last = LastPictureSize(maxX - minX, maxY - minY);
  const int lastBytes = last[0], lastRows = last[1];
  file[kWholeOffset] = 6;
  file[kWholeOffset + 1] = 32;
  for (int k = 0; k < kSlots; ++k) {
    file[kSlotsOffset + kSlotSize * k] = 3;
    file[kSlotsOffset + kSlotSize * k + 1] = 22;
  }
  for (int k = 0; k <= kSlots; ++k) {
    file[kLargeOffset + kLargeSize * k] = 8;
    file[kLargeOffset + kLargeSize * k + 1] = 48;
  }
  file[kLastOffset] = static_cast<std::uint8_t>(lastBytes);
  file[kLastOffset + 1] = static_cast<std::uint8_t>(lastRows);

  // The records, each block drawn at the last picture's size, the finest.
  const auto transform = [&](int width, int height, double unitsPerPixel) {
    return CPictureTransform({.left = 0, .top = 0, .spanX = width - 1, .spanY = height - 1,
                              .maxScale = 1.0 / unitsPerPixel},
                             minX, minY, maxX, maxY);
  };
  const int fineWidth = 8 * lastBytes;
  const CPictureTransform fine = transform(fineWidth, lastRows, 10);
  const std::size_t fineBytes = static_cast<std::size_t>(lastBytes) * static_cast<std::size_t>(lastRows);
  std::vector<std::uint8_t> drawn((static_cast<std::size_t>(blocks) + 1) * fineBytes, 0);
  std::vector<CBitPicture> blockDrawings;
  for (int k = 0; k <= blocks; ++k)
    blockDrawings.push_back(CBitPicture{drawn.data() + fineBytes * static_cast<std::size_t>(k), lastBytes, true});
  const CBitPicture whole = blockDrawings.back();
  blockDrawings.pop_back();
  CPictureDrawer drawer(fine, blockDrawings);
  FillSink fill{std::copy(kOpening, kOpening + layout.opening, file + kHeaderSize), drawer};
  WalkRecords(design, layout, fill);
  fill.out = std::copy(std::begin(kEnd), std::end(kEnd), fill.out);
  assert(fill.out == block.data() + block.size());

  // Every picture of the header from those drawings.
  MergeBitPictures(blockDrawings, fineWidth, lastRows, whole);
  const auto scale = [&](const CBitPicture& from, std::size_t offset, int width, int height, double unitsPerPixel) {
    ScaleBitPicture(from, fine, fineWidth, lastRows, PictureAt(file, offset, (width + 7) / 8),
                    transform(width, height, unitsPerPixel));
  };
  scale(whole, kWholeOffset + 2, 48, 32, 30);
  scale(whole, kLargeOffset + 2, 64, 48, 20);
  scale(whole, kLastOffset + 2, fineWidth, lastRows, 10);
  for (int k = 0; k < slots; ++k) {
    const CBitPicture& own = blockDrawings[static_cast<std::size_t>(k)];
    scale(own, kSlotsOffset + kSlotSize * static_cast<std::size_t>(k) + 2, 24, 22, 60);
    scale(own, kLargeOffset + kLargeSize * static_cast<std::size_t>(k + 1) + 2, 64, 48, 20);
  }
}

}  // namespace

void BuildSewBlock(const CDesign& design, std::vector<std::uint8_t>& block) {
  Build(design, PlanLayout(design), block);
}

CEncoded EncodeSew(const CDesign& design, const CEncodeRequest&) {
  const Layout layout = PlanLayout(design);
  if (layout.plan.blocks > kSlots) return Refusal(WindowWords("Mehr als 12 Farben, Konvertierung abgebrochen"));
  if (*std::max_element(layout.words.begin(), layout.words.end()) > kMaxWords)
    return Refusal(WindowWords("Zu viele Stiche in einer Farbe, Konvertierung abgebrochen"));
  CEncoded result;
  Build(design, layout, result.bytes);
  return result;
}
