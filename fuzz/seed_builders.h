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

// Overwrites the 32-bit little-endian field at offset.
inline void PutS32(Bytes& bytes, std::size_t offset, std::int32_t v) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

// A JEF file: the header with the thread table of the given indices, then
// the stitch data at 116 + 8 * indices.size(), or at start where that is
// larger (a JEF+ block between the tables and the stitches).
inline Bytes JefFile(const std::vector<int>& indices, const std::vector<unsigned>& data, unsigned start = 0) {
  const unsigned tablesEnd = 116 + 8 * static_cast<unsigned>(indices.size());
  ByteBuilder b;
  b.s32le(static_cast<std::int32_t>(start ? start : tablesEnd))  // 0: stitch offset
      .s32le(0x0A)                                              // 4: flags
      .text("20240229235959")                                   // 8: date and time
      .u8(0).u8(0)                                              // 22: version letter, unknown
      .s32le(static_cast<std::int32_t>(indices.size()))        // 24: colour blocks
      .s32le(static_cast<std::int32_t>(data.size() / 2))        // 28: stitch data length, 2-byte units
      .s32le(0)                                                 // 32: hoop code 0, 110 x 110
      .s32le(100).s32le(100).s32le(100).s32le(100)              // 36: extents (not read)
      .fill(64, 0xFF);                                          // 52: four margin boxes of -1
  for (int i : indices) b.s32le(i);                             // 116: thread indices
  for (std::size_t i = 0; i < indices.size(); ++i) b.s32le(13);  // thread types
  b.padTo(start);                                               // a JEF+ block before the stitches
  for (unsigned v : data) b.u8(v);
  return b;
}
