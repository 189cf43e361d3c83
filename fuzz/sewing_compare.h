// What a machine sews of a design, compared between a source and a file
// written from it and read back: the needle penetrations in order, the
// travels (moves) between them and the colour changes.
#pragma once
#include <string>
#include <vector>

#include "design/design.h"

struct SewingStep {
  int kind;  // KIND_STITCH (a penetration), KIND_MOVE (a travel, chains joined), KIND_COLOR
  int x, y;  // where the needle is after the step
};

// The design's own records as steps: consecutive moves joined into one
// travel to where the last ends, colour changes before the first
// penetration or after the last left out (they sew nothing).
std::vector<SewingStep> SewingSteps(const CDesign& design);

// Empty when written sews what source sews: the same penetrations in the
// same order at the same places relative to each other, wherever the file
// puts the design as a whole (within tolerance units on each axis), the
// same travels and colour changes between them. The written file may split a
// step longer than any record of the smallest format (121 units) into
// penetrations on its straight line, or travel along that line and
// penetrate only at its end, and may travel to the first penetration
// first. With paddedColorChanges (SEW, whose colour change ends in a zero
// step that our reader takes for a stitch) the written file may also hold a
// stitch right after a colour change where the needle already is.
// Otherwise the first difference, in words.
std::string SewingDifference(const std::vector<SewingStep>& source, const std::vector<SewingStep>& written,
                             int tolerance, bool paddedColorChanges = false);
