// Builders of Brother PHC and PHB files for the tests, the fuzz seeds and
// the benchmarks, after the layout of the format sheet.
#pragma once
#include <string>
#include <vector>

#include "tests/test_support.h"

struct PhcLayout {
  bool phb = false;
  std::string text = "Copyright by xxxxxxx industries LTD.";
  std::vector<unsigned> colors = {59};
  // One picture per colour; all zero unless given.
  std::vector<std::vector<unsigned>> pictures;
  // The records after the lead-in, the end byte 0xFF included.
  std::vector<unsigned> stitches = {0x0A, 0x0A, 0x14, 0x00, 0xFF};
};

// Where the chain's fields lie in a built file.
struct PhcOffsets {
  std::size_t l0, a, b, c, ls, p0;
};

// Lays out the header, the pictures, the chain's sections A, B and C and
// the stitch block P0, and fills in the file length, L0, SA, SB, the three
// "rest" fields and Ls.
inline Bytes PhcFile(const PhcLayout& s, PhcOffsets* where = nullptr) {
  const bool b = s.phb;
  ByteBuilder f;
  auto put32 = [&f](std::size_t at, std::size_t v) {
    for (int i = 0; i < 4; ++i) f.put(at + static_cast<std::size_t>(i), static_cast<unsigned>(v >> (8 * i)));
  };
  const std::size_t lengthField = b ? 0x50 : 0x2C;
  f.text(b ? "#PHB0003" : "#PHC0001");                          // 0x00 magic
  f.text(s.text).padTo(lengthField, ' ');                        // 0x08 text, blank-padded
  f.fill(4).fill(4);                                             // file length, L0 (filled in below)
  f.bytes({0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00});     // fixed bytes
  f.u16le(0xFFEC).u16le(20).u16le(0xFFEC).u16le(20);             // extents -20..20, -20..20
  f.bytes(b ? std::initializer_list<unsigned>{0, 0, 0, 0} : std::initializer_list<unsigned>{0, 0, 0xFF, 0xFF});
  f.u16le(48).u16le(38).u8(6);                                   // picture width, height, bytes a row
  f.u16le(static_cast<unsigned>(s.colors.size()));               // n
  for (unsigned c : s.colors) f.u8(c);                           // thread indices
  for (std::size_t k = 0; k < s.colors.size(); ++k) {            // n pictures of 228 bytes
    const std::size_t from = f.size();
    if (k < s.pictures.size())
      for (unsigned v : s.pictures[k]) f.u8(v);
    f.padTo(from + 228);
  }
  if (b) f.bytes({0, 0, 0, 0, 3, 0, 0, 0, 1, 0}); else f.bytes({1, 0});
  const std::size_t a = f.size(), sa = b ? 43 : 42, sb = b ? 98 : 90;
  put32(lengthField + 4, a - (b ? 0x52 : 0x2E));                 // L0
  f.fill(8);                                                     // at A: SA, rest(A)
  f.padTo(a + 2 + sa, 0x11);                                     // extents and outlines: not read
  const std::size_t bAt = f.size();
  f.fill(8);                                                     // at B: SB, rest(B)
  f.padTo(bAt + sb, 0x22);
  const std::size_t c = f.size();
  f.fill(4);                                                     // at C: rest(C)
  f.bytes({b ? 0x00u : 0x0Cu, 0x00, 0x32, 0x00, 0x00, 0x3C, 0x2D, 0x00, 0x00, 0x32});
  f.u8(static_cast<unsigned>(s.colors.size()));                  // n2 and the list again
  for (unsigned v : s.colors) f.u8(v);
  const std::size_t lsAt = f.size();
  f.fill(4);                                                     // Ls
  const std::size_t p0 = f.size();
  f.fill(4).u8(b ? 0xF0 : 0xF1).u16le(40).u16le(40);             // zero, marker, W, H
  if (!b) f.fill(8);
  f.bytes(b ? std::initializer_list<unsigned>{0xE0, 0x01, 0xB0, 0x01} : std::initializer_list<unsigned>{0xB0, 0x01, 0xE0, 0x01});
  f.bytes({0x90, 0x00, 0x90, 0x00});                             // lead-in jump
  for (unsigned v : s.stitches) f.u8(v);
  const std::size_t len = f.size();
  put32(lengthField, len);
  put32(a, sa);
  put32(a + 4, len - a);
  put32(bAt, sb);
  put32(bAt + 4, len - bAt);
  put32(c, len - c);
  put32(lsAt, len - p0);
  if (where) *where = {lengthField + 4, a, bAt, c, lsAt, p0};
  return f;
}
