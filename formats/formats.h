// The design formats, one row each: everything the program knows of a
// format outside its reader and its writer. The load sequence, the save
// dialogs, the command line, the desktop files (generated from it at build
// time), the fuzz targets and the tests all take the list from here, so a
// new format is its reader, its writer and one row.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "design/byte_view.h"
#include "design/design.h"
#include "export/encoder.h"

// Bytes that mark a file of a format wherever it comes from.
struct CSignature {
  std::string_view bytes;
  int offset = 0;
};

struct FormatEntry {
  const char* extension;  // ".PES": searched for in the upper-cased name
  const char* name;       // "pes": lower case, as in file names
  const char* title;      // "Brother PES"
  // The maker a person picks the format by: the open dialog groups the
  // formats of one maker into one choice, the save dialog names it.
  const char* maker;      // "Brother"
  const char* mimeType;   // "application/x-pes"
  std::int16_t code;      // FORMAT_..., what the reader leaves in m_nFormat
  void (*read)(CDesign& design, int len);
  Encoder encode;         // nullptr when the format is not written
  // Where the format's pattern stands in the open dialog's first choice.
  int allFilesRank;
  // What a file of the format starts with, where it has anything reliable
  // (any one of them marks it); empty: nothing.
  std::span<const CSignature> signatures = {};
  // Whether the bytes can be a design of this format at all; nullptr:
  // anything can.
  bool (*plausible)(const ByteView& file) = nullptr;
  // The weight of the format's glob in the desktop's MIME database: above
  // the default 50 where another type claims the same extension.
  int globWeight = 50;
};

// In the order the load sequence searches them.
std::span<const FormatEntry> Formats();

// The reader whose extension the text holds (upper-cased copy, table order, a
// match at the first character does not count); nullptr when none.
const FormatEntry* FindReader(const std::string& text);

// The format of a short name, in any case ("dst", "DST"); nullptr when none.
const FormatEntry* FindFormat(const std::string& name);

// The open dialog's filter: all formats together ("Design Files (*.*)"),
// then one choice per maker, "|" between label and patterns, "||" at the end.
std::string OpenFileFilter();

// The save dialog's filter for one written format: "Brother (*.pes)|*.pes".
std::string SaveFilterOf(const FormatEntry& format);
