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

// Bytes that mark a file of a format wherever it comes from, at their
// offset from the file's start.
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
  Encoder encode = nullptr;  // nullptr: the format is read, not written
  // Where the format's pattern stands in the open dialog's first choice.
  int allFilesRank;
  // What a file of the format carries, where it has anything reliable
  // (any one of them marks it); empty: nothing. See "Reading a file by what
  // it is" below for what these three fields decide.
  std::span<const CSignature> signatures = {};
  // Whether every file of the format carries one of its signatures.
  bool signatureRequired = false;
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

// Reading a file by what it is. The name selects a row (FindReader); the
// content then decides which reader runs (ContentReader):
// 1. An empty file is read by the row its name selects (its reader makes
//    the empty design), as before there was any check.
// 2. A file that carries a signature of that row is read by it.
// 3. Otherwise a file that carries a signature of another row is read by
//    that row (the first in table order): it is that format, whatever its
//    name says (a PES file named .pec).
// 4. Otherwise the named row reads it, unless the row requires a signature
//    or its plausibility test rejects the bytes: then the file is not read
//    at all, and the user is told that it holds no design.
// The row that reads a file must also find it plausible.
//
// What a row sets, so that every real file still reads as before:
// - signatures: bytes that no file of another format and no ordinary file
//   carries at that offset. Rule 3 moves a file to the row whose signature
//   it carries, so a signature that another format's files could show by
//   chance would take them from their reader: list only what is certain.
// - signatureRequired: true only when every file that the format's reader
//   can read carries one of the signatures (PES and "#PES"); false where
//   the reader knows files without them (PEC files with other version
//   digits than "#PEC0001"), and for formats without a signature.
// - plausible: false only for bytes that certainly are no file of the
//   format (text where the format is binary, a picture where a header of
//   text must be, a count that the file's length cannot hold). Files with
//   blank, zero or odd header fields that the reader reads still pass:
//   writers leave fields blank, and the tests build such files. nullptr
//   when nothing is certain.
// Every real file of the corpus of a format must load exactly as its
// reader alone reads it (tests/content_detection_test.cpp).

// The row that reads file, whose name selected named: named, or another
// row by the file's signature; nullptr when the file cannot be a design of
// the format (rule 4).
const FormatEntry* ContentReader(const FormatEntry& named, const ByteView& file);

// Whether the file carries one of the format's signatures.
bool CarriesSignature(const FormatEntry& format, const ByteView& file);

// The format of a short name, in any case ("dst", "DST"); nullptr when none.
const FormatEntry* FindFormat(const std::string& name);

// The open dialog's filter: all formats together ("Design Files (*.*)"),
// then one choice per maker, "|" between label and patterns, "||" at the end.
std::string OpenFileFilter();

// The save dialog's filter for one written format: "Brother (*.pes)|*.pes".
std::string SaveFilterOf(const FormatEntry& format);
