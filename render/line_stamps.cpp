#include "render/line_stamps.h"

#include <cstdlib>

#include "render/capsule.h"

void CLineStamps::Reset(int penPixels, std::int64_t stride) {
  m_nPenPixels = penPixels;
  m_stride = stride;
  m_index.assign(static_cast<std::size_t>(kSide) * kSide, Entry{});
  m_pool.clear();
  if (penPixels > 1) FillCapTable(penPixels, m_cap);
}

bool CLineStamps::Build(Entry& e, std::int64_t dx, std::int64_t dy) {
  const std::size_t first = m_pool.size();
  if (m_nPenPixels <= 1) {
    // The thin line's steps (see CSoftDC::ThinLine), end point left out.
    const std::int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const std::int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -m_stride : m_stride;
    const bool xMajor = adx >= ady;
    const std::int64_t aMa = xMajor ? adx : ady, aMi = xMajor ? ady : adx;
    const std::int64_t majorStep = xMajor ? sx : sy, minorStep = xMajor ? sy : sx;
    std::int64_t err = -aMa, at = 0;
    for (std::int64_t n = 0; n < aMa; ++n) {
      m_pool.push_back(static_cast<std::int32_t>(at));
      err += 2 * aMi;
      at += majorStep;
      if (err >= 0) {
        err -= 2 * aMa;
        at += minorStep;
      }
    }
  } else if (dx != 0 || dy != 0) {
    CCapsuleRows rows(0, 0, dx, dy, m_nPenPixels, m_cap.data());
    for (std::int64_t y = rows.FirstRow(); y <= rows.LastRow(); ++y) {
      std::int64_t lo, hi;
      if (!rows.Next(lo, hi)) continue;
      for (std::int64_t x = lo; x <= hi; ++x)
        m_pool.push_back(static_cast<std::int32_t>(y * m_stride + x));
    }
  }
  std::size_t count = m_pool.size() - first;
  if (count % 4 != 0) {
    const std::int32_t start = m_pool[first];
    while (count % 4 != 0) {
      m_pool.push_back(start);
      ++count;
    }
  }
  if (m_pool.size() > kPoolLimit) {
    m_pool.resize(first);
    return false;
  }
  e.first = static_cast<std::int32_t>(first);
  e.count = static_cast<std::int32_t>(count);
  return true;
}
