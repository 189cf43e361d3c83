// Janome SEW writer.
#pragma once
#include <cstdint>
#include <vector>

#include "export/encoder.h"

CEncoded EncodeSew(const CDesign& design, const CEncodeRequest& request);

// The file without the checks: EncodeSew refuses a design of more than 12
// colour blocks or of a block longer than its word count can say; here only
// the first 12 blocks get header entries and the counts are held at 65535.
void BuildSewBlock(const CDesign& design, std::vector<std::uint8_t>& block);
