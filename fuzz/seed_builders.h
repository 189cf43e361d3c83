// Byte builders for the SEW, PCS and XXX files of the fuzz seeds and of the
// tests (the Brother ones are in tests/brother_fixture.h).
#pragma once
#include <cstdint>
#include <vector>

#include "design/pcs_format.h"
#include "tests/test_support.h"

// A SEW file: the colour list in 16-bit slots, then stitch data from 7544.
inline Bytes SewFile(const std::vector<unsigned>& colors, const std::vector<unsigned>& data) {
  ByteBuilder b;
  b.u8(static_cast<unsigned>(colors.size())).u8(0);
  for (unsigned c : colors) b.u16le(c);
  b.padTo(7544);
  for (unsigned v : data) b.u8(v);
  return b;
}

// A PCS record: a stitch, a move or a colour change (x is then the index).
struct PcsSeedRecord {
  std::uint8_t type;  // byte 8
  std::int32_t x, y;  // 1/1536 mm
};

// A PCS file: version, hoop, 16 colours and the stitch count, then 9-byte
// records.
inline Bytes PcsFile(unsigned count, const std::vector<PcsSeedRecord>& records) {
  ByteBuilder b;
  b.u8(0x32).u8(2).u16le(16);
  for (unsigned i = 0; i < 16; ++i) b.u8(i * 16).u8(255 - i * 16).u8(i * 7).u8(0);
  b.u16le(count);
  for (const PcsSeedRecord& r : records) {
    if (r.type == pcs::kColorChangeType)
      b.u8(static_cast<unsigned>(r.x)).fill(7).u8(r.type);
    else
      b.s32le(r.x).s32le(r.y).u8(r.type);
  }
  return b;
}

// An XXX file: the 256-byte header (colour count at 0x27, the end block's
// offset at 0xFC, everything else zero), the record bytes from 0x100, the
// end block 7F 7F 03 14, then the palette: two zero bytes and 00 R G B per
// colour (0xRRGGBB). pointer -1: the offset of the end block; 0 or any other
// value is written as it is.
inline Bytes XxxFile(const std::vector<unsigned>& records, const std::vector<std::uint32_t>& colors,
                     long long pointer = -1, unsigned colorCount = ~0u) {
  ByteBuilder b;
  b.padTo(0x27).u16le(colorCount == ~0u ? static_cast<unsigned>(colors.size()) : colorCount);
  b.padTo(0xFC).s32le(static_cast<std::int32_t>(pointer >= 0 ? pointer : 0x100 + records.size()));
  for (unsigned v : records) b.u8(v);
  b.bytes({0x7F, 0x7F, 0x03, 0x14, 0x00, 0x00});
  for (std::uint32_t c : colors) b.u8(0).u8(c >> 16).u8(c >> 8).u8(c);
  return b;
}
