// Strokes painted from the last to the first, each pixel once: a pixel takes
// the colour of the first stroke given that reaches it and is never painted
// again. Every stroke's pixels depend on the stroke alone (its end points,
// the pen and the frame: render/stroke_spans.h, render/line_stamps.h), so
// this is exactly the picture of drawing the strokes in order over the same
// background, where a pixel shows the last stroke that reaches it. The work
// is bounded by the pixels, not by the strokes: a stroke that falls on
// decided pixels only is turned away by a few tests of a coarse map, and
// once every pixel is decided no earlier stroke can show at all.
//
// Layout: one bit per pixel, set while the pixel is undecided, each row in
// whole 64-bit words; tiles of kTileRows rows by one word, each keeping a
// box that holds its undecided pixels; above them levels of nodes, each
// keeping a box that holds its 2 x 2 nodes' (or tiles') boxes, up to one
// node for the whole frame. A box only ever has to hold the undecided
// pixels, which only become fewer: deciding a pixel marks its tile and the
// nodes above it, and a marked box is made tight again (from the boxes
// below it) when a stroke consults it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/platform.h"
#include "render/painted_cache.h"

class CLineStamps;
class CWideSpans;

class CReversePaint {
 public:
  // Strokes of a pen penPixels wide (1: the one-pixel line) into target,
  // cut to it; target's pixels stay as they are until a stroke decides them.
  CReversePaint(CPixelBuffer& target, int penPixels);
  ~CReversePaint();

  // Every pixel is decided: no stroke given from now on can show.
  bool Done() const { return m_nUndecided == 0; }

  // The line from (x0, y0) to (x1, y1) in device pixels, drawn before every
  // stroke given so far; it paints in rgb the pixels that none of them reached.
  [[gnu::always_inline]] void Stroke(std::int64_t x0, std::int64_t y0, std::int64_t x1,
                                     std::int64_t y1, std::uint32_t rgb) {
    if (x0 == x1 && y0 == y1) return;  // paints nothing with any pen
    const std::int64_t top = std::max<std::int64_t>(std::min(y0, y1) - m_nReach, 0);
    const std::int64_t bottom = std::min(std::max(y0, y1) + m_nReach, m_nHeight - 1);
    const std::int64_t left = std::max<std::int64_t>(std::min(x0, x1) - m_nReach, 0);
    const std::int64_t right = std::min(std::max(x0, x1) + m_nReach, m_nWidth - 1);
    if (top > bottom || left > right) return;
    const CPixelRect& open = *m_pRoot;
    if (open.right < left || right < open.left || open.bottom < top || bottom < open.top) return;
    StrokeNearUndecided(x0, y0, x1, y1, rgb, {left, top, right, bottom});
  }

 private:
  static constexpr int kTileShift = 4;
  static constexpr int kTileRows = 1 << kTileShift;

  // Rows and columns within the tile, inclusive; empty when rowLo > rowHi.
  struct CTileBox {
    std::int8_t rowLo = 0, rowHi = -1, colLo = 0, colHi = -1;
  };
  struct CLine {
    std::int64_t x0, y0, x1, y1;
  };
  // Level k of the nodes above the tiles (k >= 1).
  struct CLevel {
    std::int64_t rows, cols;
    std::vector<CPixelRect> boxes;
    std::vector<std::uint8_t> marked;
  };

  static std::uint64_t BitRange(std::int64_t lo, std::int64_t hi) {  // 0 <= lo <= hi < 64
    return (~std::uint64_t{0} << lo) & (~std::uint64_t{0} >> (63 - hi));
  }

