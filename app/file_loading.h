// The reader table and the file-error report of the load sequence.
#pragma once
#include <span>
#include <string>

#include "app/viewer_dlg.h"

struct ReaderEntry {
  const char* extension;            // searched for in the upper-cased name
  void (CViewerDlg::*reader)(int);
};

extern const char* const kOpenFileFilter;

std::span<const ReaderEntry> ReaderTable();
// The reader whose extension the text holds (upper-cased copy, table order, a
// match at the first character does not count); nullptr when none.
const ReaderEntry* FindReader(const std::string& text);

// Shows a failed file operation as the modal report with its German text.
void ReportFileError(IPlatform& platform, const CFileException& e);
