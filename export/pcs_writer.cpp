// Pfaff PCS writer. The layout is in
// design/pcs_format.h; the writer puts version 0x32, the hoop code, 16
// colours, the count of stitch and move records, the records in design order
// (stitches with type 0x00, moves with 0x04, both with a zero fraction byte;
// colour changes with the colour index) and the trailer. The design is
// centred in the smallest square hoop it fits (80 or 115 mm) and rounded to
// whole 1/6 mm.
//
// Placement: every position is first rounded to whole 1/6 mm relative to
// the first record written, which the PCS reader takes as its origin; the
// bounds, the hoop and the centring are then taken in those units. Reading
// the file back gives positions that round to exactly the same units again,
// so writing it a second time gives the same bytes.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

#include "design/pcs_format.h"
#include "design/thread_charts.h"
#include "export/pcs_writer.h"
#include "export/record_walk.h"
#include "framework/window_words.h"

namespace {

constexpr int kMaxStitchRecords = 65535;
// The two square hoops, 80 and 115 mm, in 1/6 mm.
constexpr std::int32_t kSmallHoop = 480;
constexpr std::int32_t kLargeHoop = 690;
constexpr int kWarnStitches = 14000;
constexpr int kMaxColorsFromOtherFormats = 16;
constexpr COLORREF PCS_DEFAULT_COLORS[pcs::kTableEntries] = {
    RGB(0, 0, 0),       RGB(0, 0, 128),   RGB(0, 0, 255),     RGB(0, 128, 128),
    RGB(0, 255, 255),   RGB(128, 0, 128), RGB(255, 0, 255),   RGB(128, 0, 0),
    RGB(255, 0, 0),     RGB(0, 128, 0),   RGB(0, 255, 0),     RGB(128, 128, 0),
    RGB(255, 255, 0),   RGB(128, 128, 128), RGB(192, 192, 192), RGB(255, 255, 255),
};

inline void PutU16(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutU32(std::uint8_t* at, std::uint32_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
  at[2] = static_cast<std::uint8_t>(v >> 16);
  at[3] = static_cast<std::uint8_t>(v >> 24);
}

void PutColor(std::vector<std::uint8_t>& block, int entry, COLORREF color) {
  PutU32(block.data() + pcs::kColorTableOffset + 4 * entry, color);
}

// The block colour index of block k; blocks past the table use index 0.
std::uint8_t BlockIndex(const CDesign& dlg, int k) {
  return k >= 0 && k < kBlockColorEntries ? dlg.m_blockColor[k] : 0;
}


void AppendColorRecord(std::vector<std::uint8_t>& block, std::size_t& pos, std::uint8_t index) {
  std::uint8_t* r = block.data() + pos;
  std::memset(r, 0, pcs::kRecordSize);
  r[0] = index;
  r[8] = pcs::kColorChangeType;
  pos += pcs::kRecordSize;
}

}  // namespace

std::int32_t PcsUnits(std::int32_t d) {
  // 1/1536 mm per step: 256 steps make one 1/6 mm, the unit kept.
  std::int64_t v = static_cast<std::int64_t>(d) * pcs::kStepsPerMm / 10;
  if (v % 256 > 127) v += 256;
  v &= ~std::int64_t{0xFF};
  return static_cast<std::int32_t>(v);
}

namespace {

// A distance in 0.1 mm as whole 1/6 mm, rounded as PcsUnits rounds.
std::int32_t Sixths(std::int32_t d) { return PcsUnits(d) / 256; }

}  // namespace

std::int64_t BuildPcsBlock(const CDesign& dlg, std::vector<std::uint8_t>& block) {
  const bool fromPcs = dlg.m_nFormat == FORMAT_PCS;
  const bool fromBrother = dlg.m_nFormat == FORMAT_BROTHER;
  const CRecordWalk walk{dlg, /*leadInMove=*/true};

  // Positions in whole 1/6 mm relative to the first written stitch or move
  // (PCS Y up), and their bounds.
  bool haveRef = false;
  std::int32_t refX = 0, refY = 0, minX = 0, maxX = 0, minY = 0, maxY = 0;
  walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) return;
    if (!haveRef) {
      haveRef = true;
      refX = x;
      refY = y;
    }
    const std::int32_t ex = Sixths(x - refX), ey = Sixths(refY - y);
    minX = std::min(minX, ex);
    maxX = std::max(maxX, ex);
    minY = std::min(minY, ey);
    maxY = std::max(maxY, ey);
  });
  // Centred in the 80 mm square when it fits, else in the 115 mm one.
  const std::int32_t width = maxX - minX, height = maxY - minY;
  std::int32_t offX = 0, offY = 0;
  for (const std::int32_t side : {kSmallHoop, kLargeHoop}) {
    if (width <= side && height <= side) {
      offX = (side - width) / 2;
      offY = (side - height) / 2;
      break;
    }
  }

  // One record per written record, and the colour record in front for a
  // design from another format: the block is asked for once at its size.
  // Colour changes after the last stitch or move are left out: a reader
  // stops once it has the counted stitches and never sees them.
  std::size_t records = fromPcs ? 0 : 1, lastMovement = records;
  walk.ForEach([&](std::int16_t, std::int16_t, std::uint8_t kind) {
    ++records;
    if (kind != KIND_COLOR) lastMovement = records;
  });
  records = lastMovement;
  block.clear();
  block.shrink_to_fit();
  block.resize(pcs::kRecordsOffset + pcs::kRecordSize * records + sizeof pcs::kTrailer, 0);

  if (fromPcs) {
    for (int e = 0; e < pcs::kTableEntries; ++e) PutColor(block, e, dlg.m_fileColors[e]);
  } else {
    for (int e = 0; e < pcs::kTableEntries; ++e) PutColor(block, e, PCS_DEFAULT_COLORS[e]);
    if (fromBrother) PutColor(block, 0, PreviewBlockColor(dlg, 0));
  }

  std::size_t pos = pcs::kRecordsOffset;
  int k = 0;
  if (!fromPcs) {
    AppendColorRecord(block, pos, 0);
    k = 1;
  }

  // X from the left edge, Y turned over so the top of the design gets the
  // largest PCS Y.
  std::int64_t stitches = 0;
  std::size_t written = fromPcs ? 0 : 1;
  walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (written == records) return;
    ++written;
    if (kind == KIND_COLOR) {
      std::uint8_t index = 0;
      if (fromPcs) {
        index = BlockIndex(dlg, k);
      } else if (k < pcs::kTableEntries) {
        if (fromBrother) PutColor(block, k, PreviewBlockColor(dlg, k));
        index = static_cast<std::uint8_t>(k);
      }
      AppendColorRecord(block, pos, index);
      ++k;
      return;
    }
    // A move keeps its own type so that the jump is not sewn; the count field
    // counts it like a stitch, as readers of the format do.
    std::uint8_t* r = block.data() + pos;
    PutU32(r, static_cast<std::uint32_t>((Sixths(x - refX) - minX + offX) * 256));
    PutU32(r + 4, static_cast<std::uint32_t>((Sixths(refY - y) - minY + offY) * 256));
    r[8] = kind == KIND_MOVE ? pcs::kMoveType : pcs::kStitchType;
    pos += pcs::kRecordSize;
    ++stitches;
  });

  std::memcpy(block.data() + pos, pcs::kTrailer, sizeof pcs::kTrailer);
  pos += sizeof pcs::kTrailer;
  assert(pos == block.size());

  block[0] = 0x32;
  block[1] = width > kSmallHoop || height > kSmallHoop ? 3 : 2;
  PutU16(block.data() + 2, pcs::kTableEntries);
  PutU16(block.data() + pcs::kStitchCountOffset, static_cast<std::uint32_t>(stitches));
  return stitches;
}

CEncoded EncodePcs(const CDesign& design, const CEncodeRequest&) {
  if (design.m_nColorCount > kMaxColorsFromOtherFormats && design.m_nFormat != FORMAT_PCS)
    return Refusal(WindowWords("Mehr als 16 Farben, Konvertierung abgebrochen"));
  CEncoded result;
  // The count field holds 16 bits; a reader would stop after that many.
  if (BuildPcsBlock(design, result.bytes) > kMaxStitchRecords)
    return Refusal(WindowWords("Mehr als 65535 Stiche, Konvertierung abgebrochen"));
  if (design.m_nStitchCount > kWarnStitches)
    result.warnings.push_back(WindowWords("Warnung: Mehr als 14000 Stiche "));
  return result;
}
