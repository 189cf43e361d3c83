// The reader operations: the only code that resets and finishes the design
// state. The per-record operations are inline in the dialog's header.
#include <cassert>

#include "app/viewer_dlg.h"
#include "design/info_text.h"

void CViewerDlg::GrowRecords(int capacity) {
  if (capacity <= static_cast<int>(m_arrKind.size())) return;
  // Grow geometrically so that readers that outrun their estimate stay linear.
  std::size_t size = m_arrKind.size() * 2;
  if (size < static_cast<std::size_t>(capacity)) size = static_cast<std::size_t>(capacity);
  m_arrX.resize(size, 0);
  m_arrY.resize(size, 0);
  m_arrKind.resize(size, 0);
}

void CViewerDlg::BeginDesign(int capacity) {
  // Room for records 0 and 1 and the end record whatever the estimate says.
  GrowRecords(capacity < 3 ? 3 : capacity);
  m_nNextRecord = 0;
  StoreRecord(0, 0, KIND_ORIGIN);
  StoreRecord(0, 0, KIND_STITCH);
  ResetBounds();
  m_nStitchCount = 0;
  m_nColorCount = 1;
}

void CViewerDlg::EndDesign() {
  StoreRecord(END_MARK, END_MARK, KIND_END);
  --m_nNextRecord;  // the end record does not advance the index
  m_nWidth = static_cast<std::int32_t>(m_nMaxX) - m_nMinX;
  m_nHeight = static_cast<std::int32_t>(m_nMaxY) - m_nMinY;
  assert(m_arrX.size() == m_arrKind.size() && m_arrY.size() == m_arrKind.size());
}

void CViewerDlg::PublishDesign(const CDesignPublish& publish) {
  m_nFormat = publish.format;
  m_bLoaded = TRUE;
  m_bFileColors = publish.fileColors;
  m_bJanomeColors = publish.janomeColors;
  m_bHasThumbnail = publish.hasThumbnail;
  if (!publish.keepRotation) m_nRotation = 0;
  for (int i = 0; i < 5; ++i) SetDlgItemText(kInfoFieldIds[i], publish.info[i]);
  RedrawNow();
}

std::string CViewerDlg::DecodedWidthText() const {
  return WidthText(m_nStitchCount == 0 ? 0 : m_nWidth);
}

std::string CViewerDlg::DecodedHeightText() const {
  return HeightText(m_nStitchCount == 0 ? 0 : m_nHeight);
}
