#include "render/line_stamps.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "render/capsule.h"

std::shared_ptr<CLineStamps> CLineStamps::Shared(int penPixels, std::int64_t stride) {
  thread_local std::vector<std::shared_ptr<CLineStamps>> kept;  // most recently used first
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    if ((*it)->Fits(penPixels, stride)) {
      std::rotate(kept.begin(), it, it + 1);
      return kept.front();
    }
  }
  kept.insert(kept.begin(), std::make_shared<CLineStamps>(penPixels, stride));
  if (kept.size() > kKept) kept.pop_back();
  return kept.front();
}

CLineStamps::CLineStamps(int penPixels, std::int64_t stride)
    : m_nPenPixels(penPixels), m_stride(stride), m_index(static_cast<std::size_t>(kSide) * kSide) {
  if (penPixels > 1) FillCapTable(penPixels, m_cap);
}

bool CLineStamps::PaintClipped(std::uint32_t* pixels, std::int64_t x0, std::int64_t y0,
                               std::int64_t dx, std::int64_t dy, std::uint32_t rgb,
                               std::int64_t left, std::int64_t top, std::int64_t right,
                               std::int64_t bottom) {
  const std::size_t at = Index(dx, dy);
  if (m_index[at].kind == kUnbuilt && !Build(at, dx, dy)) return false;
  const Entry e = m_index[at];
  if (e.kind == kEmpty) return true;
  // Pixels outside the clip area go to a sink: selects, not branches, for
  // the edge runs through the stamp at random.
  std::uint32_t sink[1];
  const std::uint64_t width = static_cast<std::uint64_t>(right - left);
  const std::uint64_t height = static_cast<std::uint64_t>(bottom - top);
  const std::int64_t xBase = x0 - 128 - left, yBase = y0 - 128 - top, start = y0 * m_stride + x0;
  const int perBlock = e.kind == kShort ? 4 : 16;
  for (int b = e.firstBlock; b < e.firstBlock + e.blocks; ++b) {
    const std::uint16_t* steps = m_steps[b].data();
    const std::int32_t* offsets = m_pool[b].at;
    for (int i = 0; i < perBlock; ++i) {
      const bool in = (static_cast<std::uint64_t>(xBase + (steps[i] & 0xFF)) < width) &
                      (static_cast<std::uint64_t>(yBase + (steps[i] >> 8)) < height);
      (in ? pixels : sink)[in ? start + offsets[i] : 0] = rgb;
    }
  }
  return true;
}

bool CLineStamps::Build(std::size_t at, std::int64_t dx, std::int64_t dy) {
  if (m_bFull) return false;
  m_scratch.clear();
  if (m_nPenPixels <= 1) {
    // The thin line's steps (see CSoftDC::ThinLine), end point left out.
    const std::int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const std::int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const std::int64_t aMa = xMajor ? adx : ady, aMi = xMajor ? ady : adx;
    std::int64_t err = -aMa, x = 0, y = 0;
    for (std::int64_t n = 0; n < aMa; ++n) {
      m_scratch.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
      err += 2 * aMi;
      (xMajor ? x : y) += xMajor ? sx : sy;
      if (err >= 0) {
        err -= 2 * aMa;
        (xMajor ? y : x) += xMajor ? sy : sx;
      }
    }
  } else if (dx < 0 || dy < 0 || dy > dx) {
    // The stroke's mirror images: x -> -x - e, y -> -y - e and swapping x
    // and y map the pixel centres onto themselves and the stroke from (0, 0)
    // by (dx, dy) onto those by (-dx, dy), (dx, -dy) and (dy, dx), the centre
    // line's shift of e / 2 (e = 1 for an even width) included. So only
    // 0 <= dy <= dx is computed.
    const bool swap = std::llabs(dy) > std::llabs(dx);
    const std::int64_t cx = swap ? std::llabs(dy) : std::llabs(dx);
    const std::int64_t cy = swap ? std::llabs(dx) : std::llabs(dy);
    const std::size_t canonical = Index(cx, cy);
    if (m_index[canonical].kind == kUnbuilt && !Build(canonical, cx, cy)) return false;
    const Entry c = m_index[canonical];
    if (c.kind != kEmpty && m_pool.size() + c.blocks > kPoolLimit) {
      m_bFull = true;
      return false;
    }
    const int e = m_nPenPixels % 2 == 0 ? 1 : 0;
    const std::size_t first = m_pool.size();
    for (int b = 0; c.kind != kEmpty && b < c.blocks; ++b) {
      m_pool.emplace_back();
      m_steps.emplace_back();
      for (int i = 0; i < 16; ++i) {
        const std::uint16_t step = m_steps[c.firstBlock + b][i];
        std::int32_t x = (step & 0xFF) - 128, y = (step >> 8) - 128;
        if (swap) std::swap(x, y);
        if (dx < 0) x = -x - e;
        if (dy < 0) y = -y - e;
        m_pool.back().at[i] = static_cast<std::int32_t>(y * m_stride + x);
        m_steps.back()[i] = static_cast<std::uint16_t>((y + 128) << 8 | (x + 128));
      }
    }
    m_index[at] = {static_cast<std::uint16_t>(first), c.blocks, c.kind};
    return true;
  } else if (dx != 0 || dy != 0) {
    CCapsuleRows rows(0, 0, dx, dy, m_nPenPixels, m_cap.data());
    rows.Start(rows.FirstRow());
    for (std::int64_t y = rows.FirstRow(); y <= rows.LastRow(); ++y) {
      std::int64_t lo, hi;
      if (!rows.Next(lo, hi)) continue;
      for (std::int64_t x = lo; x <= hi; ++x)
        m_scratch.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
    }
  }
  Entry& e = m_index[at];
  const std::size_t count = m_scratch.size();
  if (count == 0) {
    e.kind = kEmpty;
    return true;
  }
  const std::size_t blocks = (count + 15) / 16;
  if (blocks > 255 || m_pool.size() + blocks > kPoolLimit) {
    m_bFull = true;
    return false;
  }
  e = {static_cast<std::uint16_t>(m_pool.size()), static_cast<std::uint8_t>(blocks),
       count <= 4 ? kShort : kBlocks};
  for (std::size_t b = 0; b < blocks; ++b) {
    CBlock& block = m_pool.emplace_back();
    auto& steps = m_steps.emplace_back();
    for (std::size_t i = 0; i < 16; ++i) {
      const auto [x, y] = m_scratch[16 * b + i < count ? 16 * b + i : 0];
      block.at[i] = static_cast<std::int32_t>(y * m_stride + x);
      steps[i] = static_cast<std::uint16_t>((y + 128) << 8 | (x + 128));
    }
  }
  return true;
}
