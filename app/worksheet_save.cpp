// The worksheet from the window: made from the loaded design, then saved
// through the one save path (save dialog with its overwrite question).
#include <new>
#include <stdexcept>

#include "app/save_file.h"
#include "app/viewer_dlg.h"
#include "framework/file_error.h"

CWorksheetRequest CViewerDlg::WorksheetRequest(Paper paper) const {
  const FormatEntry* format = FindReader(m_strLoadedName);
  return {m_strLoadedName, format ? format->title : "", paper};
}

void CViewerDlg::OnSaveWorksheet() {
  if (!m_bLoaded) {
    Platform().PlainMessageBox(WindowWords(kNoDesignMessage));
    m_lastSave = SaveOutcome::refused;
    return;
  }
  std::vector<std::uint8_t> pdf;
  try {
    pdf = WorksheetPdf(*this, WorksheetRequest(Paper::a4));
  } catch (const std::exception&) {  // out of memory, or cairo failing
    ReportFileError(Platform(), CFileException{FileCause::genericException, {}});
    m_lastSave = SaveOutcome::failed;
    return;
  }
  m_lastSave = SaveBlock(Platform(), WriterSaveRequest("PDF", kWorksheetFilter, m_strLoadedName), pdf);
}
