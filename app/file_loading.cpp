// Choosing a file (the open dialog or a drop) and loading it: one read into
// m_fileData, then the reader that the extension in the file's name selects
// unless the content says otherwise.
#include <algorithm>
#include <climits>
#include <new>

#include "app/viewer_dlg.h"
#include "formats/formats.h"
#include "framework/window_words.h"

namespace {

// What a file shows that is not what its name says; %s is its path.
constexpr const char* kNoDesignInFile = WindowWordsLater("%s enth\xC3\xA4lt kein lesbares Stickmuster.");

// The part of a path after its last separator.
std::string BareName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void CViewerDlg::OnBrowse() {
  OpenFileRequest request;
  request.filter = OpenFileFilter();
  request.filterIndex = 1;
  request.initialDir = ".";
  request.fileMustExist = true;
  request.hideReadOnly = true;
  const OpenFileResult chosen = Platform().OpenFileDialog(request);
  m_strLoadedName = chosen.name;
  m_strLoadedPath = chosen.path;
  SetDlgItemText(IDC_FILENAME, m_strLoadedName);
  if (m_strLoadedPath.empty()) {
    m_lastLoad = LoadOutcome::cancelled;
    return;
  }
  LoadFile(m_strLoadedPath, m_strLoadedName);
}

void CViewerDlg::OnDropFiles(CDropPackage* hDropInfo) {
  if (!hDropInfo) return;
  // Only the first file of a drop is taken, with its whole path.
  const std::string path = hDropInfo->DragQueryFile(0);
  hDropInfo->DragFinish();
  if (path.empty()) return;
  m_strLoadedPath = path;
  m_strLoadedName = BareName(path);
  SetDlgItemText(IDC_FILENAME, m_strLoadedName);
  // The name, not the whole path, chooses the reader: a folder named like a
  // design file must not decide how the file is read.
  LoadFile(m_strLoadedPath, m_strLoadedName);
}

LoadOutcome CViewerDlg::LoadFile(const std::string& path, const std::string& testText) {
  // Running out of memory is reported like a failing file operation, for the
  // file at hand; made here, as there may be no memory left for the copy of
  // the path once it has run out.
  const CFileException noMemory{FileCause::genericException, path};
  int len = 0;
  try {
    auto file = Platform().Files().OpenForRead(path);
    const std::uint64_t length = file->GetLength();
    if (length > static_cast<std::uint64_t>(INT_MAX - 1))
      throw CFileException{FileCause::genericException, path};
    len = static_cast<int>(length);
    if (len != 0) {
      // Grown, not filled: the read writes every byte the reader may look at.
      if (m_fileData.size() < static_cast<std::size_t>(len))
        m_fileData.SetSize(static_cast<std::size_t>(len) + 1);
      // A read that stops short would leave stale bytes in the buffer: an error.
      if (file->Read(m_fileData.data(), static_cast<std::size_t>(len)) != static_cast<std::size_t>(len))
        throw CFileException{FileCause::endOfFile, {}};
    }
    file->Close();
  } catch (const CFileException& e) {
    ReportFileError(Platform(), e);
    return m_lastLoad = LoadOutcome::fileError;
  } catch (const std::bad_alloc&) {
    ReportFileError(Platform(), noMemory);
    return m_lastLoad = LoadOutcome::fileError;
  }
  const FormatEntry* named = FindReader(testText);
  if (!named) return m_lastLoad = LoadOutcome::noReader;
  // Before any reader runs, so that the design shown stays as it is.
  const FormatEntry* reader = ContentReader(*named, ByteView(m_fileData, len));
  if (!reader) {
    Platform().NoticeBox(Filled(WindowWords(kNoDesignInFile), {path}));
    return m_lastLoad = LoadOutcome::unreadable;
  }
  try {
    reader->read(*this, len);
  } catch (const std::bad_alloc&) {
    // A reader grows the arrays before it overwrites anything, so one that
    // got no memory at all leaves the previous design; one that ran out
    // part-way leaves none.
    if (ReadUnderway()) DiscardDesign();
    ReportFileError(Platform(), noMemory);
    return m_lastLoad = LoadOutcome::fileError;
  }
  return m_lastLoad = LoadOutcome::loaded;
}
