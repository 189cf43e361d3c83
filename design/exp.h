// Melco / Bernina EXP reader.
#pragma once
#include "design/design.h"

// Reads the first len bytes of design.m_fileData as an EXP file.
void ReadExp(CDesign& design, int len);

// Gives the design's blocks the preview's colours of a file that names
// none, as the DST reader does: block j paints in Brother palette entry j + 2.
void NumberBlocksForPreview(CDesign& design);
