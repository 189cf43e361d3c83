// The one drawing of a design with cairo, which the thumbnails, the vector
// pictures and the worksheet all use: every sewn stitch as an anti-aliased
// line with round ends and joins, moves not drawn, each colour block in its
// thread's colour (the chart's or the file's; the preview's where the file
// names none), one path per block (consecutive blocks of one colour share
// it; pictures in pixels stroke it in parts, see CStitchStyle). A very light
// thread (white, cream, yellow) gets a thin darker edge under its line, so
// that it shows on white paper and on a transparent background over a light
// one.
//
// Cairo is this layer's own: no header outside picture/ includes it.
#pragma once
#include <cairo.h>

#include "design/design.h"

// The needle's path runs in design units (0.1 mm, Y down); a thread is
// about 0.4 mm thick.
inline constexpr double kThreadWidthUnits = 4.0;
// Points (1/72 in) per design unit: 72 / 254.
inline constexpr double kPointsPerUnit = 72.0 / 254.0;

// The smallest and largest X and Y of the lines a drawing draws: the ends
// of every stitch of non-zero length.
struct CSewnExtent {
  int minX = 0, minY = 0, maxX = -1, maxY = -1;
  bool Empty() const { return minX > maxX; }
  int Width() const { return maxX - minX; }
  int Height() const { return maxY - minY; }
};
CSewnExtent SewnExtent(const CDesign& design);

struct CStitchStyle {
  double lineWidth = kThreadWidthUnits;  // in design units
  double edgeWidth = 1.0;                // a light thread's edge, each side, in design units
  double coverageBand = 0;               // CCoverageCells' band: kPixelBand for pixels
  // Lines stroked together at most: cairo's scan conversion of one path of
  // many thousand overlapping strokes costs more than that of the same
  // strokes in parts (0: the whole block as one path, as vector pictures
  // want it).
  int linesPerStroke = 0;
  // Consecutive lines whose points all lie within this distance of one
  // straight line are drawn as that line (a fill's row of short stitches);
  // 0: only lines that go on in exactly the same direction.
  double mergeTolerance = 0;
};

// Whether a thread colour is light enough to fade on white: a luminance
// (Rec. 709 weights) of at least 170 of 255. Every darker colour differs
// from white by more than a third in some channel.
bool IsVeryLight(COLORREF color);
// The edge colour of a very light thread: the same hue at 55 %.
COLORREF EdgeColor(COLORREF color);

// Draws the design, whose SewnExtent is extent, into cr, whose matrix maps
// design units to the output; cr's source, line width, cap and join are
// changed, its path is left empty.
void DrawDesign(cairo_t* cr, const CDesign& design, const CSewnExtent& extent, const CStitchStyle& style);
