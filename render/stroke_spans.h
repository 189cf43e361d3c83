// The pixels of one stroke as the device context paints them, worked out
// within a clip rectangle and, for wide pens, a range of rows: the device
// context fills them, and the paint that decides pixels from the last
// stroke to the first (render/reverse_paint.h) walks them over its own
// bookkeeping. One definition for both keeps their pixels the same.
#pragma once
#include <algorithm>
#include <cstdint>

#include "render/capsule.h"
#include "render/painted_cache.h"

struct CClipRect {
  std::int64_t left, top, right, bottom;  // right and bottom exclusive
  bool Empty() const { return left >= right || top >= bottom; }
};

// The steps of a one-pixel line (render/thin_line.cpp) inside a clip
// rectangle: count pixels from (x, y); after each one the major step is
// taken, and the minor step too whenever error + twoMinor turns
// non-negative (error then drops by twoMajor).
struct CThinSteps {
  std::int64_t count = 0;
  std::int64_t x = 0, y = 0;
  std::int64_t error = 0, twoMinor = 0, twoMajor = 0;
  std::int64_t majorX = 0, majorY = 0, minorX = 0, minorY = 0;
};

// False when no step of the line lies in clip; the end point is never one.
bool ThinStepsInClip(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                     const CClipRect& clip, CThinSteps& steps);

// The spans of a round-capped stroke of width >= 2 pixels (render/capsule.h)
// inside a clip rectangle, as the device context draws it: in integers where
// ExactCapsuleApplies, else in floating point.
class CWideSpans {
 public:
  CWideSpans(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int width,
             const CClipRect& clip)
      : m_x0(x0), m_y0(y0), m_x1(x1), m_y1(y1), m_width(width), m_clip(clip) {
    // Every pixel of the stroke within the clip lies in the box; the
    // floating-point edges may reach one pixel further than the exact ones.
    m_box = Box(1);
    if (m_box.Empty()) return;
    m_bExact = ExactCapsuleApplies(x0, y0, x1, y1, width);
    if (m_bExact) m_box = Box(0);
  }
  // No pixel inside the clip: nothing to fill.
  bool Empty() const { return m_box.Empty(); }
  const CPixelRect& Bounds() const { return m_box; }
  bool Exact() const { return m_bExact; }

  // fill(y, lo, hi) for each row within [rowLo, rowHi] that holds pixels,
  // lo and hi cut to the clip; cap = FillCapTable(width) for an exact stroke.
  template <typename Fill>
  void ForEach(std::int64_t rowLo, std::int64_t rowHi, const std::int32_t* cap, Fill&& fill) const {
    if (Empty()) return;
    const auto span = [&](std::int64_t y, std::int64_t lo, std::int64_t hi) {
      lo = std::max(lo, m_clip.left);
      hi = std::min(hi, m_clip.right - 1);
      if (lo <= hi) fill(y, lo, hi);
    };
    if (m_bExact) {
      const std::int64_t first = std::max(rowLo, m_box.top), last = std::min(rowHi, m_box.bottom);
      if (first > last) return;
      CCapsuleRows rows(m_x0, m_y0, m_x1, m_y1, m_width, cap);
      rows.Start(first);
      for (std::int64_t y = first; y <= last; ++y) {
        std::int64_t lo, hi;
        if (rows.Next(lo, hi)) span(y, lo, hi);
      }
      return;
    }
    const CFloatCapsule capsule(m_x0, m_y0, m_x1, m_y1, m_width);
    int first = 0, last = -1;
    const auto top = static_cast<int>(std::max(rowLo, m_clip.top));
    const auto bottom = static_cast<int>(std::min(rowHi, m_clip.bottom - 1));
    if (top > bottom ||
        !capsule.ReachesColumns(static_cast<int>(m_clip.left), static_cast<int>(m_clip.right)) ||
        !capsule.Rows(top, bottom, first, last))
      return;
    for (int y = first; y <= last; ++y) {
      std::int64_t lo, hi;
      if (capsule.Span(y, lo, hi)) span(y, lo, hi);
    }
  }

 private:
  CPixelRect Box(std::int64_t slack) const {
    const std::int64_t shift = m_width % 2 == 0 ? 1 : 0;
    return {
        std::max(CeilHalf(2 * std::min(m_x0, m_x1) - shift - m_width) - slack, m_clip.left),
        std::max(CeilHalf(2 * std::min(m_y0, m_y1) - shift - m_width) - slack, m_clip.top),
        std::min(FloorHalf(2 * std::max(m_x0, m_x1) - shift + m_width) + slack, m_clip.right - 1),
        std::min(FloorHalf(2 * std::max(m_y0, m_y1) - shift + m_width) + slack, m_clip.bottom - 1)};
  }

  std::int64_t m_x0, m_y0, m_x1, m_y1;
  int m_width;
  CClipRect m_clip;
  CPixelRect m_box;
  bool m_bExact = false;
};
