#include "export/bit_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "design/design.h"

CPictureTransform::CPictureTransform(const CPictureArea& area, std::int32_t minX, std::int32_t minY,
                                     std::int32_t maxX, std::int32_t maxY)
    : m_area(area) {
  const double w = static_cast<double>(maxX) - minX, h = static_cast<double>(maxY) - minY;
  // An area of one row or column holds any extent on that axis.
  const double fitX = area.spanX > 0 ? area.spanX / std::max(w, 1.0) : area.maxScale;
  const double fitY = area.spanY > 0 ? area.spanY / std::max(h, 1.0) : area.maxScale;
  m_scale = std::min({fitX, fitY, area.maxScale});
  m_minX = minX;
  m_minY = minY;
  m_offsetX = area.left + (area.spanX - w * m_scale) / 2 + 0.5;
  m_offsetY = area.top + (area.spanY - h * m_scale) / 2 + 0.5;
}

int CPictureTransform::Map(std::int64_t fromMin, double offset, int low, int span) const {
  // From the box's edge, so that a design moved as a whole draws the same.
  const double p = std::floor(offset + static_cast<double>(fromMin) * m_scale);
  return p < low ? low : p > low + span ? low + span : static_cast<int>(p);
}

void DrawBitLine(const CBitPicture& picture, int x0, int y0, int x1, int y1) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    picture.Set(x0, y0);
    if (x0 == x1 && y0 == y1) return;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

CPictureDrawer::CPictureDrawer(std::span<CPictureSet> sets) : m_sets(sets), m_pens(sets.size()) {}

void CPictureDrawer::Draw(const CPictureSet& set, Pen& pen, std::int32_t x, std::int32_t y) {
  const int column = set.transform.Column(x), row = set.transform.Row(y);
  // Most stitches of a dense design stay on the pixel of the one before.
  if (m_inChain && column == pen.column && row == pen.row) return;
  const Pen from = m_inChain ? pen : Pen{column, row};
  if (set.whole.bits) DrawBitLine(set.whole, from.column, from.row, column, row);
  if (m_block < set.blocks.size()) DrawBitLine(set.blocks[m_block], from.column, from.row, column, row);
  pen = {column, row};
}

void CPictureDrawer::Visit(std::int32_t x, std::int32_t y, std::uint8_t kind) {
  if (kind == KIND_COLOR) {
    ++m_block;
    m_inChain = false;
    return;
  }
  if (kind != KIND_STITCH) {
    m_inChain = false;
    return;
  }
  for (std::size_t i = 0; i < m_sets.size(); ++i) Draw(m_sets[i], m_pens[i], x, y);
  m_inChain = true;
}
