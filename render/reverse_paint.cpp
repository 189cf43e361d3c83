#include "render/reverse_paint.h"

#include <bit>
#include <cmath>
#include <optional>

#include "render/capsule.h"
#include "render/stroke_spans.h"

namespace {

using i64 = std::int64_t;
using u64 = std::uint64_t;

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
      m_bandBoxes(static_cast<std::size_t>(m_nBands)),
      m_openBands(static_cast<std::size_t>(m_nBands / 64 + 1), 0) {
  if (m_nWidth % 64 != 0) {  // no pixels beyond the right edge
    const u64 last = BitRange(0, m_nWidth % 64 - 1);
    for (i64 y = 0; y < m_nHeight; ++y) m_undecided[static_cast<std::size_t>((y + 1) * m_nWords - 1)] = last;
  }
  for (i64 band = 0; band < m_nBands; ++band) {
    for (i64 word = 0; word < m_nWords; ++word) RefreshTile(band, word);
    RefreshBand(band);
  }
  if (m_nPenPixels > 1 && m_nPenPixels <= kExactCapsuleMaxWidth) FillCapTable(m_nPenPixels, m_cap);
}

void CReversePaint::StrokeInBands(i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t rgb,
                                  const CPixelRect& reach) {
  const CLine line{x0, y0, x1, y1};
  // A wide stroke's own box: the reach above is the same for every stroke
  // and may take in a row or two of undecided pixels beside its edges.
  std::optional<CWideSpans> wide;
  if (m_nPenPixels > 1) {
    wide.emplace(x0, y0, x1, y1, m_nPenPixels, CClipRect{0, 0, m_nWidth, m_nHeight});
    if (wide->Empty()) return;
  }
  const CPixelRect& box = wide ? wide->Bounds() : reach;
  const CWideSpans* spans = wide ? &*wide : nullptr;
  const i64 b0 = box.top >> kBandShift, b1 = box.bottom >> kBandShift;
  for (i64 w = b0 >> 6; w <= b1 >> 6; ++w) {
    u64 open = m_openBands[static_cast<std::size_t>(w)] &
               BitRange(w == b0 >> 6 ? b0 & 63 : 0, w == b1 >> 6 ? b1 & 63 : 63);
    for (; open != 0; open &= open - 1)
      StrokeInBand(line, spans, rgb, box, 64 * w + std::countr_zero(open));
  }
}

void CReversePaint::StrokeInBand(const CLine& line, const CWideSpans* wide, std::uint32_t rgb,
                                 const CPixelRect& box, i64 band) {
  const CPixelRect& open = m_bandBoxes[static_cast<std::size_t>(band)];
  const i64 rowLo = std::max(box.top, open.top), rowHi = std::min(box.bottom, open.bottom);
  i64 lo = std::max(box.left, open.left), hi = std::min(box.right, open.right);
  if (rowLo > rowHi || lo > hi) return;
  i64 lineLo, lineHi;
  if (!ColumnsInRows(line, rowLo, rowHi, lineLo, lineHi)) return;
  lo = std::max(lo, lineLo);
  hi = std::min(hi, lineHi);
  // The tiles whose undecided pixels the line may reach, and their rows.
  i64 paintLo = rowHi + 1, paintHi = rowLo - 1, firstWord = -1, lastWord = -1;
  const i64 bandTop = band << kBandShift;
  for (i64 word = lo >> 6; word <= hi >> 6 && lo <= hi; ++word) {
    const CTileBox& t = m_tiles[static_cast<std::size_t>(band * m_nWords + word)];
    if (t.rowLo > t.rowHi || bandTop + t.rowHi < rowLo || bandTop + t.rowLo > rowHi ||
        64 * word + t.colHi < lo || 64 * word + t.colLo > hi)
      continue;
    paintLo = std::min(paintLo, std::max(rowLo, bandTop + t.rowLo));
    paintHi = std::max(paintHi, std::min(rowHi, bandTop + t.rowHi));
    if (firstWord < 0) firstWord = word;
    lastWord = word;
  }
  if (firstWord < 0 || PaintRows(line, wide, paintLo, paintHi, rgb) == 0) return;
  for (i64 word = firstWord; word <= lastWord; ++word) RefreshTile(band, word);
  RefreshBand(band);
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

i64 CReversePaint::PaintRows(const CLine& l, const CWideSpans* wide, i64 rowLo, i64 rowHi,
                             std::uint32_t rgb) {
  i64 decided = 0;
  if (wide) {
    wide->ForEach(rowLo, rowHi, m_cap.data(),
                  [&](i64 y, i64 lo, i64 hi) { decided += DecideSpan(y, lo, hi, rgb); });
    return decided;
  }
  CThinSteps s;
  if (!ThinStepsInClip(l.x0, l.y0, l.x1, l.y1, {0, rowLo, m_nWidth, rowHi + 1}, s)) return 0;
  i64 x = s.x, y = s.y, e = s.error;
  for (i64 n = 0; n < s.count; ++n) {
    u64& word = m_undecided[static_cast<std::size_t>(y * m_nWords + (x >> 6))];
    const u64 bit = u64{1} << (x & 63);
    if (word & bit) {
      word &= ~bit;
      m_pixels[y * m_nWidth + x] = rgb;
      ++decided;
    }
    const i64 straight = e + s.twoMinor;
    const bool minor = straight >= 0;
    e = minor ? straight - s.twoMajor : straight;
    x += s.majorX + (minor ? s.minorX : 0);
    y += s.majorY + (minor ? s.minorY : 0);
  }
  m_nUndecided -= decided;
  return decided;
}

i64 CReversePaint::DecideSpan(i64 y, i64 lo, i64 hi, std::uint32_t rgb) {
  u64* row = m_undecided.data() + y * m_nWords;
  std::uint32_t* pixels = m_pixels + y * m_nWidth;
  i64 decided = 0;
  for (i64 word = lo >> 6; word <= hi >> 6; ++word) {
    u64 bits = row[word] & BitRange(word == lo >> 6 ? lo & 63 : 0, word == hi >> 6 ? hi & 63 : 63);
    if (bits == 0) continue;
    row[word] &= ~bits;
    decided += std::popcount(bits);
    for (; bits != 0; bits &= bits - 1) pixels[64 * word + std::countr_zero(bits)] = rgb;
  }
  m_nUndecided -= decided;
  return decided;
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
  m_tiles[static_cast<std::size_t>(band * m_nWords + word)] = box;
}

void CReversePaint::RefreshBand(i64 band) {
  CPixelRect open;  // empty
  const i64 top = band << kBandShift;
  for (i64 word = 0; word < m_nWords; ++word) {
    const CTileBox& t = m_tiles[static_cast<std::size_t>(band * m_nWords + word)];
    if (t.rowLo > t.rowHi) continue;
    const CPixelRect tile{64 * word + t.colLo, top + t.rowLo, 64 * word + t.colHi, top + t.rowHi};
    if (open.Empty()) {
      open = tile;
      continue;
    }
    open = {std::min(open.left, tile.left), std::min(open.top, tile.top),
            std::max(open.right, tile.right), std::max(open.bottom, tile.bottom)};
  }
  m_bandBoxes[static_cast<std::size_t>(band)] = open;
  u64& bits = m_openBands[static_cast<std::size_t>(band >> 6)];
  const u64 bit = u64{1} << (band & 63);
  bits = open.Empty() ? bits & ~bit : bits | bit;
}
