// Runs of plain DST stitches decoded 32 records at a time, where the
// processor has AVX2; the DST reader decodes everything else record by
// record.
#pragma once
#include <cstdint>

#include "design/design.h"

// Records a block holds: a run shorter than this is decoded record by record.
constexpr int kDstStitchBlock = 32;

// Whether this processor (and its system) can decode blocks. Asked once.
bool DstStitchBlocksAvailable();

// Decodes the plain stitches from p on (in whole blocks, at most count
// records) into xs and ys, starting after position (x, y), up to the first
// other record, widening bounds by them. Returns the number of stitches
// decoded; the block that holds the other record may have been written
// further. Only to be called when DstStitchBlocksAvailable().
int DecodeDstStitchBlocks(const std::uint8_t* p, int count, std::int16_t x, std::int16_t y,
                          std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds);
