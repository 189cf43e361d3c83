// A line with a pen wider than one pixel (see render/capsule.h), drawn row by
// row and only where it meets the clip area; a stroke that would only paint
// pixels already in its colour is skipped (render/painted_cache.h).
#include <algorithm>

#include "render/capsule.h"
#include "render/device_context.h"

namespace {

using i64 = std::int64_t;

}  // namespace

void CSoftDC::WideLine(i64 x0, i64 y0, i64 x1, i64 y1, int width, std::uint32_t rgb) {
  if (x0 == x1 && y0 == y1) return;
  if (m_clipLeft >= m_clipRight || m_clipTop >= m_clipBottom) return;
  m_painted.UseColor(rgb);
  const CStroke stroke{x0, y0, x1, y1, width};
  if (m_painted.KnowsStroke(stroke)) return;
  // Every pixel of the stroke within the clip area lies in box; the
  // floating-point edges may reach one pixel further than the exact ones.
  const i64 shift = width % 2 == 0 ? 1 : 0;
  const auto strokeBox = [&](i64 slack) {
    return CPixelRect{
        std::max<i64>(CeilHalf(2 * std::min(x0, x1) - shift - width) - slack, m_clipLeft),
        std::max<i64>(CeilHalf(2 * std::min(y0, y1) - shift - width) - slack, m_clipTop),
        std::min<i64>(FloorHalf(2 * std::max(x0, x1) - shift + width) + slack, m_clipRight - 1),
        std::min<i64>(FloorHalf(2 * std::max(y0, y1) - shift + width) + slack, m_clipBottom - 1)};
  };
  CPixelRect box = strokeBox(1);
  if (box.Empty()) return;
  const bool exact = ExactCapsuleApplies(x0, y0, x1, y1, width);
  if (exact) {
    box = strokeBox(0);
    if (box.Empty()) return;
  }

  if (m_painted.Covers(box)) {
    m_painted.Learn(stroke, {});  // found at once next time
    return;
  }

  // Only a pen wider than a stamp's can fill a rectangle worth knowing.
  const bool track = width > CLineStamps::kMaxWidth;
  CFillTracker filled(m_clipLeft, m_clipRight - 1);
  const auto fill = [&](i64 y, i64 lo, i64 hi) {
    lo = std::max<i64>(lo, m_clipLeft);
    hi = std::min<i64>(hi, m_clipRight - 1);
    if (lo > hi) return;
    std::uint32_t* row = m_target.pixels.data() + y * m_target.width;
    std::fill(row + lo, row + hi + 1, rgb);
    if (track) filled.Row(y, lo, hi);
  };
  if (exact) {
    if (m_nCapWidth != width) {
      FillCapTable(width, m_cap);
      m_nCapWidth = width;
    }
    CCapsuleRows rows(x0, y0, x1, y1, width, m_cap.data());
    rows.Start(box.top);
    for (i64 y = box.top; y <= box.bottom; ++y) {
      i64 lo, hi;
      if (rows.Next(lo, hi)) fill(y, lo, hi);
    }
  } else {
    const CFloatCapsule capsule(x0, y0, x1, y1, width);
    int first = 0, last = -1;
    if (!capsule.ReachesColumns(m_clipLeft, m_clipRight) ||
        !capsule.Rows(m_clipTop, m_clipBottom - 1, first, last))
      return;
    for (int y = first; y <= last; ++y) {
      i64 lo, hi;
      if (capsule.Span(y, lo, hi)) fill(y, lo, hi);
    }
  }
  m_painted.Learn(stroke, filled.Best());
}
