// The body of the writer and paint target.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/viewer_dlg.h"

// Loads the bytes with reader number `reader` (order of Formats()),
// chooses zoom button `zoom` (0..4: 100 to 300 %), turns the preview `turns`
// times and scrolls both bars to their ends, painting each time; then saves
// a DST and a PCS file. Aborts when the design breaks its invariants, when
// painting or saving changes it, when a written file breaks its layout, or
// when reading a written file back gives other colour changes or positions.
int FuzzSaveAndPaint(int reader, int turns, int zoom, const std::uint8_t* data, std::size_t size);

// Empty when block is a DST file as the writer makes them for dlg's design
// and reading it back keeps every colour change where the design has it
// (relative to record 0, which the file takes as its start); otherwise the
// fault.
std::string FindDstOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block);

// Empty when block is a PCS file of the writer's layout whose stitch count
// field matches its stitch and move records and reads back with that many,
// every record keeping its kind (a move stays a move) and its position
// within the rounding to 1/6 mm.
std::string FindPcsOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block);
