// What bounds the drawing of a design by the area it covers rather than by
// its number of stitches. A design of 16.8 million stitches between random
// points of a 1 mm square is a few hundred strokes deep everywhere; drawn
// stroke by stroke it takes tens of seconds at any size.
//
// Within one colour block the strokes are unioned (one path, stroked once),
// so a stitch whose whole stroke lies inside what the block already covers
// changes no pixel and need not be drawn. The cells tell which parts are
// covered: square cells of a third of the line width at most, so that a
// cell that a drawn stitch's centre line passes through lies wholly inside
// that stitch's stroke (every point of the cell is within the cell's
// diagonal, 0.47 widths < half a width, of the line). A drawn stitch stamps
// the cells along its centre line with the block's number.
//
// A stitch is skipped when the cells at up to kSamples evenly spaced points
// of its centre line all carry the current block's stamp. This is the
// simplification: the test looks at the centre line only, and at samples of
// it, so a skipped stitch can lose a sliver beside what is covered, at most
// a third of a line width wide; a stitch that runs into uncovered ground is
// always drawn. Short stitches (sub-cell steps of a dense fill) fall into one
// or two cells and are tested exactly. Each drawn stitch stamps at least one
// cell that was not the block's yet, so a block draws at most one stitch per
// cell, and each stitch costs at most kSamples lookups: the time of a
// drawing is bounded by its area, and by a small constant per stitch.
//
// Pictures in pixels go further (kPixelBand): a drawn stitch also stamps
// the cells under two lines beside its centre, 0.45 widths to either side.
// Those cells are mostly inside its stroke (their far corners at most 0.42
// widths outside it), so that the next row of a satin column or a fill, a
// pixel beside the last under lines of nearly three at 256 pixels, counts
// as covered when the row after it covers what it would add: about half
// the rows of such areas are not drawn, and cairo's anti-aliased scan
// conversion, which costs by the edges it is given, has half the work.
// What a picture loses is a sliver under half a line wide where a row ends.
#pragma once
#include <cstdint>
#include <vector>

inline constexpr double kPixelBand = 0.45;

class CCoverageCells {
 public:
  static constexpr int kSamples = 9;
  // More cells than this (a huge design drawn at a fine line width) and
  // nothing is skipped: everything is drawn.
  static constexpr std::int64_t kMaxCells = std::int64_t{1} << 22;

  // Cells over [minX, maxX] x [minY, maxY] (in the drawing's units, the
  // area every tested point lies in), for lines lineWidth wide. A band
  // above 0 also stamps the cells of two lines beside the centre line, that
  // fraction of the width to either side: cells that are only mostly
  // covered then count as covered (see kPixelBand).
  // Up to `lines` lines will be tested: the memory of covered lines is
  // sized by it.
  CCoverageCells(double minX, double minY, double maxX, double maxY, double lineWidth,
                 double band = 0, std::size_t lines = 0);

  // A new colour block: nothing is covered by it yet.
  void NextBlock() { ++m_stamp; }
  // Whether the stitch from (x0, y0) to (x1, y1) adds nothing the current
  // block does not cover already (by the sampled test above). Lines found
  // covered are remembered, so that a stitch repeated (as in a pile of
  // random stitches between a few points) costs one look-up.
  bool Covered(int x0, int y0, int x1, int y1);
  // Records a drawn stitch.
  void Mark(double x0, double y0, double x1, double y1);

 private:
  template <class At>
  bool ForPoints(double x0, double y0, double x1, double y1, int n, At at) const;
  int Steps(double x0, double y0, double x1, double y1) const;

  double m_minX = 0, m_minY = 0, m_inverse = 0, m_band = 0;
  int m_columns = 0, m_rows = 0;
  std::uint32_t m_stamp = 1;
  std::vector<std::uint32_t> m_cells;  // empty: nothing is ever skipped
  // Lines found covered, by a hash of their ends: the line and the stamp
  // of the block it was covered in.
  // A slot for about every fourth line tested, 2^10 to 2^18 of them.
  int m_rememberedBits = 10;
  std::vector<std::uint64_t> m_rememberedLine;
  std::vector<std::uint32_t> m_rememberedStamp;
};
