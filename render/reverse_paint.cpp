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

// visit(band) for each band in [top, bottom] whose bit is set, until it
// returns true; the bits may change meanwhile.
template <typename Visit>
bool AnyOpenBand(const std::vector<u64>& open, i64 top, i64 bottom, int shift, Visit&& visit) {
  const i64 b0 = top >> shift, b1 = bottom >> shift;
  for (i64 w = b0 >> 6; w <= b1 >> 6; ++w) {
    u64 bits = open[static_cast<std::size_t>(w)];
    bits &= (~u64{0} << (w == b0 >> 6 ? b0 & 63 : 0)) &
            (~u64{0} >> (w == b1 >> 6 ? 63 - (b1 & 63) : 0));
    for (; bits != 0; bits &= bits - 1)
      if (visit(64 * w + std::countr_zero(bits))) return true;
  }
  return false;
}

bool Meets(const CPixelRect& a, const CPixelRect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

}  // namespace

CReversePaint::CReversePaint(CPixelBuffer& target, int penPixels)
    : m_pixels(target.pixels.data()),
      m_nWidth(target.width),
      m_nHeight(target.height),
      m_nWords((target.width + 63) / 64),
      m_nBands((target.height + kBandRows - 1) / kBandRows),
      m_nPenPixels(penPixels),
      m_nReach(penPixels > 1 ? penPixels / 2 + 1 : 0),
      m_nUndecided(i64{target.width} * target.height),
      m_undecided(static_cast<std::size_t>(m_nWords * m_nHeight), ~u64{0}),
      m_tiles(static_cast<std::size_t>(m_nWords * m_nBands)),
      m_tileMarked(m_tiles.size(), 0),
      m_bandBoxes(static_cast<std::size_t>(m_nBands)),
      m_bandMarked(m_bandBoxes.size(), 0),
      m_openBands(static_cast<std::size_t>(m_nBands / 64 + 1), 0) {
  if (m_nWidth % 64 != 0) {  // no pixels beyond the right edge
    const u64 last = BitRange(0, m_nWidth % 64 - 1);
    for (i64 y = 0; y < m_nHeight; ++y)
      m_undecided[static_cast<std::size_t>((y + 1) * m_nWords - 1)] = last;
  }
  for (i64 band = 0; band < m_nBands; ++band) {
    for (i64 word = 0; word < m_nWords; ++word) RefreshTile(band, word);
    RefreshBand(band);
  }
  if (m_nPenPixels <= CLineStamps::kMaxWidth && m_nWidth <= (1 << 24))
    m_pStamps = CLineStamps::Shared(m_nPenPixels, m_nWidth);
  if (m_nPenPixels > 1 && m_nPenPixels <= kExactCapsuleMaxWidth) FillCapTable(m_nPenPixels, m_cap);
}

CReversePaint::~CReversePaint() = default;

void CReversePaint::StrokeNearUndecided(i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t rgb,
                                        const CPixelRect& reach) {
  const CLine line{x0, y0, x1, y1};
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
  // Where the device context paints a line from its stamp, so may this; a
  // thin stamp has fewer pixels than a look at the map costs.
  constexpr i64 kStep = CLineStamps::kMaxStep, kFar = kExactCapsuleMaxCoord;
  const bool thin = m_nPenPixels <= 1;
  const bool near =
      thin || std::max({std::llabs(x0), std::llabs(y0), std::llabs(x1), std::llabs(y1)}) <= kFar;
  if (m_pStamps && near && std::llabs(x1 - x0) <= kStep && std::llabs(y1 - y0) <= kStep) {
    if ((!thin && !MayHoldUndecided(reach)) || StampLine(line, rgb)) return;
  }
  LongLine(line, rgb, reach);
}

bool CReversePaint::StampLine(const CLine& l, std::uint32_t rgb) {
  const u64 width = static_cast<u64>(m_nWidth), height = static_cast<u64>(m_nHeight);
  return m_pStamps->ForEachPixel(l.x1 - l.x0, l.y1 - l.y0, [&](int ox, int oy) {
    const i64 x = l.x0 + ox, y = l.y0 + oy;
    if (static_cast<u64>(x) < width && static_cast<u64>(y) < height) DecidePixel(x, y, rgb);
  });
}

bool CReversePaint::MayHoldUndecided(const CPixelRect& box) {
  return AnyOpenBand(m_openBands, box.top, box.bottom, kBandShift, [&](i64 band) {
    const CPixelRect& open = BandBox(band);
    if (!Meets(open, box)) return false;
    const i64 rowLo = std::max(box.top, open.top), rowHi = std::min(box.bottom, open.bottom);
    const i64 lo = std::max(box.left, open.left), hi = std::min(box.right, open.right);
    for (i64 word = lo >> 6; word <= hi >> 6; ++word)
      if (TileMeets(band, word, rowLo, rowHi, lo, hi)) return true;
    return false;
  });
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
  AnyOpenBand(m_openBands, box.top, box.bottom, kBandShift, [&](i64 band) {
    RowsToPaint(l, box, band, paintLo, paintHi);
    return false;
  });
  if (paintLo <= paintHi) PaintRows(l, wide ? &*wide : nullptr, paintLo, paintHi, rgb);
}

