#include "render/painted_cache.h"

#include <algorithm>

void CFillTracker::Row(std::int64_t y, std::int64_t lo, std::int64_t hi) {
  if (lo == m_clipLeft && hi == m_clipRight) {
    if (!m_fullRun.Empty() && m_fullRun.bottom == y - 1)
      m_fullRun.bottom = y;
    else
      m_fullRun = {m_clipLeft, y, m_clipRight, y};
    if (m_fullRun.Area() > m_bestFullRun.Area()) m_bestFullRun = m_fullRun;
  }
  if (m_commonClosed) return;
  if (m_common.Empty()) {
    m_common = {lo, y, hi, y};
  } else if (y == m_common.bottom + 1 && std::max(lo, m_common.left) <= std::min(hi, m_common.right)) {
    m_common.left = std::max(lo, m_common.left);
    m_common.right = std::min(hi, m_common.right);
    m_common.bottom = y;
  } else {
    m_commonClosed = true;
  }
}

CPixelRect CFillTracker::Best() const {
  return m_bestFullRun.Area() >= m_common.Area() ? m_bestFullRun : m_common;
}

void CPaintedCache::Forget() {
  m_rect = {};
  if (++m_generation == 0) {
    // After 2^32 changes of colour: no old slot may look current.
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_generation = 1;
  }
}

std::size_t CPaintedCache::SlotOf(const CStroke& s) {
  std::uint64_t h = static_cast<std::uint64_t>(s.x0) * 0x9E3779B97F4A7C15ull;
  for (std::int64_t v : {s.y0, s.x1, s.y1, static_cast<std::int64_t>(s.width)})
    h = (h ^ static_cast<std::uint64_t>(v)) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(h >> 54) % kStrokes;
}

bool CPaintedCache::Knows(const CStroke& stroke, const CPixelRect& box) const {
  if (!m_bColorKnown) return false;
  if (!m_rect.Empty() && m_rect.Contains(box)) return true;
  if (m_slots.empty()) return false;
  const Slot& slot = m_slots[SlotOf(stroke)];
  return slot.generation == m_generation && slot.stroke == stroke;
}

void CPaintedCache::Learn(const CStroke& stroke, const CPixelRect& filled) {
  if (!m_bColorKnown) return;
  if (m_slots.empty()) m_slots.resize(kStrokes);
  m_slots[SlotOf(stroke)] = {stroke, m_generation};
  if (filled.Empty() || m_rect.Contains(filled)) return;
  CPixelRect& r = m_rect;
  const bool sameColumns = filled.left == r.left && filled.right == r.right;
  const bool sameRows = filled.top == r.top && filled.bottom == r.bottom;
  if (!r.Empty() && sameColumns && filled.top <= r.bottom + 1 && filled.bottom >= r.top - 1) {
    r.top = std::min(r.top, filled.top);
    r.bottom = std::max(r.bottom, filled.bottom);
  } else if (!r.Empty() && sameRows && filled.left <= r.right + 1 && filled.right >= r.left - 1) {
    r.left = std::min(r.left, filled.left);
    r.right = std::max(r.right, filled.right);
  } else if (filled.Area() > r.Area()) {
    r = filled;
  }
}
