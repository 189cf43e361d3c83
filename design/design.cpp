// The reader operations: the only code that resets and finishes the design
// state. The per-record operations are inline in the dialog's header.
#include <cassert>
#include <cstring>

#include "app/viewer_dlg.h"
#include "design/info_text.h"

void CViewerDlg::GrowRecords(int capacity) {
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

void CViewerDlg::BeginDesign(int capacity) {
  // Room for records 0 and 1 and the end record whatever the estimate says.
  // Growing comes first: a read that cannot get its memory changes nothing.
  GrowRecords(capacity < 3 ? 3 : capacity);
  m_bReadUnderway = TRUE;
  m_nNextRecord = 0;
  StoreRecord(0, 0, KIND_ORIGIN);
  StoreRecord(0, 0, KIND_STITCH);
  ResetBounds();
  m_nStitchCount = 0;
  m_nColorCount = 1;
}

void CViewerDlg::FinishStitchRun(int n, const CStitchBounds& bounds) {
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

void CViewerDlg::EndDesign() {
  StoreRecord(END_MARK, END_MARK, KIND_END);
  --m_nNextRecord;  // the end record does not advance the index
  m_nWidth = static_cast<std::int32_t>(m_nMaxX) - m_nMinX;
  m_nHeight = static_cast<std::int32_t>(m_nMaxY) - m_nMinY;
  assert(m_arrX.size() == m_arrKind.size() && m_arrY.size() == m_arrKind.size());
}

void CViewerDlg::PublishDesign(const CDesignPublish& publish) {
  m_bReadUnderway = FALSE;
  m_nFormat = publish.format;
  m_bLoaded = TRUE;
  m_bFileColors = publish.fileColors;
  m_bJanomeColors = publish.janomeColors;
  m_bHasThumbnail = publish.hasThumbnail;
  if (!publish.keepRotation) m_nRotation = 0;
  for (int i = 0; i < 5; ++i) SetDlgItemText(kInfoFieldIds[i], publish.info[i]);
  RedrawNow();
}

void CViewerDlg::DiscardDesign() {
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
  for (int i = 0; i < 5; ++i) SetDlgItemText(kInfoFieldIds[i], std::string());
  RedrawNow();
}

std::array<std::string, 5> CViewerDlg::DecodedInfo(const char* formatText, int colors) const {
  // A design without stitch or move records still holds the bound
  // sentinels: it shows 0.0 mm.
  const bool empty = m_nStitchCount == 0;
  return {formatText, ColorsText(colors), WidthText(empty ? 0 : m_nWidth),
          HeightText(empty ? 0 : m_nHeight), StitchesText(m_nStitchCount)};
}
