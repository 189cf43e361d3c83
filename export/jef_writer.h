// Janome JEF writer.
#pragma once
#include <vector>

#include "export/encoder.h"

// The design centred on its box in the smallest hoop that holds it as it
// is turned; refused when no JEF hoop does.
CEncoded EncodeJef(const CDesign& design, const CEncodeRequest& request);

// The Janome chart index each of the design's colour blocks is written
// with: the file's own Janome index where the block has one, else the
// chart colour nearest to the block's, and never the index of the block
// before (a machine does not stop between two blocks of one index).
std::vector<int> JefThreadIndices(const CDesign& design, int blocks);
