// Husqvarna Viking / Pfaff VP3 writer.
#pragma once
#include "export/encoder.h"

// The design centred on its box, one colour block per thread; refused
// above 255 blocks, which the header cannot count.
CEncoded EncodeVp3(const CDesign& design, const CEncodeRequest& request);
