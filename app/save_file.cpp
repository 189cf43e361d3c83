// The save handlers: the two buttons and every written format of the table.
#include "app/save_file.h"

#include <new>

#include "framework/file_error.h"

SaveFileRequest WriterSaveRequest(const std::string& defaultExt, const std::string& filter,
                                  const std::string& loadedName) {
  SaveFileRequest request;
  request.defaultExt = defaultExt;
  request.defaultName = DefaultSaveName(loadedName);
  request.filter = filter;
  request.initialDir = ".";
  request.overwritePrompt = true;
  request.hideReadOnly = true;
  return request;
}

SaveOutcome SaveBlock(IPlatform& platform, const SaveFileRequest& request,
                      const std::vector<std::uint8_t>& block) {
  const SaveFileResult answer = platform.SaveFileDialog(request);
  if (!answer.confirmed) return SaveOutcome::cancelled;
  try {
    platform.Files().WriteWholeFile(answer.path, block.data(), block.size());
  } catch (const CFileException& e) {
    ReportFileError(platform, e);
    return SaveOutcome::failed;
  }
  return SaveOutcome::written;
}

void CViewerDlg::SaveFormat(const FormatEntry& format, const SaveFileRequest& request) {
  if (!format.encode) {
    m_lastSave = SaveOutcome::refused;
    return;
  }
  if (!m_bLoaded) {
    Platform().PlainMessageBox(kNoDesignMessage);
    m_lastSave = SaveOutcome::refused;
    return;
  }
  CEncoded encoded;
  try {
    encoded = format.encode(*this, CEncodeRequest{DefaultSaveName(m_strLoadedName)});
  } catch (const std::bad_alloc&) {
    ReportFileError(Platform(), CFileException{FileCause::genericException, {}});
    m_lastSave = SaveOutcome::failed;
    return;
  }
  if (encoded.Refused()) {
    Platform().PlainMessageBox(encoded.refusal);
    m_lastSave = SaveOutcome::refused;
    return;
  }
  for (const std::string& warning : encoded.warnings) Platform().PlainMessageBox(warning);
  m_lastSave = SaveBlock(Platform(), request, encoded.bytes);
}

SaveFileRequest CViewerDlg::FormatSaveRequest(const FormatEntry& format) const {
  std::string ext = format.name;
  for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return WriterSaveRequest(ext, SaveFilterOf(format), m_strLoadedName);
}

void CViewerDlg::OnSaveDst() {
  SaveFormat(*FindFormat("dst"), WriterSaveRequest("DST", "TAJIMA-File (*.dst)|*.dst", m_strLoadedName));
}

void CViewerDlg::OnSavePcs() {
  SaveFormat(*FindFormat("pcs"), WriterSaveRequest("PCS", "Pfaff-Home (*.pcs)|*.pcs", m_strLoadedName));
}
