// Pfaff PCS writer: the "&Pfaff" button.
//
// Output (little-endian):
//   0        0x32, the version
//   1        hoop: 2 for the 80 mm square, 3 for anything larger
//   2..3     16, the size of the colour table
//   4..67    16 colours of 4 bytes: red, green, blue, 0
//   68..69   number of stitch records (colour changes not counted)
//   70..     9-byte records in design order:
//              stitch: X s32 (fraction byte 0, then whole 1/6 mm), Y s32 (up), 0x00
//              colour: index, 7 zero bytes, 0x03
//   then     13 zero bytes and "NADELWERK 1.0.5\r\n\0"
// The design is centred in the smallest square hoop it fits (80 or 115 mm) and
// rounded to whole 1/6 mm.
#include <algorithm>
#include <cstring>
#include <new>

#include "app/file_loading.h"
#include "app/viewer_dlg.h"
#include "export/save_file.h"

namespace {

constexpr int kHeaderSize = 70;
constexpr int kRecordSize = 9;
constexpr int kTableEntries = 16;
constexpr int kColorTableOffset = 4;
constexpr int kCountOffset = 68;
constexpr int kMaxStitchRecords = 65535;
constexpr int kWarnStitches = 14000;
constexpr int kMaxColorsFromOtherFormats = 16;
constexpr int kBrotherColors = 62;  // indices 0..61 hold thread colours
constexpr std::uint8_t kTrailer[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     'N', 'A', 'D', 'E', 'L', 'W', 'E', 'R', 'K', ' ',
                                     '1', '.', '0', '.', '5', 0x0D, 0x0A, 0x00};

constexpr std::int16_t kFormatPcs = 2;
constexpr std::int16_t kFormatBrother = 1;

constexpr COLORREF PCS_DEFAULT_COLORS[kTableEntries] = {
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
  PutU32(block.data() + kColorTableOffset + 4 * entry, color);
}

// The block colour index of block k; blocks past the table use index 0.
std::uint8_t BlockIndex(const CViewerDlg& dlg, int k) {
  return k >= 0 && k < kBlockColorEntries ? dlg.m_blockColor[k] : 0;
}

// The Brother thread colour of block k; unassigned indices are black.
COLORREF BrotherColor(const CViewerDlg& dlg, int k) {
  if (k < 0 || k >= kBlockColorEntries) return kFallbackColor;
  const int index = dlg.m_blockColor[k];
  return index < kBrotherColors ? dlg.m_brotherPalette[index] : kFallbackColor;
}

inline void Reserve(std::vector<std::uint8_t>& block, std::size_t pos, std::size_t need) {
  if (pos + need <= block.size()) return;
  block.resize(std::max(block.size() * 2, pos + need));
}

void AppendColorRecord(std::vector<std::uint8_t>& block, std::size_t& pos, std::uint8_t index) {
  Reserve(block, pos, kRecordSize);
  std::uint8_t* r = block.data() + pos;
  std::memset(r, 0, kRecordSize);
  r[0] = index;
  r[8] = 0x03;
  pos += kRecordSize;
}

}  // namespace

std::int32_t CViewerDlg::PcsUnits(std::int32_t d) {
  // 1/1536 mm per step: 256 steps make one 1/6 mm, the unit kept.
  std::int64_t v = static_cast<std::int64_t>(d) * 1536 / 10;
  if (v % 256 > 127) v += 256;
  v &= ~std::int64_t{0xFF};
  return static_cast<std::int32_t>(v);
}

std::int64_t BuildPcsBlock(const CViewerDlg& dlg, std::vector<std::uint8_t>& block) {
  const std::size_t records =
      std::min({dlg.m_arrX.size(), dlg.m_arrY.size(), dlg.m_arrKind.size()});
  const std::int16_t* xs = dlg.m_arrX.data();
  const std::int16_t* ys = dlg.m_arrY.data();
  const std::uint8_t* kinds = dlg.m_arrKind.data();
  const bool fromPcs = dlg.m_nFormat == kFormatPcs;
  const bool fromBrother = dlg.m_nFormat == kFormatBrother;

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
  block.assign(kHeaderSize + kRecordSize * std::min(estimate, records + 2) + sizeof kTrailer, 0);

  if (fromPcs) {
    for (int e = 0; e < kTableEntries; ++e) PutColor(block, e, dlg.m_fileColors[e]);
  } else {
    for (int e = 0; e < kTableEntries; ++e) PutColor(block, e, PCS_DEFAULT_COLORS[e]);
    if (fromBrother) PutColor(block, 0, BrotherColor(dlg, 0));
  }

  std::size_t pos = kHeaderSize;
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
      } else if (k < kTableEntries) {
        if (fromBrother) PutColor(block, k, BrotherColor(dlg, k));
        index = static_cast<std::uint8_t>(k);
      }
      AppendColorRecord(block, pos, index);
      ++k;
      continue;
    }
    // PCS has no jumps: a move is a stitch record at its position, and so is
    // any other record that places the needle.
    Reserve(block, pos, kRecordSize);
    std::uint8_t* r = block.data() + pos;
    PutU32(r, static_cast<std::uint32_t>(CViewerDlg::PcsUnits(baseX + xs[i])));
    PutU32(r + 4, static_cast<std::uint32_t>(CViewerDlg::PcsUnits(baseY - ys[i])));
    r[8] = 0x00;
    pos += kRecordSize;
    ++stitches;
  }

  Reserve(block, pos, sizeof kTrailer);
  std::memcpy(block.data() + pos, kTrailer, sizeof kTrailer);
  pos += sizeof kTrailer;
  block.resize(pos);

  block[0] = 0x32;
  block[1] = dlg.m_nWidth > 800 || dlg.m_nHeight > 800 ? 3 : 2;
  PutU16(block.data() + 2, kTableEntries);
  PutU16(block.data() + kCountOffset, static_cast<std::uint32_t>(stitches));
  return stitches;
}

void CViewerDlg::OnSavePcs() {
  if (!m_bLoaded) {
    Platform().PlainMessageBox(kNoDesignMessage);
    return;
  }
  if (m_nColorCount > kMaxColorsFromOtherFormats && m_nFormat != kFormatPcs) {
    Platform().PlainMessageBox("Mehr als 16 Farben, Konvertierung abgebrochen");
    return;
  }
  std::vector<std::uint8_t> block;
  std::int64_t stitches = 0;
  try {
    stitches = BuildPcsBlock(*this, block);
  } catch (const std::bad_alloc&) {
    ReportFileError(Platform(), CFileException{FileCause::genericException, {}});
    return;
  }
  // The count field holds 16 bits; a reader would stop after that many.
  if (stitches > kMaxStitchRecords) {
    Platform().PlainMessageBox("Mehr als 65535 Stiche, Konvertierung abgebrochen");
    return;
  }
  if (m_nStitchCount > kWarnStitches) Platform().PlainMessageBox("Warnung: Mehr als 14000 Stiche ");

  SaveBlock(Platform(), WriterSaveRequest("PCS", "Pfaff-Home (*.pcs)|*.pcs", m_strLoadedName), block);
}
