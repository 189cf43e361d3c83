// Husqvarna Viking / Pfaff VP3: the layout the reader and the writer
// share, and the reader. Numbers are big-endian; header and block positions
// are signed 32-bit 1/1000 mm with Y up, the stitch data 0.1 mm with Y down.
// "string16" is a u16 byte count and as many bytes of UTF-16BE, "string8" a
// u16 byte count and 8-bit text. A section is a tag 00 nn 00 and a u32
// length of the bytes after it up to the section's end.
//
//   0     "%vsm%", 0, string16 producer
//         00 02 00 + length (to the end of the file), string16 comment
//         extents right, top, left, bottom (4 x i32); a stitch count (u32);
//         0, the colour-block count (u8), 0x0C, 0, the number of designs
//   design: 00 03 00 + length; centre x, y (2 x i32); 0 0 0; box x min,
//         x max, y min, y max (4 x i32) about the centre; width, height
//         (2 x i32); string16 comment; 24 constant bytes (kDesignConstant);
//         string16 producer; u16 colour-block count; the blocks
//   block: 00 05 00 + length (trailing 0 included); block start about the
//         centre (2 x i32); n colours, transition (u8 each); per colour R, G,
//         B, parts (u8), length (u16); thread type, weight (u8 each);
//         string8 catalogue number, description, brand; block shift, last
//         position less start (2 x i32); 00 01 00 + length of the stitch
//         data; the marker 0A F6 00; the records; one 0 byte
//   records: dx dy (dx != 0x80)      stitch by the signed bytes
//            80 01 XXXX YYYY 80 02   long record by the signed 16-bit values
//            80 03                   trim
//            80 xx                   anything else: two bytes, nothing
#pragma once
#include <cstdint>

#include "design/byte_view.h"
#include "design/design.h"

namespace vp3 {

inline constexpr char kMagic[] = "%vsm%";
constexpr std::uint8_t kFileTag = 0x02, kDesignTag = 0x03, kBlockTag = 0x05, kStitchTag = 0x01;
constexpr std::uint8_t kEscape = 0x80, kLongCode = 0x01, kLongClose = 0x02, kTrimCode = 0x03;
constexpr std::uint8_t kStitchMarker[3] = {0x0A, 0xF6, 0x00};
// "dd", u32 4096, u32 0, u32 0, u32 4096, "xxPP", 1, 0 in every sample.
constexpr std::uint8_t kDesignConstant[24] = {0x64, 0x64, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00,
                                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0x10, 0x00, 0x78, 0x78, 0x50, 0x50, 0x01, 0x00};
// A long record is a travel when it is longer than a plain record holds.
constexpr int kPlainMost = 127;
// Micrometres a 0.1 mm unit.
constexpr int kMicrons = 100;

}  // namespace vp3

// Reads the first len bytes of design.m_fileData as a VP3 file.
void ReadVp3(CDesign& design, int len);

// Whether the bytes can be a VP3 file: false unless they start with
// "%vsm%" as far as they go.
bool PlausibleVp3(const ByteView& file);
