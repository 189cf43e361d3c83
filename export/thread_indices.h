// The thread index a writer gives each colour block in its format's chart.
//
// A block whose thread the file named in that chart keeps its index (an
// index outside the chart becomes the chart's fallback: Black). Every other
// block gets the chart entry nearest to the colour of its thread: the PCS
// file's colour, the colour of a Janome code for a Brother file and the
// reverse, the RGB of any format that carries colours. A DST design names no
// threads; its block k is taken as the PEC index the preview paints it in,
// 2 + (k mod 60). When nearest matching gives two neighbouring blocks of
// different colours one index, the later takes the next-nearest, so that
// the machine still shows a change of thread.
#pragma once
#include <cstdint>
#include <vector>

#include "design/design.h"

// PEC indices 1..64 of the design's blocks firstBlock .. firstBlock + count - 1.
std::vector<std::uint8_t> PecBlockIndices(const CDesign& design, int firstBlock, int count);

// Janome thread codes 1..78 of the same blocks.
std::vector<std::uint8_t> JanomeBlockCodes(const CDesign& design, int firstBlock, int count);

// The thread of block k as a writer takes it: the file's own, a DST block's
// preview index, else a thread of the colour the preview shows.
CThread SourceThread(const CDesign& design, int block);
