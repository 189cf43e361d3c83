// Tajima DST writer.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/encoder.h"

CEncoded EncodeDst(const CDesign& design, const CEncodeRequest& request);

// The complete DST file of the design: header with the label, records, end
// record.
void BuildDstBlock(const CDesign& design, std::vector<std::uint8_t>& block,
                   const std::string& label = std::string());

// One record of a move (dx, dy) in design units, each within -121..121.
std::array<std::uint8_t, 3> EncodeDstMove(std::int16_t dx, std::int16_t dy);
