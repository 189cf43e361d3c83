// Byte builders for the SEW, PCS, JEF, VP3 and XXX files of the fuzz seeds
// and of the reader tests (the Brother ones are in tests/brother_fixture.h).
#pragma once
#include <cstdint>
#include <string>
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

// One colour block of a VP3 fixture.
struct Vp3Block {
  std::int32_t startX = 0, startY = 0;  // about the design centre, micrometres, Y up
  std::vector<unsigned> colors = {0xFF0000};  // 0xRRGGBB, one entry per colour of the thread
  std::string catalog = "1000", name = "Red", brand = "Madeira Rayon 40";
  std::vector<unsigned> records;              // the stitch data after the marker
  int lengthShortBy = 0;                      // the block's length field this much too small
};

// A VP3 file of one design with the given centre (micrometres, Y up). Every
// length is exact unless a block says otherwise.
inline Bytes Vp3File(const std::vector<Vp3Block>& blocks, std::int32_t centreX = 0, std::int32_t centreY = 0) {
  ByteBuilder b;
  auto string16 = [&](const std::string& s) {
    b.u16be(static_cast<unsigned>(2 * s.size()));
    for (char c : s) b.u16be(static_cast<unsigned char>(c));
  };
  auto string8 = [&](const std::string& s) { b.u16be(static_cast<unsigned>(s.size())).text(s); };
  auto section = [&](unsigned tag) {  // 00 tag 00, then a length patched later
    b.bytes({0, tag, 0}).s32be(0);
    return b.size();
  };
  b.text("%vsm%").u8(0);                                    // magic
  string16("Produced by test");                             // producer
  const std::size_t file = section(2);                      // 00 02 00: the file section
  string16("");                                             // comment
  b.s32be(5000).s32be(5000).s32be(-5000).s32be(-5000);      // extents right, top, left, bottom
  b.s32be(42);                                              // stitch count (not read)
  b.bytes({0, static_cast<unsigned>(blocks.size()), 0x0C, 0, 1});  // 0, blocks, 0x0C, 0, one design
  const std::size_t design = section(3);                    // 00 03 00: the design
  b.s32be(centreX).s32be(centreY);                          // centre
  b.bytes({0, 0, 0});
  b.s32be(-5000).s32be(5000).s32be(-5000).s32be(5000);      // box x min, x max, y min, y max
  b.s32be(10000).s32be(10000);                              // width, height
  string16("");                                             // comment
  b.bytes({0x64, 0x64}).s32be(4096).s32be(0).s32be(0).s32be(4096).bytes({0x78, 0x78, 0x50, 0x50, 1, 0});
  string16("Produced by test");                             // producer again
  b.u16be(static_cast<unsigned>(blocks.size()));            // block count
  for (const Vp3Block& k : blocks) {
    const std::size_t block = section(5);                   // 00 05 00: a colour block
    b.s32be(k.startX).s32be(k.startY);                      // block start
    b.u8(static_cast<unsigned>(k.colors.size())).u8(0);     // colours, transition
    for (unsigned c : k.colors) b.u8(c >> 16).u8(c >> 8).u8(c).u8(0).u16be(0);  // RGB, parts, length
    b.u8(5).u8(40);                                         // thread type, weight
    string8(k.catalog);
    string8(k.name);
    string8(k.brand);
    b.s32be(0).s32be(0);                                    // block shift (not read)
    const std::size_t data = section(1);                    // 00 01 00: the stitch data
    b.bytes({0x0A, 0xF6, 0x00});                            // marker
    for (unsigned v : k.records) b.u8(v);
    b.put32be(data - 4, static_cast<std::uint32_t>(b.size() - data));
    b.u8(0);                                                // the block's 0 byte
    b.put32be(block - 4, static_cast<std::uint32_t>(b.size() - block - k.lengthShortBy));
  }
  b.put32be(design - 4, static_cast<std::uint32_t>(b.size() - design));
  b.put32be(file - 4, static_cast<std::uint32_t>(b.size() - file));
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
