#include "export/bit_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kFraction = 4294967296.0;  // 2^32
// Finer than any picture needs, and small enough that no product of a
// 16-bit distance with it leaves 64 bits.
constexpr double kMostPixelsPerUnit = 256;

}  // namespace

CPictureTransform::CPictureTransform(const CPictureArea& area, std::int32_t minX, std::int32_t minY,
                                     std::int32_t maxX, std::int32_t maxY)
    : m_area(area), m_minX(minX), m_minY(minY) {
  const double w = static_cast<double>(maxX) - minX, h = static_cast<double>(maxY) - minY;
  // An area of one row or column holds any extent on that axis.
  const double fitX = area.spanX > 0 ? area.spanX / std::max(w, 1.0) : area.maxScale;
  const double fitY = area.spanY > 0 ? area.spanY / std::max(h, 1.0) : area.maxScale;
  const double scale = std::min({fitX, fitY, area.maxScale, kMostPixelsPerUnit});
  m_step = std::max<std::int64_t>(std::llround(scale * kFraction), 1);
  m_baseX = std::llround((area.left + (area.spanX - w * scale) / 2 + 0.5) * kFraction);
  m_baseY = std::llround((area.top + (area.spanY - h * scale) / 2 + 0.5) * kFraction);
}

double CPictureTransform::Centre(int pixel, std::int64_t base) const {
  return (pixel + 0.5 - static_cast<double>(base) / kFraction) / (static_cast<double>(m_step) / kFraction);
}

int CPictureTransform::MapFraction(double fromMin, std::int64_t base, int low, int span) const {
  const double p = std::floor((static_cast<double>(base) + fromMin * static_cast<double>(m_step)) / kFraction);
  return p < low ? low : p > low + span ? low + span : static_cast<int>(p);
}

void CPictureDrawer::DrawLine(const CBitPicture& picture, int x0, int y0, int x1, int y1) {
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

void MergeBitPictures(std::span<const CBitPicture> pictures, int width, int height, const CBitPicture& into) {
  const int rowBytes = (width + 7) / 8;
  for (const CBitPicture& p : pictures)
    for (int y = 0; y < height; ++y)
      for (int b = 0; b < rowBytes; ++b) into.bits[y * into.stride + b] |= p.bits[y * p.stride + b];
}

void ScaleBitPicture(const CBitPicture& from, const CPictureTransform& fromTransform, int width, int height,
                     const CBitPicture& to, const CPictureTransform& toTransform) {
  std::vector<int> columns(static_cast<std::size_t>(width)), rows(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x)
    columns[static_cast<std::size_t>(x)] = toTransform.ColumnAt(fromTransform.ColumnCentre(x));
  for (int y = 0; y < height; ++y)
    rows[static_cast<std::size_t>(y)] = toTransform.RowAt(fromTransform.RowCentre(y));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if ((x & 7) == 0 && from.bits[y * from.stride + (x >> 3)] == 0) {
        x += 7;  // eight blank pixels
        continue;
      }
      if (from.Get(x, y)) to.Set(columns[static_cast<std::size_t>(x)], rows[static_cast<std::size_t>(y)]);
    }
}
