// Runs of the two-byte stitch records that JEF and VP3 share: dx and dy as
// signed bytes, a first byte of 0x80 starting a command instead. The
// readers decode such runs straight into the record arrays (AddStitchRun).
#pragma once
#include <cstdint>

#include "design/design.h"

constexpr std::uint8_t kByteStitchEscape = 0x80;

// Decodes the stitches from at on, at most most of them (the caller has
// checked that 2 * most bytes lie inside the file), up to the first record
// whose first byte is the escape: positions after (x, y) into xs and ys,
// dy counted in yDirection (+1, or -1 for a file whose Y points up). Leaves
// (x, y) on the last position, widens bounds by every position and returns
// the number of stitches.
int DecodeByteStitches(const std::uint8_t* at, int most, int yDirection, std::int16_t& x, std::int16_t& y,
                       std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds);
