// The pictures of a whole design drawn with cairo: a thumbnail in pixels
// and vector pictures at true size.
#pragma once
#include <cstdint>
#include <vector>

#include "design/design.h"
#include "framework/platform.h"

// Draws the design as a thumbnail, size pixels on the larger side of the
// drawing and as many on the other as the aspect gives (at least one), on
// a transparent background: each pixel's top byte is its transparency,
// 0 opaque to 255 transparent (the PNG writer's alpha), the colour not
// premultiplied. Returns false, leaving picture empty, when the design has
// no stitch of any length to draw; size below 1 counts as 1. Throws
// std::bad_alloc when the memory runs out.
bool DrawDesignThumbnail(const CDesign& design, int size, CPixelBuffer& picture);

// The line width in pixels of a thumbnail of size pixels whose drawing has
// unitsToPixels pixels per design unit: the thread's true width, but no
// thinner than a 96th of the picture (so that a large design still reads)
// and no thicker than a 32nd (so that a tiny one does not become a blot).
double ThumbnailLineWidth(int size, double unitsToPixels);

// How far, in pixels, a thumbnail's round ends and joins may stray from the
// circle (cairo's tolerance; its default is a tenth of a pixel). Cairo
// draws a round end as a polygon with as few corners as the tolerance
// allows: at the usual width of 2.7 pixels, 6 instead of 18, which stray
// by a fifth of a pixel; large designs' thumbnails take about a seventh
// fewer instructions.
inline constexpr double kThumbnailTolerance = 0.75;

enum class VectorFormat { svg, pdf };

// The design at true size (one design unit 0.1 mm, 72 / 254 pt): the page
// is the drawing's extent. Empty when the design has no stitch of any
// length. Throws std::bad_alloc when the memory runs out,
// std::runtime_error when cairo fails otherwise.
std::vector<std::uint8_t> DesignVectorPicture(const CDesign& design, VectorFormat format);
