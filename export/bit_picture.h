// The 1-bit pictures that Brother and Janome files carry of their design for
// a machine's file list, drawn from the records a writer writes: a line
// between consecutive stitches of a block, none across a move or a colour
// change, and a lone stitch as its point, so that a design with stitches
// never gives a blank picture.
//
// Every picture of one size shares one transform, taken from the whole
// design's box, so that the pictures of single blocks line up with the
// picture of the whole design; the whole design's picture is the union of
// its blocks' pictures. Pictures of other sizes are taken from a drawn one
// (ScaleBitPicture), so that each stitch is drawn once.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "design/design.h"

// A picture in memory the caller owns: rows top to bottom, stride bytes a row.
struct CBitPicture {
  std::uint8_t* bits = nullptr;
  int stride = 0;
  bool lowBitLeft = true;  // bit 0 is the leftmost pixel of a byte (PEC); else bit 7 (SEW)

  bool Get(int x, int y) const {
    const std::uint8_t byte = bits[y * stride + (x >> 3)];
    return (lowBitLeft ? byte >> (x & 7) : byte << (x & 7) >> 7) & 1;
  }
  void Set(int x, int y) const {
    std::uint8_t& byte = bits[y * stride + (x >> 3)];
    byte = static_cast<std::uint8_t>(byte | (lowBitLeft ? 1u << (x & 7) : 0x80u >> (x & 7)));
  }
};

// Where a picture shows the design: the box minX..maxX, minY..maxY fitted
// into the columns left..left + spanX and the rows top..top + spanY and
// centred there, at no more than maxScale pixels per unit.
struct CPictureArea {
  int left = 0, top = 0, spanX = 0, spanY = 0;
  double maxScale = 1e9;
};

class CPictureTransform {
 public:
  CPictureTransform() = default;
  // s = min(spanX / max(W, 1), spanY / max(H, 1), maxScale), an axis of
  // span 0 left out; a position x goes to floor(left + (spanX - W s) / 2 +
  // (x - minX) s + 0.5), held inside the area; rows the same way. Computed
  // in fixed point with 32 bits of fraction, once per position.
  CPictureTransform(const CPictureArea& area, std::int32_t minX, std::int32_t minY, std::int32_t maxX,
                    std::int32_t maxY);
  int Column(std::int32_t x) const { return Map(std::int64_t{x} - m_minX, m_baseX, m_area.left, m_area.spanX); }
  int Row(std::int32_t y) const { return Map(std::int64_t{y} - m_minY, m_baseY, m_area.top, m_area.spanY); }
  const CPictureArea& Area() const { return m_area; }
  // Where the centre of a column or row lies, in units from the box's edge.
  double ColumnCentre(int column) const { return Centre(column, m_baseX); }
  double RowCentre(int row) const { return Centre(row, m_baseY); }
  // The column or row of a point that far from the box's edge.
  int ColumnAt(double fromMin) const { return MapFraction(fromMin, m_baseX, m_area.left, m_area.spanX); }
  int RowAt(double fromMin) const { return MapFraction(fromMin, m_baseY, m_area.top, m_area.spanY); }

 private:
  int Map(std::int64_t fromMin, std::int64_t base, int low, int span) const {
    // From the box's edge, so that a design moved as a whole draws the same.
    const std::int64_t p = (base + fromMin * m_step) >> 32;
    return p < low ? low : p > low + span ? low + span : static_cast<int>(p);
  }
  int MapFraction(double fromMin, std::int64_t base, int low, int span) const;
  double Centre(int pixel, std::int64_t base) const;

  CPictureArea m_area;
  std::int32_t m_minX = 0, m_minY = 0;
  std::int64_t m_step = 0, m_baseX = 0, m_baseY = 0;  // s and the offsets, times 2^32
};

// Draws the records a writer visits, in order, each block into its own
// picture (none past the last given), bit 0 the leftmost pixel.
class CPictureDrawer {
 public:
  CPictureDrawer(const CPictureTransform& transform, std::span<const CBitPicture> blocks)
      : m_transform(transform), m_blocks(blocks) {}
  // kind is KIND_STITCH, KIND_MOVE or KIND_COLOR, as the record walk gives it.
  [[gnu::always_inline]] void Visit(std::int32_t x, std::int32_t y, std::uint8_t kind) {
    if (kind != KIND_STITCH) {
      m_block += kind == KIND_COLOR;
      m_inChain = false;
      return;
    }
    const int column = m_transform.Column(x), row = m_transform.Row(y);
    // Most stitches of a dense design stay on the pixel of the one before
    // or move to a neighbour of it: one pixel to set (again, maybe).
    const bool near = static_cast<unsigned>(column - m_column + 1) <= 2u &&
                      static_cast<unsigned>(row - m_row + 1) <= 2u;
    if (m_block < m_blocks.size()) {
      const CBitPicture& picture = m_blocks[m_block];
      if (near || !m_inChain)
        picture.bits[row * picture.stride + (column >> 3)] |= static_cast<std::uint8_t>(1u << (column & 7));
      else
        DrawLine(picture, m_column, m_row, column, row);
    }
    m_column = column;
    m_row = row;
    m_inChain = true;
  }

  // Draws the line between two pixels, both ends included.
  static void DrawLine(const CBitPicture& picture, int x0, int y0, int x1, int y1);

 private:
  CPictureTransform m_transform;
  std::span<const CBitPicture> m_blocks;
  int m_column = 0, m_row = 0;  // the last stitch's pixel
  bool m_inChain = false;       // the last record was a stitch of this block
  std::size_t m_block = 0;
};

// ORs the pictures of width x height pixels into `into`.
void MergeBitPictures(std::span<const CBitPicture> pictures, int width, int height, const CBitPicture& into);

// Sets in `to` each pixel that the centre of a set pixel of `from` (width
// x height pixels, drawn with fromTransform) falls in under toTransform:
// the same design at another size.
void ScaleBitPicture(const CBitPicture& from, const CPictureTransform& fromTransform, int width, int height,
                     const CBitPicture& to, const CPictureTransform& toTransform);
