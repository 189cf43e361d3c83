// Byte builders for the SEW and PCS files of the fuzz seeds and of the
// finding tests (the Brother ones are in tests/brother_fixture.h).
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
