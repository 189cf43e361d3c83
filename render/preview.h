// The preview frame's picture and the Brother picture's frame, drawn from
// what the dialog hands over: the design, how it is viewed, the palettes.
#pragma once
#include <cstdint>

#include "design/design.h"
#include "framework/platform.h"

// The two palettes the preview paints with (the dialog owns them).
struct CPalettes {
  const COLORREF* brother;  // kBrotherPaletteSlots entries
  const COLORREF* janome;   // kJanomePaletteEntries entries

  COLORREF BlockColor(const CDesign& design, int block) const {
    return design.BlockColorFrom(block, brother, janome);
  }
};

// How the design is viewed: magnification in percent, picture offsets in
// 0.1 mm, quarter turns clockwise.
struct CPreviewView {
  int zoomPercent = 100;
  int offsetX = 0;
  int offsetY = 0;
  int rotation = 0;
};

// Draws the design's records into the preview frame's pixels: one pen a
// colour block, scaled by the magnification, shifted by the offsets, turned
// by the rotation, from the frame's corner to the first record.
void PaintDesign(CPixelBuffer& frame, const CDesign& design, const CPreviewView& view,
                 const CPalettes& palettes);

// Draws the 48 x 38 one-bit picture, each pixel a 2 x 2 square, centred in
// the frame on white.
void PaintThumbnail(CPixelBuffer& frame, const std::uint8_t (&thumbnail)[kThumbnailBytes]);
