// The 1-bit pictures that Brother and Janome files carry of their design for
// a machine's file list, drawn from the records a writer writes: a line
// between consecutive stitches of a block, none across a move or a colour
// change, and a lone stitch as its point, so that a design with stitches
// never gives a blank picture.
//
// Every picture of one size shares one transform, taken from the whole
// design's box, so that the pictures of single blocks line up with the
// picture of the whole design.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

// A picture in memory the caller owns: rows top to bottom, stride bytes a row.
struct CBitPicture {
  std::uint8_t* bits = nullptr;
  int stride = 0;
  bool lowBitLeft = true;  // bit 0 is the leftmost pixel of a byte (PEC); else bit 7 (SEW)

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
  // span 0 left out; a position x
  // goes to floor(left + (spanX - W s) / 2 + (x - minX) s + 0.5), held
  // inside the area; rows the same way.
  CPictureTransform(const CPictureArea& area, std::int32_t minX, std::int32_t minY, std::int32_t maxX,
                    std::int32_t maxY);
  int Column(std::int32_t x) const { return Map(std::int64_t{x} - m_minX, m_offsetX, m_area.left, m_area.spanX); }
  int Row(std::int32_t y) const { return Map(std::int64_t{y} - m_minY, m_offsetY, m_area.top, m_area.spanY); }

 private:
  int Map(std::int64_t fromMin, double offset, int low, int span) const;

  CPictureArea m_area;
  std::int32_t m_minX = 0, m_minY = 0;
  double m_scale = 0, m_offsetX = 0, m_offsetY = 0;
};

// Pictures drawn with one transform: the whole design (bits may be null:
// none) and one per written colour block (fewer: later blocks are drawn
// into none).
struct CPictureSet {
  CPictureTransform transform;
  CBitPicture whole;
  std::vector<CBitPicture> blocks;
};

// Draws the records a writer visits, in order, into every set.
class CPictureDrawer {
 public:
  explicit CPictureDrawer(std::span<CPictureSet> sets);
  // kind is KIND_STITCH, KIND_MOVE or KIND_COLOR, as the record walk gives it.
  void Visit(std::int32_t x, std::int32_t y, std::uint8_t kind);

 private:
  struct Pen {
    int column = 0, row = 0;
  };
  void Draw(const CPictureSet& set, Pen& pen, std::int32_t x, std::int32_t y);

  std::span<CPictureSet> m_sets;
  std::vector<Pen> m_pens;  // the last stitch's pixel, per set
  bool m_inChain = false;   // the last record was a stitch of this block
  std::size_t m_block = 0;
};

// Draws the line between two pixels, both ends included.
void DrawBitLine(const CBitPicture& picture, int x0, int y0, int x1, int y1);
