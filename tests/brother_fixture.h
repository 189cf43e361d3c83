// Byte fixtures of Brother files: a PEC section, and PEC and PES files
// around it.
#pragma once
#include <string>
#include <vector>

#include "tests/test_support.h"

struct PecSection {
  std::vector<unsigned> colors = {5};
  unsigned width = 123;   // header values, 0.1 mm
  unsigned height = 45;
  std::vector<unsigned> stitches = {0xFF, 0x00};
  std::vector<unsigned> thumbnail = std::vector<unsigned>(228, 0);

  // The section's bytes: "LA:" at 0, colour count at 48, colour list at 49,
  // thumbnail offset at 514, width and height at 520 and 522, stitch data at
  // 532 and the thumbnail right after the stitch data.
  Bytes Build() const {
    ByteBuilder b;
    b.text("LA:fixture").padTo(48, ' ');
    b.u8(static_cast<unsigned>(colors.size() - 1));
    for (unsigned c : colors) b.u8(c);
    b.padTo(512, 0x20);
    b.u16le(0);
    b.u24le(static_cast<unsigned>(20 + stitches.size()));  // counted from 512
    b.fill(3);
    b.u16le(width).u16le(height);
    b.fill(8);
    for (unsigned s : stitches) b.u8(s);
    for (unsigned t : thumbnail) b.u8(t);
    return b;
  }
};

inline Bytes PecFile(const PecSection& section, const std::string& digits = "01") {
  ByteBuilder b;
  b.text("#PEC00").text(digits);  // version digits at 6 and 7
  for (std::uint8_t v : section.Build()) b.u8(v);
  return b;
}

// A PES file: the 13-byte header with the part count, a gap, and the
// sections one after another (each further one found by its "LA:").
inline Bytes PesFile(const std::vector<PecSection>& sections, const std::string& digits = "01",
                     unsigned parts = 1, unsigned firstSection = 40) {
  ByteBuilder b;
  b.text("#PES00").text(digits).u24le(firstSection).u8(0).u8(parts);
  b.padTo(firstSection, 0x11);
  for (const PecSection& s : sections) {
    for (std::uint8_t v : s.Build()) b.u8(v);
  }
  return b;
}