void CReversePaint::RowsToPaint(const CLine& line, const CPixelRect& box, i64 band, i64& paintLo,
                                i64& paintHi) {
  const CPixelRect& open = BandBox(band);
  if (!Meets(open, box)) return;
  const i64 rowLo = std::max(box.top, open.top), rowHi = std::min(box.bottom, open.bottom);
  i64 lo, hi;
  if (!ColumnsInRows(line, rowLo, rowHi, lo, hi)) return;
  lo = std::max({lo, box.left, open.left});
  hi = std::min({hi, box.right, open.right});
  const i64 bandTop = band << kBandShift;
  for (i64 word = lo >> 6; word <= hi >> 6 && lo <= hi; ++word) {
    if (!TileMeets(band, word, rowLo, rowHi, lo, hi)) continue;
    const CTileBox& t = m_tiles[static_cast<std::size_t>(band * m_nWords + word)];
    paintLo = std::min(paintLo, std::max(rowLo, bandTop + t.rowLo));
    paintHi = std::max(paintHi, std::min(rowHi, bandTop + t.rowHi));
  }
}

const CPixelRect& CReversePaint::BandBox(i64 band) {
  if (m_bandMarked[static_cast<std::size_t>(band)]) RefreshBand(band);
  return m_bandBoxes[static_cast<std::size_t>(band)];
}

bool CReversePaint::TileMeets(i64 band, i64 word, i64 rowLo, i64 rowHi, i64 lo, i64 hi) {
  const std::size_t at = static_cast<std::size_t>(band * m_nWords + word);
  const auto meets = [&] {
    const CTileBox& t = m_tiles[at];
    const i64 top = band << kBandShift, left = 64 * word;
    return t.rowLo <= t.rowHi && top + t.rowLo <= rowHi && top + t.rowHi >= rowLo &&
           left + t.colLo <= hi && left + t.colHi >= lo;
  };
  if (!meets()) return false;
  if (!m_tileMarked[at]) return true;
  RefreshTile(band, word);
  return meets();
}

// A pixel of a wide stroke lies within width / 2 (and the even widths' half
// pixel) of a point of the line, a pixel of a thin one within half a pixel
// across it: so the line passes within reach + 1 rows of the pixel's row,
// at most reach + 1 columns from its column.
bool CReversePaint::ColumnsInRows(const CLine& l, i64 rowLo, i64 rowHi, i64& lo, i64& hi) const {
  const i64 margin = m_nReach + 1;
  lo = std::min(l.x0, l.x1) - margin;
  hi = std::max(l.x0, l.x1) + margin;
  constexpr i64 kExactDouble = i64{1} << 40;  // beyond, the box's columns
  for (i64 c : {l.x0, l.y0, l.x1, l.y1})
    if (c < -kExactDouble || c > kExactDouble) return true;
  if (l.y0 == l.y1) return true;
  const double dy = static_cast<double>(l.y1 - l.y0), dx = static_cast<double>(l.x1 - l.x0);
  double t0 = static_cast<double>(rowLo - margin - l.y0) / dy;
  double t1 = static_cast<double>(rowHi + margin - l.y0) / dy;
  if (t0 > t1) std::swap(t0, t1);
  t0 = std::max(t0, 0.0);
  t1 = std::min(t1, 1.0);
  if (t0 > t1) return false;
  const double xa = static_cast<double>(l.x0) + t0 * dx, xb = static_cast<double>(l.x0) + t1 * dx;
  lo = std::max(lo, static_cast<i64>(std::floor(std::min(xa, xb))) - margin);
  hi = std::min(hi, static_cast<i64>(std::ceil(std::max(xa, xb))) + margin);
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
    Mark(y >> kBandShift, word);
    for (; bits != 0; bits &= bits - 1) pixels[64 * word + std::countr_zero(bits)] = rgb;
  }
}

void CReversePaint::RefreshTile(i64 band, i64 word) {
  CTileBox box;
  u64 any = 0;
  const i64 top = band << kBandShift, rows = std::min<i64>(kBandRows, m_nHeight - top);
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
  const std::size_t at = static_cast<std::size_t>(band * m_nWords + word);
  m_tiles[at] = box;
  m_tileMarked[at] = 0;
  m_bandMarked[static_cast<std::size_t>(band)] = 1;  // its box may shrink with the tile's
}

// From the tiles' boxes as they are: each holds its undecided pixels.
void CReversePaint::RefreshBand(i64 band) {
  CPixelRect open;  // empty
  const i64 top = band << kBandShift;
  for (i64 word = 0; word < m_nWords; ++word) {
    const CTileBox& t = m_tiles[static_cast<std::size_t>(band * m_nWords + word)];
    if (t.rowLo > t.rowHi) continue;
    const CPixelRect tile{64 * word + t.colLo, top + t.rowLo, 64 * word + t.colHi, top + t.rowHi};
    open = open.Empty()
               ? tile
               : CPixelRect{std::min(open.left, tile.left), std::min(open.top, tile.top),
                            std::max(open.right, tile.right), std::max(open.bottom, tile.bottom)};
  }
  m_bandBoxes[static_cast<std::size_t>(band)] = open;
  m_bandMarked[static_cast<std::size_t>(band)] = 0;
  u64& bits = m_openBands[static_cast<std::size_t>(band >> 6)];
  const u64 bit = u64{1} << (band & 63);
  bits = open.Empty() ? bits & ~bit : bits | bit;
}
