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
  } else if (y == m_common.bottom + 1 &&
             std::max(lo, m_common.left) <= std::min(hi, m_common.right)) {
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
  constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
  const std::uint64_t a =
      static_cast<std::uint64_t>(s.x0) * kMix ^ static_cast<std::uint64_t>(s.y0);
  const std::uint64_t b =
      static_cast<std::uint64_t>(s.x1) * kMix ^ static_cast<std::uint64_t>(s.y1);
  const std::uint64_t h = (a * kMix ^ b ^ static_cast<std::uint64_t>(s.width)) * kMix;
  return static_cast<std::size_t>(h >> 54) % kStrokes;
}

// Two slots per stroke: the strokes of a back-and-forth run must not
// push each other out.
bool CPaintedCache::KnowsStroke(const CStroke& stroke) const {
  if (!m_bColorKnown || m_slots.empty()) return false;
  const std::size_t at = SlotOf(stroke) & ~std::size_t{1};
  const auto holds = [&](const Slot& slot) {
    return slot.generation == m_generation && slot.stroke == stroke;
  };
  return holds(m_slots[at]) || holds(m_slots[at + 1]);
}

void CPaintedCache::Learn(const CStroke& stroke, const CPixelRect& filled) {
  if (!m_bColorKnown) return;
  if (m_slots.empty()) m_slots.resize(kStrokes);
  const std::size_t at = SlotOf(stroke) & ~std::size_t{1};
  if (m_slots[at].generation == m_generation) m_slots[at + 1] = m_slots[at];
  m_slots[at] = {stroke, m_generation};
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
