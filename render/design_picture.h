// The whole loaded design as one picture, the way a file manager shows a
// design file: only what is sewn (moves lift the pen and draw nothing), each
// colour block in the colour the preview gives it, on a background the
// caller chooses, scaled so that the larger side of the drawing fills the
// picture's size and the other side keeps the aspect.
#pragma once
#include <cstdint>

#include "design/design.h"
#include "framework/platform.h"
#include "render/preview.h"

// Pen width in pixels for a picture whose larger side is size: two at 128,
// three at 256, so that running stitches still read and fills close.
int DesignPicturePenWidth(int size);

// Draws the design into picture, in the palettes' block colours. The
// picture becomes size pixels on the larger side of the drawing and as many
// on the other as the aspect gives (at least the pen's width), filled with
// background where nothing is sewn. Returns
// false, leaving picture empty, when the design has no stitch of any length
// to draw (no design loaded, none decoded, or only moves); size below 1
// counts as 1.
bool DrawDesignPicture(const CDesign& design, const CPalettes& palettes, int size,
                       std::uint32_t background, CPixelBuffer& picture);
