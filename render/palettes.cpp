// The two built-in thread palettes and the colour of a colour block.
#include "app/viewer_dlg.h"

namespace {

// Written as 0xRRGGBB, as thread charts give them; stored as COLORREF.
constexpr std::uint32_t kBrotherRgb[kBrotherColors] = {
    0x000000, 0x480090, 0x0000E0, 0x008844, 0xB8B8FF, 0xE80000, 0xD27400, 0xB000B0,  // 0
    0xFFC4FF, 0xFF70FF, 0x00BC70, 0xD09C04, 0xFFB478, 0xFFE868, 0x00D800, 0xB08806,  // 8
    0xC4AC94, 0xA07C48, 0xFFFFB4, 0x747474, 0x000000, 0x6600C8, 0xCE00CE, 0x5C5C5C,  // 16
    0x743A00, 0xD80000, 0xBC7400, 0xFF9866, 0xE07000, 0xFFFFFF, 0xC800C8, 0x80B4A8,  // 24
    0xAAAAFF, 0xFFB874, 0xFCFC88, 0xE8B008, 0xD87804, 0x009048, 0x300066, 0x808080,  // 32
    0xC0B0A6, 0x808400, 0xFFE4C8, 0xFFA0FF, 0x007000, 0xFFD0FF, 0xE08CF4, 0xECE4D0,  // 40
    0xE00070, 0xB05E00, 0x64783C, 0xD80094, 0xFF9430, 0xA8FFFF, 0x00793C, 0xAA00AA,  // 48
    0x008400, 0xFFB8FF, 0xFCE042, 0x0080C0, 0xFFFF80, 0xC4FF8E,                      // 56
};

constexpr std::uint32_t kJanomeRgb[kJanomePaletteEntries] = {
    0x000000, 0x000000, 0xE5E5E5, 0xFFFF00, 0xFF6600, 0x999933, 0x00E800, 0x00CCFF,  // 0
    0xAA00AA, 0xFF99CC, 0xFF0000, 0xCC6633, 0x0000FF, 0x3399CC, 0xFF99FF, 0x99FFFF,  // 8
    0xCCCCFF, 0xFF99D7, 0x99CCFF, 0x000099, 0xFFFF99, 0x66FFCC, 0xCCCCCC, 0xB2B2B2,  // 16
    0xCCFF66, 0xFF9966, 0x993300, 0xB9FFFF, 0xCC6633, 0xFFFFFF, 0x001CDF, 0x00934C,  // 24
    0xFFFFFF, 0xBABDFE, 0x6633CC, 0xFECA15, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFF99CC,  // 32
    0xFFFFFF, 0xCC3399, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x669933, 0xBA9C5F, 0x6BD38A,  // 40
    0x336600, 0xFFFFFF, 0x7F7F7F, 0xDF00B8, 0xFFFFFF, 0x69260D, 0xF39178, 0xBF8200,  // 48
    0xCF6829, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xB0BF9B, 0xFFFFFF, 0xFFBA04, 0xFFF06C,  // 56
    0xFFFFFF, 0xFFFFFF, 0x37A923, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFA704,  // 64
    0xFF99D7, 0x007004, 0xFFFFFF, 0x047000, 0xB4D9E7, 0xFFFFFF, 0x999966, 0xFFFFFF,  // 72
};

static_assert(kBrotherColors <= kBrotherPaletteSlots);

constexpr COLORREF FromRgb(std::uint32_t rgb) { return RGB(rgb >> 16, rgb >> 8, rgb); }

}  // namespace

void CViewerDlg::FillPalettes() {
  for (int i = 0; i < kBrotherColors; ++i) m_brotherPalette[i] = FromRgb(kBrotherRgb[i]);
  for (int i = 0; i < kJanomePaletteEntries; ++i) m_janomePalette[i] = FromRgb(kJanomeRgb[i]);
}

// Blocks past the 64 entries of m_blockColor, and indices past a table's
// assigned entries, have no colour of their own: they get kFallbackColor.
COLORREF CViewerDlg::BlockColor(int block) const {
  if (block < 0) return kFallbackColor;
  if (m_bFileColors) {
    if (block == 0) return RGB(0, 0, 0);
    // A PCS colour record names the colour that follows it: block k takes
    // the colour of the k-th change.
    if (block - 1 >= kBlockColorEntries) return kFallbackColor;
    const int index = m_blockColor[block - 1];
    return index < kFileColorEntries ? m_fileColors[index] : kFallbackColor;
  }
  if (block >= kBlockColorEntries) return kFallbackColor;
  const int index = m_blockColor[block];
  if (m_bJanomeColors)
    return index < kJanomePaletteEntries ? m_janomePalette[index] : kFallbackColor;
  return index < kBrotherColors ? m_brotherPalette[index] : kFallbackColor;
}