  // reach: the box every pixel of the stroke lies in.
  void StrokeNearUndecided(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                           std::uint32_t rgb, const CPixelRect& reach);
  // A short line from its stamp; false when the stamp cannot be had.
  bool StampLine(const CLine& line, std::uint32_t rgb);
  // Any line; reach as for StrokeNearUndecided.
  void LongLine(const CLine& line, std::uint32_t rgb, const CPixelRect& reach);
  // Widens [paintLo, paintHi] by the rows within box where the line may
  // meet undecided pixels under node (r, c) of level k (0: the tiles).
  void RowsToPaint(int k, std::int64_t r, std::int64_t c, const CLine& line, const CPixelRect& box,
                   std::int64_t& paintLo, std::int64_t& paintHi);
  // Whether box (of a few tiles) may hold an undecided pixel.
  bool TilesMayHoldUndecided(const CPixelRect& box);
  // The box of node (r, c) of level k, made tight first if it is marked.
  CPixelRect NodeBox(int k, std::int64_t r, std::int64_t c);
  // A tile's box as it is, in pixels.
  CPixelRect TileRect(std::int64_t row, std::int64_t word) const {
    const CTileBox& t = m_tiles[static_cast<std::size_t>(row * m_nWords + word)];
    if (t.rowLo > t.rowHi) return {};
    const std::int64_t top = row << kTileShift, left = 64 * word;
    return {left + t.colLo, top + t.rowLo, left + t.colHi, top + t.rowHi};
  }
  std::int64_t Rows(int k) const { return k == 0 ? m_nTileRows : m_levels[k - 1].rows; }
  std::int64_t Cols(int k) const { return k == 0 ? m_nWords : m_levels[k - 1].cols; }
  int Top() const { return static_cast<int>(m_levels.size()); }
  // Columns that pixels of the line on rows [rowLo, rowHi] may lie in.
  bool ColumnsInRows(const CLine& line, std::int64_t rowLo, std::int64_t rowHi, std::int64_t& lo,
                     std::int64_t& hi) const;
  // Paints the line's undecided pixels on rows [rowLo, rowHi]; wide: its
  // spans, nullptr for the one-pixel line.
  void PaintRows(const CLine& line, const CWideSpans* wide, std::int64_t rowLo, std::int64_t rowHi,
                 std::uint32_t rgb);
  void DecideSpan(std::int64_t y, std::int64_t lo, std::int64_t hi, std::uint32_t rgb);
  void DecidePixel(std::int64_t x, std::int64_t y, std::uint32_t rgb) {
    std::uint64_t& word = m_undecided[static_cast<std::size_t>(y * m_nWords + (x >> 6))];
    const std::uint64_t bit = std::uint64_t{1} << (x & 63);
    if ((word & bit) == 0) return;
    word &= ~bit;
    m_pixels[y * m_nWidth + x] = rgb;
    --m_nUndecided;
    Mark(y >> kTileShift, x >> 6);
  }
  void Mark(std::int64_t row, std::int64_t word) {
    std::uint8_t& marked = m_tileMarked[static_cast<std::size_t>(row * m_nWords + word)];
    if (!marked) {
      marked = 1;
      MarkAbove(1, row >> 1, word >> 1);
    }
  }
  // Marks node (r, c) of level k and those above it, up to a marked one.
  void MarkAbove(int k, std::int64_t r, std::int64_t c);
  void RefreshTile(std::int64_t row, std::int64_t word);
  void RefreshNode(int k, std::int64_t r, std::int64_t c);

  std::uint32_t* m_pixels;
  std::int64_t m_nWidth, m_nHeight, m_nWords, m_nTileRows;
  int m_nPenPixels;
  std::int64_t m_nReach;  // how far a pixel may lie from the box of the line's end points
  std::int64_t m_nUndecided;
  std::vector<std::uint64_t> m_undecided;  // m_nWords a row
  std::vector<CTileBox> m_tiles;           // m_nWords a row of tiles
  std::vector<std::uint8_t> m_tileMarked;
  std::vector<CLevel> m_levels;         // m_levels[k - 1]: level k; the last one node
  const CPixelRect* m_pRoot = nullptr;  // the box of that node
  static constexpr int kSeenBits = 12;
  static constexpr std::size_t kSeenSlots = std::size_t{1} << kSeenBits;
  std::vector<CLine> m_seen;  // lines given, by a hash of their end points; zero length: none
  std::shared_ptr<CLineStamps> m_pStamps;  // for pens a stamp has, else none
  std::vector<std::int32_t> m_cap;         // FillCapTable(m_nPenPixels) for a wide pen
};
