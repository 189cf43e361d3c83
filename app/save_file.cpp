// The save handlers: the two buttons, "Speichern unter..." and every written
// format of the table.
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

namespace {

// Writes block to the chosen path in one write; a failing write is shown as
// the file-error report.
SaveOutcome WriteChosenFile(IPlatform& platform, const std::string& path, const std::vector<std::uint8_t>& block) {
  try {
    platform.Files().WriteWholeFile(path, block.data(), block.size());
  } catch (const CFileException& e) {
    ReportFileError(platform, e);
    return SaveOutcome::failed;
  }
  return SaveOutcome::written;
}

// The formats of the table that have a writer, in table order.
std::vector<const FormatEntry*> WrittenFormats() {
  std::vector<const FormatEntry*> formats;
  for (const FormatEntry& f : Formats())
    if (f.encode) formats.push_back(&f);
  return formats;
}

// The name of a path without its folder.
std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The written format a file name's last extension names; nullptr for none.
const FormatEntry* WrittenFormatOfName(const std::string& name) {
  const auto dot = name.rfind('.');
  const FormatEntry* format = dot == std::string::npos ? nullptr : FindFormat(name.substr(dot + 1));
  return format && format->encode ? format : nullptr;
}

}  // namespace

SaveOutcome SaveBlock(IPlatform& platform, const SaveFileRequest& request,
                      const std::vector<std::uint8_t>& block) {
  const SaveFileResult answer = platform.SaveFileDialog(request);
  if (!answer.confirmed) return SaveOutcome::cancelled;
  return WriteChosenFile(platform, answer.path, block);
}

bool CViewerDlg::EncodeForSave(const FormatEntry& format, const std::string& stem, CEncoded& encoded) {
  try {
    encoded = format.encode(*this, CEncodeRequest{stem});
  } catch (const std::bad_alloc&) {
    ReportFileError(Platform(), CFileException{FileCause::genericException, {}});
    m_lastSave = SaveOutcome::failed;
    return false;
  }
  if (encoded.Refused()) {
    Platform().PlainMessageBox(encoded.refusal);
    m_lastSave = SaveOutcome::refused;
    return false;
  }
  for (const std::string& warning : encoded.warnings) Platform().PlainMessageBox(warning);
  return true;
}

void CViewerDlg::SaveFormat(const FormatEntry& format, const SaveFileRequest& request) {
  if (!format.encode) {
    m_lastSave = SaveOutcome::refused;
    return;
  }
  if (!m_bLoaded) {
    Platform().PlainMessageBox(WindowWords(kNoDesignMessage));
    m_lastSave = SaveOutcome::refused;
    return;
  }
  CEncoded encoded;
  if (!EncodeForSave(format, DefaultSaveName(m_strLoadedName), encoded)) return;
  m_lastSave = SaveBlock(Platform(), request, encoded.bytes);
}

SaveFileRequest CViewerDlg::FormatSaveRequest(const FormatEntry& format) const {
  std::string ext = format.name;
  for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return WriterSaveRequest(ext, SaveFilterOf(format), m_strLoadedName);
}

SaveFileRequest CViewerDlg::SaveAsRequest() const {
  const std::vector<const FormatEntry*> formats = WrittenFormats();
  const FormatEntry* loaded = FindReader(m_strLoadedName);
  std::string filter;
  int chosen = 1;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    filter += SaveFilterOf(*formats[i]) + "|";
    if (formats[i] == loaded) chosen = static_cast<int>(i) + 1;
  }
  filter += "|";
  std::string ext;
  if (!formats.empty()) ext = formats[static_cast<std::size_t>(chosen - 1)]->name;
  SaveFileRequest request = WriterSaveRequest(ext, filter, m_strLoadedName);
  request.filterIndex = chosen;
  return request;
}

void CViewerDlg::OnSaveAs() {
  const std::vector<const FormatEntry*> formats = WrittenFormats();
  if (!m_bLoaded || formats.empty()) {
    Platform().PlainMessageBox(WindowWords(kNoDesignMessage));
    m_lastSave = SaveOutcome::refused;
    return;
  }
  // The format is known once the file is: the refusals and warnings of the
  // buttons come after the dialog here, still before anything is written.
  const SaveFileRequest request = SaveAsRequest();
  const SaveFileResult answer = Platform().SaveFileDialog(request);
  if (!answer.confirmed) {
    m_lastSave = SaveOutcome::cancelled;
    return;
  }
  // A typed extension that names a written format wins over the choice.
  const std::string name = FileNameOf(answer.path);
  const FormatEntry* format = WrittenFormatOfName(name);
  if (!format) {
    const int choice = answer.filterIndex >= 1 && answer.filterIndex <= static_cast<int>(formats.size())
                           ? answer.filterIndex
                           : request.filterIndex;
    format = formats[static_cast<std::size_t>(choice - 1)];
  }
  CEncoded encoded;
  if (!EncodeForSave(*format, DefaultSaveName(name), encoded)) return;
  m_lastSave = WriteChosenFile(Platform(), answer.path, encoded.bytes);
}

void CViewerDlg::OnSaveDst() {
  SaveFormat(*FindFormat("dst"), WriterSaveRequest("DST", "TAJIMA-File (*.dst)|*.dst", m_strLoadedName));
}

void CViewerDlg::OnSavePcs() {
  SaveFormat(*FindFormat("pcs"), WriterSaveRequest("PCS", "Pfaff-Home (*.pcs)|*.pcs", m_strLoadedName));
}
