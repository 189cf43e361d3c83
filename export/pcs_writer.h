// Pfaff PCS writer.
#pragma once
#include <cstdint>
#include <vector>

#include "export/encoder.h"

CEncoded EncodePcs(const CDesign& design, const CEncodeRequest& request);

// The complete PCS file of the design. Returns the number of stitch records
// written; above 65535 the block is not a valid file (its count field
// cannot hold it) and must not be saved.
std::int64_t BuildPcsBlock(const CDesign& design, std::vector<std::uint8_t>& block);

// A distance in 0.1 mm as the 32-bit PCS value: whole 1/6 mm, rounded, and
// a zero fraction byte.
std::int32_t PcsUnits(std::int32_t d);
