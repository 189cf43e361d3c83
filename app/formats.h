// The design formats, one row each: the extension that selects the reader,
// a short name, the reader, and the writer where the program writes the
// format. The load sequence, the command line's convert, the fuzz targets
// and the tests take the list from here, so a new format is one row.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "app/viewer_dlg.h"

struct FormatEntry {
  const char* extension;              // ".PES": searched for in the upper-cased name
  const char* name;                   // "pes": lower case, as in file names
  const char* title;                  // "Brother PES"
  std::int16_t code;                  // FORMAT_..., what the reader leaves in m_nFormat
  void (CViewerDlg::*reader)(int);
  void (CViewerDlg::*writer)();       // the save handler; nullptr when not written
};

// In the order the load sequence searches them.
std::span<const FormatEntry> Formats();

// The reader whose extension the text holds (upper-cased copy, table order, a
// match at the first character does not count); nullptr when none.
const FormatEntry* FindReader(const std::string& text);

// The format of a short name, in any case ("dst", "DST"); nullptr when none.
const FormatEntry* FindFormat(const std::string& name);
