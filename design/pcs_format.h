// The PCS layout that the reader and the writer share (little-endian):
//   0       version (the writer puts 0x32)
//   1       hoop code (2: 80 mm square, 3: larger)
//   2..3    colour count (the table always has 16 entries)
//   4..67   colour table: 16 x 4 bytes red, green, blue, 0 (0x00BBGGRR)
//   68..69  number of stitch records (colour changes not counted)
//   70..    records of 9 bytes:
//             0..3  X, signed 32-bit in 1/1536 mm: byte 0 the fraction,
//                   bytes 1..3 whole 1/6 mm
//             4..7  Y, the same; Y points up
//             8     the record's type: 0x03 a colour change (its byte 0
//                   the colour index), 0x04 a move (a jump, not sewn),
//                   anything else a stitch (the writer puts 0x00)
//   then    (written files) 13 zero bytes and the signature
#pragma once
#include <cstdint>

namespace pcs {

constexpr std::int64_t kColorTableOffset = 4;
constexpr std::int64_t kStitchCountOffset = 68;
constexpr std::int64_t kRecordsOffset = 70;
constexpr std::int64_t kRecordSize = 9;
constexpr int kTableEntries = 16;

// Byte 8 of a record.
constexpr std::uint8_t kStitchType = 0x00;
constexpr std::uint8_t kColorChangeType = 0x03;
constexpr std::uint8_t kMoveType = 0x04;

// Positions count 1/1536 mm: 256 fraction steps to each 1/6 mm.
constexpr std::int32_t kStepsPerMm = 1536;

// What follows the records in a written file: 13 zero bytes, then the
// signature text, CR, LF and a zero byte.
constexpr std::uint8_t kTrailer[] = {0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
                                     0,   0,   'N', 'A', 'D', 'E', 'L', 'W', 'E', 'R', 'K',
                                     ' ', '1', '.', '0', '.', '5', 0x0D, 0x0A, 0x00};

}  // namespace pcs
