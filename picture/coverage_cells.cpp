#include "picture/coverage_cells.h"

#include <algorithm>
#include <cmath>

CCoverageCells::CCoverageCells(double minX, double minY, double maxX, double maxY, double lineWidth,
                               double band, std::size_t lines)
    : m_band(band * lineWidth) {
  if (!(lineWidth > 0)) return;
  const double inverse = 3 / lineWidth;  // cells a third of the width
  // As the tests compute a cell, so that no point of the extent falls past the last.
  const double columns = std::floor((maxX - minX) * inverse) + 1;
  const double rows = std::floor((maxY - minY) * inverse) + 1;
  if (!(columns >= 1 && rows >= 1) || columns * rows > static_cast<double>(kMaxCells)) return;
  m_minX = minX;
  m_minY = minY;
  m_inverse = inverse;
  m_columns = static_cast<int>(columns);
  m_rows = static_cast<int>(rows);
  m_cells.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), 0);
  while (m_rememberedBits < 18 && (std::size_t{4} << m_rememberedBits) < lines) ++m_rememberedBits;
  m_rememberedLine.assign(std::size_t{1} << m_rememberedBits, 0);
  m_rememberedStamp.assign(std::size_t{1} << m_rememberedBits, 0);
}

// Calls at(cell) for n + 1 evenly spaced points from (x0, y0) to (x1, y1):
// in cell coordinates, 16.16 fixed point, stepped by additions, so that the
// test and the stamps of one line meet the same cells.
template <class At>
bool CCoverageCells::ForPoints(double x0, double y0, double x1, double y1, int n, At at) const {
  constexpr double kOne = 65536;
  const double fx0 = (x0 - m_minX) * m_inverse, fy0 = (y0 - m_minY) * m_inverse;
  const double fx1 = (x1 - m_minX) * m_inverse, fy1 = (y1 - m_minY) * m_inverse;
  // floor(v * kOne) without a call: truncation of a value made positive.
  constexpr double kBias = 4294967296.0;
  auto fixed = [](double v) {
    return static_cast<std::int64_t>(v * kOne + kBias) - static_cast<std::int64_t>(kBias);
  };
  std::int64_t x = fixed(fx0), y = fixed(fy0);
  const std::int64_t dx = n ? fixed((fx1 - fx0) / n) : 0, dy = n ? fixed((fy1 - fy0) / n) : 0;
  const std::int64_t lastColumn = m_columns - 1, lastRow = m_rows - 1;
  for (int i = 0; i <= n; ++i, x += dx, y += dy) {
    const std::int64_t column = std::clamp<std::int64_t>(x >> 16, 0, lastColumn);
    const std::int64_t row = std::clamp<std::int64_t>(y >> 16, 0, lastRow);
    if (!at(static_cast<std::size_t>(row * m_columns + column))) return false;
  }
  return true;
}

// Steps of at most one cell along the line.
int CCoverageCells::Steps(double x0, double y0, double x1, double y1) const {
  const double cells = std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)) * m_inverse;
  return static_cast<int>(std::min(std::ceil(cells), 1e9));
}

bool CCoverageCells::Covered(int x0, int y0, int x1, int y1) {
  if (m_cells.empty()) return false;
  auto bits = [](int v) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(v)); };
  const std::uint64_t line = bits(x0) | bits(y0) << 16 | bits(x1) << 32 | bits(y1) << 48;
  const std::size_t slot = static_cast<std::size_t>((line * 0x9E3779B97F4A7C15u) >> (64 - m_rememberedBits));
  if (m_rememberedStamp[slot] == m_stamp && m_rememberedLine[slot] == line) return true;
  const bool covered = ForPoints(x0, y0, x1, y1, std::min(Steps(x0, y0, x1, y1), kSamples - 1),
                                 [this](std::size_t cell) { return m_cells[cell] == m_stamp; });
  if (covered) {
    m_rememberedLine[slot] = line;
    m_rememberedStamp[slot] = m_stamp;
  }
  return covered;
}

void CCoverageCells::Mark(double x0, double y0, double x1, double y1) {
  if (m_cells.empty()) return;
  // Points of the line at steps of at most a cell: each lands in a cell the
  // line passes through (to within the fixed point's 1/65536 of a cell),
  // which is all that a stamp may claim. The sampled points are stamped
  // too, so that the same stitch again is skipped and a block draws at most
  // one stitch per cell.
  auto stamp = [this](std::size_t cell) { return (m_cells[cell] = m_stamp) != 0; };
  const int steps = Steps(x0, y0, x1, y1);
  ForPoints(x0, y0, x1, y1, steps, stamp);
  if (steps > kSamples - 1) ForPoints(x0, y0, x1, y1, kSamples - 1, stamp);
  if (m_band <= 0) return;
  const double length = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
  if (length <= 0) return;
  const double nx = -(y1 - y0) / length * m_band, ny = (x1 - x0) / length * m_band;
  ForPoints(x0 + nx, y0 + ny, x1 + nx, y1 + ny, steps, stamp);
  ForPoints(x0 - nx, y0 - ny, x1 - nx, y1 - ny, steps, stamp);
}
