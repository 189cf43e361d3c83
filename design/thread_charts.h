// The thread charts that files name their colours by, and the two palettes
// the preview paints with. Each is written once, here; the readers take
// names and colours from them, the writers pick indices from them.
#pragma once
#include <cstdint>
#include <span>

#include "design/design.h"

// One entry of a maker's chart. rgb is written 0xRRGGBB as charts give it.
struct CChartEntry {
  std::uint32_t rgb;
  const char* name;
  const char* number;  // the maker's catalogue number; empty where none is known
};

constexpr COLORREF FromRgb(std::uint32_t rgb) { return RGB(rgb >> 16, rgb >> 8, rgb); }

// Brother's PEC thread indices 0..64 (0 is no colour) with the colours and
// names other programs show for them, and the Brother number a machine
// shows where it is known.
std::span<const CChartEntry> PecChart();
// Janome's thread codes 0..78 (0 is no colour).
std::span<const CChartEntry> JanomeChart();
// Husqvarna Viking's thread table 0..28 as HUS files index it (0 is Black).
std::span<const CChartEntry> HusqvarnaChart();

// Fills the preview's two palettes: the Brother one for indices 0..61 (62
// and 63 stay black), the Janome one for SEW's codes 0..79.
void FillPreviewPalettes(COLORREF (&brother)[kBrotherPaletteSlots], COLORREF (&janome)[kJanomePaletteEntries]);

// The entry of chart nearest to color among indices first..last, by the
// red-weighted distance ((512 + rm) dr^2 >> 8) + 4 dg^2 + ((767 - rm) db^2
// >> 8), rm the mean red; ties go to the lowest index. An index in skip is
// passed over (-1: none), so that a caller can keep two neighbouring blocks
// apart.
int NearestChartIndex(std::span<const CChartEntry> chart, int first, int last, COLORREF color,
                      int skip = -1);

// The thread a file names by index of chart: its colour, name, number and
// brand; a thread with only the fallback colour when the index has no entry.
CThread ChartThread(ThreadChart chart, int index);

// The colour block k is painted in by the preview, with the palettes as the
// dialog fills them.
COLORREF PreviewBlockColor(const CDesign& design, int block);

// The thread of block k: the file's own where it gave one, otherwise a
// thread of the colour the preview paints the block in (chart none).
CThread BlockThread(const CDesign& design, int block);
