// The reader operations: the only code that resets and finishes the design
// state. The per-record operations are inline in the header.
#include "design/design.h"

#include <cassert>
#include <cstring>

#include "design/info_text.h"

void CDesign::GrowRecords(int capacity) {
  if (capacity <= static_cast<int>(m_arrKind.size())) return;
  // Grow geometrically so that readers that outrun their estimate stay linear.
  std::size_t size = m_arrKind.size() * 2;
  if (size < static_cast<std::size_t>(capacity)) size = static_cast<std::size_t>(capacity);
  // All three first, so that running out of memory leaves them one length.
  m_arrX.Reserve(size);
  m_arrY.Reserve(size);
  m_arrKind.Reserve(size);
  m_arrX.SetSize(size);
  m_arrY.SetSize(size);
  m_arrKind.SetSize(size);
}

void CDesign::BeginDesign(int capacity) {
  // Room for records 0 and 1 and the end record whatever the estimate says.
  // Growing comes first: a read that cannot get its memory changes nothing.
  GrowRecords(capacity < 3 ? 3 : capacity);
  m_bReadUnderway = TRUE;
  m_nNextRecord = 0;
  m_nFirstOwnRecord = 2;
  StoreRecord(0, 0, KIND_ORIGIN);
  StoreRecord(0, 0, KIND_STITCH);
  ResetBounds();
  m_nStitchCount = 0;
  m_nColorCount = 1;
  m_threads.clear();
  m_strLabel.clear();
}

void CDesign::OmitStartStitch() {
  assert(m_nNextRecord == 2);
  m_nNextRecord = 1;
  m_nFirstOwnRecord = 1;
}

void CDesign::FinishStitchRun(int n, const CStitchBounds& bounds) {
  if (n <= 0) return;
  assert(m_nNextRecord + n <= static_cast<int>(m_arrKind.size()));
  std::memset(m_arrKind.data() + m_nNextRecord, KIND_STITCH, static_cast<std::size_t>(n));
  m_nNextRecord += n;
  m_nStitchCount += n;
  m_nMinX = bounds.minX;
  m_nMaxX = bounds.maxX;
  m_nMinY = bounds.minY;
  m_nMaxY = bounds.maxY;
}

void CDesign::EndDesign() {
  MarkEnd();
  m_nWidth = static_cast<std::int32_t>(m_nMaxX) - m_nMinX;
  m_nHeight = static_cast<std::int32_t>(m_nMaxY) - m_nMinY;
  assert(m_arrX.size() == m_arrKind.size() && m_arrY.size() == m_arrKind.size());
}

void CDesign::PublishDesign(const CDesignPublish& publish) {
  m_bReadUnderway = FALSE;
  m_nFormat = publish.format;
  m_bLoaded = TRUE;
  m_bFileColors = publish.fileColors;
  m_bJanomeColors = publish.janomeColors;
  m_bThreadColors = publish.threadColors;
  m_bHasThumbnail = publish.hasThumbnail;
  OnDesignPublished(publish);
}

void CDesign::DiscardDesign() {
  // The read under way had the arrays grow to at least three entries before
  // it wrote anything, so the empty design needs no memory.
  assert(m_arrKind.size() >= 3);
  BeginDesign(3);
  EndDesign();
  m_bReadUnderway = FALSE;
  // Half a design must neither be drawn nor saved: the writers now refuse
  // as before the first load.
  m_bLoaded = FALSE;
  m_bHasThumbnail = FALSE;
  OnDesignDiscarded();
}

std::array<std::string, 5> CDesign::DecodedInfo(const char* formatText, int colors) const {
  // A design without stitch or move records still holds the bound
  // sentinels: it shows 0.0 mm.
  const bool empty = m_nStitchCount == 0;
  return {formatText, ColorsText(colors), WidthText(empty ? 0 : m_nWidth),
          HeightText(empty ? 0 : m_nHeight), StitchesText(m_nStitchCount)};
}

// Blocks past the 64 entries of m_blockColor, and indices past a table's
// assigned entries, have no colour of their own: they get kFallbackColor.
COLORREF CDesign::BlockColorFrom(int block, const COLORREF* brotherPalette,
                                 const COLORREF* janomePalette) const {
  if (block < 0) return kFallbackColor;
  if (m_bThreadColors)
    return static_cast<std::size_t>(block) < m_threads.size() ? m_threads[block].color : kFallbackColor;
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
    return index < kJanomePaletteEntries ? janomePalette[index] : kFallbackColor;
  return index < kBrotherColors ? brotherPalette[index] : kFallbackColor;
}
