#include "render/reverse_paint.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "render/capsule.h"
#include "render/line_stamps.h"
#include "render/stroke_spans.h"

namespace {

using i64 = std::int64_t;
using u64 = std::uint64_t;

bool Meets(const CPixelRect& a, const CPixelRect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

}  // namespace

CReversePaint::CReversePaint(CPixelBuffer& target, int penPixels)
    : m_pixels(target.pixels.data()),
      m_nWidth(target.width),
      m_nHeight(target.height),
      m_nWords((target.width + 63) / 64),
      m_nTileRows((target.height + kTileRows - 1) / kTileRows),
      m_nPenPixels(penPixels),
      m_nReach(penPixels > 1 ? penPixels / 2 + 1 : 0),
      m_nUndecided(i64{target.width} * target.height),
      m_undecided(static_cast<std::size_t>(m_nWords * m_nHeight), ~u64{0}),
      m_tiles(static_cast<std::size_t>(m_nWords * m_nTileRows)),
      m_tileMarked(m_tiles.size(), 0) {
  if (m_nWidth % 64 != 0) {  // no pixels beyond the right edge
    const u64 last = BitRange(0, m_nWidth % 64 - 1);
    for (i64 y = 0; y < m_nHeight; ++y)
      m_undecided[static_cast<std::size_t>((y + 1) * m_nWords - 1)] = last;
  }
  // At least one level, so that the root is a node.
  for (i64 rows = m_nTileRows, cols = m_nWords; m_levels.empty() || rows > 1 || cols > 1;) {
    rows = std::max<i64>((rows + 1) / 2, 1);  // an empty frame has no tiles
    cols = std::max<i64>((cols + 1) / 2, 1);
    const auto nodes = static_cast<std::size_t>(rows * cols);
    m_levels.push_back(
        {rows, cols, std::vector<CPixelRect>(nodes), std::vector<std::uint8_t>(nodes)});
  }
  for (i64 r = 0; r < m_nTileRows; ++r)
    for (i64 word = 0; word < m_nWords; ++word) RefreshTile(r, word);
  for (int k = 1; k <= Top(); ++k)
    for (i64 r = 0; r < Rows(k); ++r)
      for (i64 c = 0; c < Cols(k); ++c) RefreshNode(k, r, c);
  m_pRoot = &m_levels.back().boxes[0];
  if (m_nPenPixels <= CLineStamps::kMaxWidth && m_nWidth <= (1 << 24))
    m_pStamps = CLineStamps::Shared(m_nPenPixels, m_nWidth);
  if (m_nPenPixels > 1 && m_nPenPixels <= kExactCapsuleMaxWidth) FillCapTable(m_nPenPixels, m_cap);
}

CReversePaint::~CReversePaint() = default;

void CReversePaint::StrokeNearUndecided(i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t rgb,
                                        const CPixelRect& reach) {
  const CLine line{x0, y0, x1, y1};
  // Where the device context paints a line from its stamp, so may this: a
  // short line's box spans a few tiles, looked at directly.
  constexpr i64 kStep = CLineStamps::kMaxStep, kFar = kExactCapsuleMaxCoord;
  const bool near = m_nPenPixels <= 1 || std::max({std::llabs(x0), std::llabs(y0), std::llabs(x1),
                                                   std::llabs(y1)}) <= kFar;
  const bool stamped =
      m_pStamps && near && std::llabs(x1 - x0) <= kStep && std::llabs(y1 - y0) <= kStep;
  if (stamped && !TilesMayHoldUndecided(reach)) return;
  // A line given before decided all its pixels then: back-and-forth runs,
  // designs of a few points and dense ones drawn small repeat their lines
  // over and over.
  if (m_seen.empty()) m_seen.resize(kSeenSlots);
  constexpr u64 kMix = 0x9E3779B97F4A7C15ull;
  const u64 hash =
      ((static_cast<u64>(x0) * kMix ^ static_cast<u64>(y0)) * kMix ^ static_cast<u64>(x1)) * kMix ^
      static_cast<u64>(y1);
  CLine& seen = m_seen[static_cast<std::size_t>((hash * kMix) >> (64 - kSeenBits))];
  if (seen.x0 == x0 && seen.y0 == y0 && seen.x1 == x1 && seen.y1 == y1) return;
  seen = line;
  if (stamped && StampLine(line, rgb)) return;
  LongLine(line, rgb, reach);
}

bool CReversePaint::StampLine(const CLine& l, std::uint32_t rgb) {
  const u64 width = static_cast<u64>(m_nWidth), height = static_cast<u64>(m_nHeight);
  return m_pStamps->ForEachPixel(l.x1 - l.x0, l.y1 - l.y0, [&](int ox, int oy) {
    const i64 x = l.x0 + ox, y = l.y0 + oy;
    if (static_cast<u64>(x) < width && static_cast<u64>(y) < height) DecidePixel(x, y, rgb);
  });
}

bool CReversePaint::TilesMayHoldUndecided(const CPixelRect& box) {
  for (i64 r = box.top >> kTileShift; r <= box.bottom >> kTileShift; ++r)
    for (i64 word = box.left >> 6; word <= box.right >> 6; ++word)
      if (Meets(NodeBox(0, r, word), box)) return true;
  return false;
}

void CReversePaint::LongLine(const CLine& l, std::uint32_t rgb, const CPixelRect& reach) {
  // A wide stroke's own box: the reach is the same for every stroke and may
  // take in a row or two of undecided pixels beside its edges.
  std::optional<CWideSpans> wide;
  if (m_nPenPixels > 1) {
    wide.emplace(l.x0, l.y0, l.x1, l.y1, m_nPenPixels, CClipRect{0, 0, m_nWidth, m_nHeight});
    if (wide->Empty()) return;
  }
  const CPixelRect& box = wide ? wide->Bounds() : reach;
  // The rows of the tiles whose undecided pixels the line may reach, then
  // one walk over them: the rows between may hold decided pixels only.
  i64 paintLo = box.bottom + 1, paintHi = box.top - 1;
  RowsToPaint(Top(), 0, 0, l, box, paintLo, paintHi);
  if (paintLo <= paintHi) PaintRows(l, wide ? &*wide : nullptr, paintLo, paintHi, rgb);
}

// A node is passed over where the line's columns on the node's rows miss
// it: a long line crosses few of the nodes that its box takes in.
void CReversePaint::RowsToPaint(int k, i64 r, i64 c, const CLine& line, const CPixelRect& box,
                                i64& paintLo, i64& paintHi) {
  const CPixelRect open = NodeBox(k, r, c);
  if (!Meets(open, box)) return;
  const i64 rowLo = std::max(box.top, open.top), rowHi = std::min(box.bottom, open.bottom);
  i64 lo, hi;
  if (!ColumnsInRows(line, rowLo, rowHi, lo, hi) ||
      std::max({lo, box.left, open.left}) > std::min({hi, box.right, open.right}))
    return;
  if (k == 0) {
    paintLo = std::min(paintLo, rowLo);
    paintHi = std::max(paintHi, rowHi);
    return;
  }
  for (i64 cr = 2 * r; cr <= std::min(2 * r + 1, Rows(k - 1) - 1); ++cr)
    for (i64 cc = 2 * c; cc <= std::min(2 * c + 1, Cols(k - 1) - 1); ++cc)
      RowsToPaint(k - 1, cr, cc, line, box, paintLo, paintHi);
}

CPixelRect CReversePaint::NodeBox(int k, i64 r, i64 c) {
  if (k > 0) {
    CLevel& level = m_levels[static_cast<std::size_t>(k - 1)];
    const auto at = static_cast<std::size_t>(r * level.cols + c);
    if (level.marked[at]) RefreshNode(k, r, c);
    return level.boxes[at];
  }
  if (m_tileMarked[static_cast<std::size_t>(r * m_nWords + c)]) RefreshTile(r, c);
  return TileRect(r, c);
}

void CReversePaint::MarkAbove(int k, i64 r, i64 c) {
  for (; k <= Top(); ++k, r >>= 1, c >>= 1) {
    CLevel& level = m_levels[static_cast<std::size_t>(k - 1)];
    std::uint8_t& marked = level.marked[static_cast<std::size_t>(r * level.cols + c)];
    if (marked) return;
    marked = 1;
  }
}

// A pixel of a wide stroke of width w lies within w / 2 of a point q of the
// line shifted by the even widths' half pixel (or within a hair more: the
// floating-point spans' tolerance), so at most w / 2 columns left of q and
// (w - 1) / 2 right of it, and as many rows above and below; a pixel of a
// thin line within half a pixel of q across the line. Where the end points
// lie so far out that doubles lose whole pixels, the reach of the box.
bool CReversePaint::ColumnsInRows(const CLine& l, i64 rowLo, i64 rowHi, i64& lo, i64& hi) const {
  const i64 wide = m_nPenPixels > 1 ? m_nPenPixels : 0;
  const i64 left = wide / 2, right = wide ? (wide - 1) / 2 : 0;
  lo = std::min(l.x0, l.x1) - left;
  hi = std::max(l.x0, l.x1) + right;
  constexpr i64 kExactDouble = i64{1} << 30;
  for (i64 c : {l.x0, l.y0, l.x1, l.y1}) {
    if (c < -kExactDouble || c > kExactDouble) {
      lo = std::min(l.x0, l.x1) - m_nReach - 1;
      hi = std::max(l.x0, l.x1) + m_nReach + 1;
      return true;
    }
  }
  if (l.y0 == l.y1) return true;
  const double dy = static_cast<double>(l.y1 - l.y0), dx = static_cast<double>(l.x1 - l.x0);
  double t0 = static_cast<double>(rowLo - left - 1 - l.y0) / dy;
  double t1 = static_cast<double>(rowHi + left + 1 - l.y0) / dy;
  if (t0 > t1) std::swap(t0, t1);
  t0 = std::max(t0, 0.0);
  t1 = std::min(t1, 1.0);
  if (t0 > t1) return false;
  const double xa = static_cast<double>(l.x0) + t0 * dx, xb = static_cast<double>(l.x0) + t1 * dx;
  constexpr double kRounding = 1e-6;  // far above the doubles' error, far below a pixel
  lo = std::max(lo, static_cast<i64>(std::floor(std::min(xa, xb) - kRounding)) - left);
  hi = std::min(hi, static_cast<i64>(std::ceil(std::max(xa, xb) + kRounding)) + right);
  return lo <= hi;
}

void CReversePaint::PaintRows(const CLine& l, const CWideSpans* wide, i64 rowLo, i64 rowHi,
                              std::uint32_t rgb) {
  if (wide) {
    wide->ForEach(rowLo, rowHi, m_cap.data(),
                  [&](i64 y, i64 lo, i64 hi) { DecideSpan(y, lo, hi, rgb); });
    return;
  }
  CThinSteps s;
  if (!ThinStepsInClip(l.x0, l.y0, l.x1, l.y1, {0, rowLo, m_nWidth, rowHi + 1}, s)) return;
  i64 x = s.x, y = s.y, e = s.error;
  for (i64 n = 0; n < s.count; ++n) {
    DecidePixel(x, y, rgb);
    const i64 straight = e + s.twoMinor;
    const bool minor = straight >= 0;
    e = minor ? straight - s.twoMajor : straight;
    x += s.majorX + (minor ? s.minorX : 0);
    y += s.majorY + (minor ? s.minorY : 0);
  }
}

void CReversePaint::DecideSpan(i64 y, i64 lo, i64 hi, std::uint32_t rgb) {
  u64* row = m_undecided.data() + y * m_nWords;
  std::uint32_t* pixels = m_pixels + y * m_nWidth;
  for (i64 word = lo >> 6; word <= hi >> 6; ++word) {
    u64 bits = row[word] & BitRange(word == lo >> 6 ? lo & 63 : 0, word == hi >> 6 ? hi & 63 : 63);
    if (bits == 0) continue;
    row[word] &= ~bits;
    m_nUndecided -= std::popcount(bits);
    Mark(y >> kTileShift, word);
    for (; bits != 0; bits &= bits - 1) pixels[64 * word + std::countr_zero(bits)] = rgb;
  }
}

void CReversePaint::RefreshTile(i64 row, i64 word) {
  CTileBox box;
  u64 any = 0;
  const i64 top = row << kTileShift, rows = std::min<i64>(kTileRows, m_nHeight - top);
  for (i64 r = 0; r < rows; ++r) {
    const u64 bits = m_undecided[static_cast<std::size_t>((top + r) * m_nWords + word)];
    if (bits == 0) continue;
    if (box.rowLo > box.rowHi) box.rowLo = static_cast<std::int8_t>(r);
    box.rowHi = static_cast<std::int8_t>(r);
    any |= bits;
  }
  if (any != 0) {
    box.colLo = static_cast<std::int8_t>(std::countr_zero(any));
    box.colHi = static_cast<std::int8_t>(63 - std::countl_zero(any));
  }
  const std::size_t at = static_cast<std::size_t>(row * m_nWords + word);
  m_tiles[at] = box;
  m_tileMarked[at] = 0;
  MarkAbove(1, row >> 1, word >> 1);  // the node's box may shrink with the tile's
}

// From the boxes below as they are: each holds its undecided pixels.
void CReversePaint::RefreshNode(int k, i64 r, i64 c) {
  CPixelRect open;  // empty
  for (i64 cr = 2 * r; cr <= std::min(2 * r + 1, Rows(k - 1) - 1); ++cr)
    for (i64 cc = 2 * c; cc <= std::min(2 * c + 1, Cols(k - 1) - 1); ++cc) {
      const CPixelRect below = k == 1 ? TileRect(cr, cc)
                                      : m_levels[static_cast<std::size_t>(k - 2)]
                                            .boxes[static_cast<std::size_t>(cr * Cols(k - 1) + cc)];
      if (below.Empty()) continue;
      open =
          open.Empty()
              ? below
              : CPixelRect{std::min(open.left, below.left), std::min(open.top, below.top),
                           std::max(open.right, below.right), std::max(open.bottom, below.bottom)};
    }
  CLevel& level = m_levels[static_cast<std::size_t>(k - 1)];
  const auto at = static_cast<std::size_t>(r * level.cols + c);
  level.boxes[at] = open;
  level.marked[at] = 0;
  if (k < Top()) MarkAbove(k + 1, r >> 1, c >> 1);
}
