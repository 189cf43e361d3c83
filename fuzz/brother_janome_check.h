// The layout checks of the Brother (PES, PEC) and Janome (SEW) files the
// writers make, for the save-and-paint fuzz target.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/viewer_dlg.h"

// Empty when block is a PEC file (pes false) or a short PES file of the
// writer's layout for dlg's design: header, label field, colour count and
// list, stitch block length ending in the end byte, one icon per block and
// one more, each framed, row 0 empty, a drawn picture for a design with
// stitches; and it reads back sewing what the design sews, with that
// picture in the thumbnail.
std::string FindBrotherOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block, bool pes);

// Empty when block is a SEW file of the writer's layout: 1..12 colours, the
// word counts adding up to the stitch data, the picture descriptors, the
// end code last; and it reads back sewing what the design sews.
std::string FindSewOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block);
