// The body of the writer and paint target.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/viewer_dlg.h"
#include "formats/formats.h"

// Loads the bytes with reader number `reader` (order of Formats()),
// chooses zoom button `zoom` (0..4: 100 to 300 %), turns the preview `turns`
// times and scrolls both bars to their ends, painting each time; then saves
// it in every written format. Aborts when the design breaks its invariants,
// when painting or saving changes it, when a written file breaks its layout,
// or when a written file read back sews other than the design.
int FuzzSaveAndPaint(int reader, int turns, int zoom, const std::uint8_t* data, std::size_t size);

// Empty when block is a DST file as the writer makes them for dlg's design
// and reading it back sews what the design sews (every penetration, travel
// and colour change); otherwise the fault.
std::string FindDstOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block);

// Empty when block is a PCS file of the writer's layout whose stitch count
// field matches its stitch and move records and reads back with that many,
// sewing what the design sews within the rounding to 1/6 mm.
std::string FindPcsOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block);

// The check of the format's file: its own layout where it has one here,
// and in any case that it reads back sewing what the design sews.
std::string FindOutputFault(const CViewerDlg& dlg, const FormatEntry& format,
                            const std::vector<std::uint8_t>& block);
