// A line with a pen wider than one pixel (see render/capsule.h), drawn row by
// row and only where it meets the clip area; a stroke that would only paint
// pixels already in its colour is skipped (render/painted_cache.h).
#include <algorithm>

#include "render/device_context.h"
#include "render/stroke_spans.h"

namespace {

using i64 = std::int64_t;

}  // namespace

void CSoftDC::WideLine(i64 x0, i64 y0, i64 x1, i64 y1, int width, std::uint32_t rgb) {
  if (x0 == x1 && y0 == y1) return;
  if (m_clipLeft >= m_clipRight || m_clipTop >= m_clipBottom) return;
  m_painted.UseColor(rgb);
  const CStroke stroke{x0, y0, x1, y1, width};
  if (m_painted.KnowsStroke(stroke)) return;
  const CWideSpans spans(x0, y0, x1, y1, width,
                         {m_clipLeft, m_clipTop, m_clipRight, m_clipBottom});
  if (spans.Empty()) return;

  if (m_painted.Covers(spans.Bounds())) {
    m_painted.Learn(stroke, {});  // found at once next time
    return;
  }

  // Only a pen wider than a stamp's can fill a rectangle worth knowing.
  const bool track = width > CLineStamps::kMaxWidth;
  CFillTracker filled(m_clipLeft, m_clipRight - 1);
  if (spans.Exact() && m_nCapWidth != width) {
    FillCapTable(width, m_cap);
    m_nCapWidth = width;
  }
  spans.ForEach(INT64_MIN, INT64_MAX, m_cap.data(), [&](i64 y, i64 lo, i64 hi) {
    std::uint32_t* row = m_target.pixels.data() + y * m_target.width;
    std::fill(row + lo, row + hi + 1, rgb);
    if (track) filled.Row(y, lo, hi);
  });
  m_painted.Learn(stroke, filled.Best());
}
