// Pfaff PCS writer. The layout is in
// design/pcs_format.h; the writer puts version 0x32, the hoop code, 16
// colours, the count of stitch and move records, the records in design order
// (stitches with type 0x00, moves with 0x04, both with a zero fraction byte;
// colour changes with the colour index) and the trailer. The design is
// centred in the smallest square hoop it fits (80 or 115 mm) and rounded to
// whole 1/6 mm.
#include <algorithm>
#include <cstring>
#include <new>

#include "design/pcs_format.h"
#include "design/thread_charts.h"
#include "export/pcs_writer.h"

namespace {

constexpr int kMaxStitchRecords = 65535;
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

// The Brother thread colour of block k; unassigned indices are black.
COLORREF BrotherColor(const CDesign& dlg, int k) {
  if (k < 0 || k >= kBlockColorEntries) return kFallbackColor;
  const int index = dlg.m_blockColor[k];
  return index < kBrotherColors ? FromRgb(BrotherPreviewRgb()[index]) : kFallbackColor;
}

inline void Reserve(std::vector<std::uint8_t>& block, std::size_t pos, std::size_t need) {
  if (pos + need <= block.size()) return;
  block.resize(std::max(block.size() * 2, pos + need));
}

void AppendColorRecord(std::vector<std::uint8_t>& block, std::size_t& pos, std::uint8_t index) {
  Reserve(block, pos, pcs::kRecordSize);
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

std::int64_t BuildPcsBlock(const CDesign& dlg, std::vector<std::uint8_t>& block) {
  const std::size_t records =
      std::min({dlg.m_arrX.size(), dlg.m_arrY.size(), dlg.m_arrKind.size()});
  const std::int16_t* xs = dlg.m_arrX.data();
  const std::int16_t* ys = dlg.m_arrY.data();
  const std::uint8_t* kinds = dlg.m_arrKind.data();
  const bool fromPcs = dlg.m_nFormat == FORMAT_PCS;
  const bool fromBrother = dlg.m_nFormat == FORMAT_BROTHER;

  // Centred in the 80 mm square when it fits, else in the 115 mm one.
  std::int32_t offX = 0, offY = 0;
  for (const std::int32_t side : {800, 1150}) {
    if (dlg.m_nWidth <= side && dlg.m_nHeight <= side) {
      offX = (side - dlg.m_nWidth) / 2;
      offY = (side - dlg.m_nHeight) / 2;
      break;
    }
  }

  const std::size_t estimate =
      static_cast<std::size_t>(std::max(0, dlg.m_nStitchCount)) +
      static_cast<std::size_t>(std::max(0, dlg.m_nColorCount)) + 4;
  block.assign(pcs::kRecordsOffset + pcs::kRecordSize * std::min(estimate, records + 2) + sizeof pcs::kTrailer, 0);

  if (fromPcs) {
    for (int e = 0; e < pcs::kTableEntries; ++e) PutColor(block, e, dlg.m_fileColors[e]);
  } else {
    for (int e = 0; e < pcs::kTableEntries; ++e) PutColor(block, e, PCS_DEFAULT_COLORS[e]);
    if (fromBrother) PutColor(block, 0, BrotherColor(dlg, 0));
  }

  std::size_t pos = pcs::kRecordsOffset;
  int k = 0;
  if (!fromPcs) {
    AppendColorRecord(block, pos, 0);
    k = 1;
  }

  // X from the left edge, Y turned over so the top of the design gets the
  // largest PCS Y (m_nMinY + m_nHeight is the bottom edge, m_nMaxY).
  const std::int32_t baseX = offX - dlg.m_nMinX;
  const std::int32_t baseY = dlg.m_nMinY + dlg.m_nHeight + offY;
  std::int64_t stitches = 0;
  for (std::size_t i = 1; i < records && kinds[i] != KIND_END; ++i) {
    if (kinds[i] == KIND_COLOR) {
      std::uint8_t index = 0;
      if (fromPcs) {
        index = BlockIndex(dlg, k);
      } else if (k < pcs::kTableEntries) {
        if (fromBrother) PutColor(block, k, BrotherColor(dlg, k));
        index = static_cast<std::uint8_t>(k);
      }
      AppendColorRecord(block, pos, index);
      ++k;
      continue;
    }
    // A move keeps its own type so that the jump is not sewn; the count field
    // counts it like a stitch, as readers of the format do.
    Reserve(block, pos, pcs::kRecordSize);
    std::uint8_t* r = block.data() + pos;
    PutU32(r, static_cast<std::uint32_t>(PcsUnits(baseX + xs[i])));
    PutU32(r + 4, static_cast<std::uint32_t>(PcsUnits(baseY - ys[i])));
    r[8] = kinds[i] == KIND_MOVE ? pcs::kMoveType : pcs::kStitchType;
    pos += pcs::kRecordSize;
    ++stitches;
  }

  Reserve(block, pos, sizeof pcs::kTrailer);
  std::memcpy(block.data() + pos, pcs::kTrailer, sizeof pcs::kTrailer);
  pos += sizeof pcs::kTrailer;
  block.resize(pos);

  block[0] = 0x32;
  block[1] = dlg.m_nWidth > 800 || dlg.m_nHeight > 800 ? 3 : 2;
  PutU16(block.data() + 2, pcs::kTableEntries);
  PutU16(block.data() + pcs::kStitchCountOffset, static_cast<std::uint32_t>(stitches));
  return stitches;
}

CEncoded EncodePcs(const CDesign& design, const CEncodeRequest&) {
  if (design.m_nColorCount > kMaxColorsFromOtherFormats && design.m_nFormat != FORMAT_PCS)
    return Refusal("Mehr als 16 Farben, Konvertierung abgebrochen");
  CEncoded result;
  // The count field holds 16 bits; a reader would stop after that many.
  if (BuildPcsBlock(design, result.bytes) > kMaxStitchRecords)
    return Refusal("Mehr als 65535 Stiche, Konvertierung abgebrochen");
  if (design.m_nStitchCount > kWarnStitches) result.warnings.push_back("Warnung: Mehr als 14000 Stiche ");
  return result;
}
