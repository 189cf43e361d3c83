// The compressed streams of HUS and VIP files: LZ77 with canonical Huffman
// codes, one stream per record field (command, X step, Y step), each decoded
// on its own from a fresh state.
//
// Bits are read from bit 7 of each byte on, a k-bit number most significant
// bit first; bits past the end read as 0. A stream is a run of blocks, each
//   16 bits     T, the tokens of the block (0: corrupt)
//   CL code     code lengths of the length code, 19 symbols (small code)
//   LL code     literals 0..255, copies 256..509 (length s - 253), end 510
//   D code      distance classes 0..14 (small code)
//   T tokens    an LL symbol each; a copy adds a D symbol d and, for d > 1,
//               d - 1 bits: distance 0 for d = 0, else 2^(d-1) + bits; the
//               copy starts distance + 1 bytes before the end of the output
// Small code: 5 bits m; m = 0: 5 bits v, a code that gives v and reads
// nothing; else m lengths of 3 bits, 7 followed by one 1 bit per extra unit
// up to a 0 bit; in the CL code 2 bits z after the third length skip z
// symbols. LL code: 9 bits m; m = 0: 9 bits v, a constant code; else m
// lengths given by CL symbols (0: one unused, 1: 3 + 4 bits unused, 2: 20 +
// 9 bits unused, c >= 3: length c - 2).
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/array.h"

namespace hus {

// The most records a header may claim: each stream's output is capped at
// the claimed count, and a claim above this is refused before anything is
// decoded. The largest real design seen has 11,769; ten million stitches
// would take a machine days.
constexpr std::uint32_t kMaxRecords = 2'000'000;

enum class StreamStop : std::uint8_t {
  endToken,   // the stream's own end
  full,       // the output reached the cap
  inputUsed,  // every bit of the input was read
  cut,        // a token ran past the input: it is dropped
  corrupt,    // a header or token the format does not allow
};

// Expands the compressed bytes data[0..size) into out (resized to what was
// produced), at most cap bytes. Every token adds at least one byte, and a
// stream may have at most 16 + cap / 64 blocks (more is taken as corrupt),
// so the work is bounded by cap tokens and that many block headers.
// Throws std::bad_alloc when out cannot grow.
StreamStop ExpandStream(const std::uint8_t* data, std::size_t size, std::size_t cap,
                        CArray<std::uint8_t>& out);

}  // namespace hus
