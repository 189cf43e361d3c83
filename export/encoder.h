// What every writer is: an encoder from a design (read-only) to the bytes
// of a file, or to a refusal that says in the user's words why the design
// cannot be written in that format. Encoders open no dialog and no file;
// the application decides where the bytes go.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "design/design.h"

struct CEncodeRequest {
  // The name the file will carry, without folder and extension: formats
  // that hold a design name take it from here when the design has none.
  std::string stem;
};

struct CEncoded {
  std::vector<std::uint8_t> bytes;
  std::string refusal;                // not empty: nothing may be written
  std::vector<std::string> warnings;  // to be shown before the file is chosen

  bool Refused() const { return !refusal.empty(); }
};

// An encoder. Running out of memory throws std::bad_alloc.
using Encoder = CEncoded (*)(const CDesign& design, const CEncodeRequest& request);

inline CEncoded Refusal(std::string message) {
  CEncoded result;
  result.refusal = std::move(message);
  return result;
}

// The file name without its last extension: Blume.PES gives Blume,
// rose.v2.pes gives rose.v2; a name without '.' stays whole.
std::string DefaultSaveName(const std::string& loadedName);

// A name as a fixed field of single-byte characters: every byte outside
// 0x20..0x7E becomes '_', the name is cut to length and padded with blanks.
std::string SingleByteLabel(const std::string& name, std::size_t length);
