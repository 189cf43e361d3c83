#include "render/device_context.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using i64 = std::int64_t;
using i128 = __int128;

constexpr i64 kFastLimit = i64{1} << 24;

// Division rounding toward minus infinity and plus infinity; d > 0.
i128 FloorDiv(i128 n, i128 d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
i128 CeilDiv(i128 n, i128 d) { return -FloorDiv(-n, d); }

i64 Clamp64(i128 v, i64 lo, i64 hi) {
  return v < lo ? lo : v > hi ? hi : static_cast<i64>(v);
}

}  // namespace

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  if (style != PS_SOLID || width < 0) return FALSE;
  m_bCreated = true;
  m_nWidth = width;
  m_color = color & 0x00FFFFFFu;
  return TRUE;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  m_rect = {std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
  m_bCreated = true;
  return TRUE;
}

CSoftDC::CSoftDC(CPixelBuffer& target) : m_target(target) {
  m_defaultPen.CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
  m_pPen = &m_defaultPen;
  SelectClipRgn(nullptr);
}

void CSoftDC::SelectClipRgn(const CRgn* region) {
  m_clipLeft = 0;
  m_clipTop = 0;
  m_clipRight = m_target.width;
  m_clipBottom = m_target.height;
  if (!region || !region->Created()) return;
  const CRect& r = region->Rect();
  m_clipLeft = std::max(m_clipLeft, r.left);
  m_clipTop = std::max(m_clipTop, r.top);
  m_clipRight = std::min(m_clipRight, r.right);
  m_clipBottom = std::min(m_clipBottom, r.bottom);
}

CPen* CSoftDC::SelectObject(CPen* pen) {
  CPen* previous = m_pPen;
  if (!pen || !pen->Created()) return previous;  // nothing selected, as a failed call
  m_pPen = pen;
  m_penColor = pen->Color();
  m_penRgb = ColorRefToRgb(m_penColor);
  m_nPenWidth = pen->Width();
  UpdatePenPixels();
  return previous;
}

void CSoftDC::SelectStockObject(int brush) {
  if (brush == WHITE_BRUSH) m_brushColor = RGB(255, 255, 255);
  if (brush == BLACK_BRUSH) m_brushColor = RGB(0, 0, 0);
}

void CSoftDC::SetMapMode(int mode) {
  if (mode != MM_TEXT && mode != MM_ISOTROPIC) return;
  m_nMapMode = mode;
  UpdateScale();
}

void CSoftDC::SetWindowExt(int cx, int cy) {
  m_nWindowExtX = cx;
  m_nWindowExtY = cy;
  UpdateScale();
}

void CSoftDC::SetViewportExt(int cx, int cy) {
  m_nViewportExtX = cx;
  m_nViewportExtY = cy;
  UpdateScale();
}

// s = min(viewport / window) over the axes that have a positive extent on
// both sides. An axis without one (a design that is a straight line, or no
// design at all) does not limit the scale; with neither, one logical unit is
// one pixel.
void CSoftDC::UpdateScale() {
  m_nScaleNum = 1;
  m_nScaleDen = 1;
  if (m_nMapMode == MM_ISOTROPIC) ChooseIsotropicScale();
  PrepareFastScale();
  UpdatePenPixels();
}

void CSoftDC::ChooseIsotropicScale() {
  const bool xUsable = m_nWindowExtX > 0 && m_nViewportExtX > 0;
  const bool yUsable = m_nWindowExtY > 0 && m_nViewportExtY > 0;
  if (xUsable && yUsable) {
    // vx / wx <= vy / wy  <=>  vx * wy <= vy * wx
    if (static_cast<i64>(m_nViewportExtX) * m_nWindowExtY <=
        static_cast<i64>(m_nViewportExtY) * m_nWindowExtX) {
      m_nScaleNum = m_nViewportExtX;
      m_nScaleDen = m_nWindowExtX;
    } else {
      m_nScaleNum = m_nViewportExtY;
      m_nScaleDen = m_nWindowExtY;
    }
  } else if (xUsable) {
    m_nScaleNum = m_nViewportExtX;
    m_nScaleDen = m_nWindowExtX;
  } else if (yUsable) {
    m_nScaleNum = m_nViewportExtY;
    m_nScaleDen = m_nWindowExtY;
  }
}

void CSoftDC::PrepareFastScale() {
  m_bFastScale = false;
  // Doubling both leaves s and the rounding as they are and makes d >= 4.
  if (m_nScaleDen < 2) {
    m_nScaleNum *= 2;
    m_nScaleDen *= 2;
  }
  if (m_nScaleNum > kFastLimit || m_nScaleDen > kFastLimit) return;
  const i64 d = 2 * m_nScaleDen;
  // |2 v num| <= 2^46, so a bias of at least 2^47 keeps n in [2^46, 2^49).
  m_nBiasSteps = ((i64{1} << 47) + d - 1) / d;
  m_nBias = m_nBiasSteps * d;
  int l = 0;
  while ((i64{1} << l) < d) ++l;
  // With 2^l >= d and magic = ceil(2^k / d), the error n * (magic * d - 2^k)
  // stays below 2^k when k >= 49 + l, so the quotient is exact; k <= 62 + l
  // keeps magic within 64 bits.
  const int k = std::max(64, 49 + l);
  const unsigned __int128 one = 1;
  m_nMagic = static_cast<std::uint64_t>(((one << k) + static_cast<unsigned>(d) - 1) /
                                        static_cast<unsigned>(d));
  m_nShift = k - 64;
  m_bFastScale = true;
}

// round(v * num / den), halves away from minus infinity. Results are kept
// within +-2^60 so that differences of two device coordinates cannot
// overflow; only extents far beyond any frame come near that.
i64 CSoftDC::Scale(i64 v, i64 num, i64 den) {
  if (num == den) return v;
  const i128 n = 2 * static_cast<i128>(v) * num + den;
  constexpr i64 kLimit = i64{1} << 60;
  return Clamp64(FloorDiv(n, 2 * static_cast<i128>(den)), -kLimit, kLimit);
}

i64 CSoftDC::SlowLogicalToDevice(int v) const { return Scale(v, m_nScaleNum, m_nScaleDen); }

void CSoftDC::UpdatePenPixels() {
  if (m_nPenWidth == 0) {
    m_nPenPixels = 1;
    return;
  }
  const i64 w = Scale(m_nPenWidth, m_nScaleNum, m_nScaleDen);
  m_nPenPixels = w < 1 ? 1 : static_cast<int>(std::min<i64>(w, 1 << 20));
}

void CSoftDC::MoveTo(int x, int y) {
  m_curX = LogicalToDevice(x);
  m_curY = LogicalToDevice(y);
}

// Bresenham from (x0, y0) up to but not including (x1, y1). Step i of n
// (n = the longer side) lies at major offset i and minor offset
// floor((2 i aMinor + aMajor) / (2 aMajor)), i.e. the nearest pixel with halves
// rounded away from the start. Clipping works out the first and last step
// inside the clip area from that formula, so a cut line paints exactly the
// pixels of the uncut one.
void CSoftDC::ThinLine(i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t rgb) {
  const i64 cl = m_clipLeft, ct = m_clipTop, cr = m_clipRight, cb = m_clipBottom;
  if (cl >= cr || ct >= cb) return;
  if (std::max(x0, x1) < cl || std::min(x0, x1) >= cr || std::max(y0, y1) < ct ||
      std::min(y0, y1) >= cb)
    return;
  // Lines that need no clipping take the inline path in LineTo.
  const i64 dx = x1 - x0, dy = y1 - y0;
  const i64 signX = dx >> 63, signY = dy >> 63;  // 0 or -1
  const i64 adx = (dx ^ signX) - signX, ady = (dy ^ signY) - signY;
  const i64 xMask = -static_cast<i64>(adx >= ady);  // all ones: x is the major axis
  const auto pick = [xMask](i64 ifX, i64 ifY) { return (ifX & xMask) | (ifY & ~xMask); };
  const i64 sx = signX | 1, sy = signY | 1;
  const i64 aMa = pick(adx, ady), aMi = pick(ady, adx);
  const i64 sMa = pick(sx, sy), sMi = pick(sy, sx);
  const i64 ma0 = pick(x0, y0), mi0 = pick(y0, x0);
  const i64 maLo = pick(cl, ct), maHi = pick(cr, cb);  // [lo, hi)
  const i64 miLo = pick(ct, cl), miHi = pick(cb, cr);

  // Steps whose major coordinate lies in the clip area.
  i64 iLo = 0, iHi = aMa - 1;
  if (sMa > 0) {
    iLo = std::max(iLo, maLo - ma0);
    iHi = std::min(iHi, maHi - 1 - ma0);
  } else {
    iLo = std::max(iLo, ma0 - (maHi - 1));
    iHi = std::min(iHi, ma0 - maLo);
  }
  // Of those, the ones whose minor offset lies within [mLo, mHi].
  const i64 mLo = sMi > 0 ? miLo - mi0 : mi0 - (miHi - 1);
  const i64 mHi = sMi > 0 ? miHi - 1 - mi0 : mi0 - miLo;
  if (aMi == 0) {
    if (mLo > 0 || mHi < 0) return;
  } else {
    const i128 twoMi = static_cast<i128>(2) * aMi;
    iLo = Clamp64(std::max<i128>(iLo, CeilDiv((2 * static_cast<i128>(mLo) - 1) * aMa, twoMi)),
                  iLo, iHi + 1);
    iHi = Clamp64(std::min<i128>(iHi, CeilDiv((2 * static_cast<i128>(mHi) + 1) * aMa, twoMi) - 1),
                  iLo - 1, iHi);
  }
  if (iLo > iHi) return;

  const i64 twoMa = 2 * aMa, twoMi = 2 * aMi;
  i64 m = 0, r = aMa;  // minor offset and remainder at step iLo
  if (iLo > 0) {
    const i128 t = static_cast<i128>(iLo) * twoMi + aMa;
    m = static_cast<i64>(t / twoMa);
    r = static_cast<i64>(t % twoMa);
  }
  const i64 w = m_target.width;
  const i64 atMajor = ma0 + sMa * iLo, atMinor = mi0 + sMi * m;
  std::uint32_t* p = m_target.pixels.data() + (pick(atMinor, atMajor) * w + pick(atMajor, atMinor));
  const i64 majorStep = pick(sMa, sMa * w);
  const i64 minorStep = pick(sMi * w, sMi);
  BresenhamSteps(p, iHi - iLo + 1, r - twoMa, twoMi, twoMa, majorStep, minorStep, rgb);
}

void CSoftDC::FillSpan(int y, i64 x0, i64 x1, std::uint32_t rgb) {
  if (y < m_clipTop || y >= m_clipBottom) return;
  x0 = std::max<i64>(x0, m_clipLeft);
  x1 = std::min<i64>(x1, m_clipRight - 1);
  if (x0 > x1) return;
  std::uint32_t* row = m_target.pixels.data() + static_cast<i64>(y) * m_target.width;
  std::fill(row + x0, row + x1 + 1, rgb);
}

// A pen wider than one pixel paints every pixel whose centre lies within
// width / 2 of the segment (round caps at both ends). For an even width the
// stroke's centre sits half a pixel up and left, so a horizontal line of
// width w covers exactly w rows. Each row of the stroke is one span, since
// the stroke is convex.
void CSoftDC::WideLine(i64 x0, i64 y0, i64 x1, i64 y1, int width, std::uint32_t rgb) {
  if (x0 == x1 && y0 == y1) return;
  if (m_clipLeft >= m_clipRight || m_clipTop >= m_clipBottom) return;
  const double shift = width % 2 == 0 ? -0.5 : 0.0;
  const double r = width / 2.0;
  const double ax = static_cast<double>(x0) + shift, ay = static_cast<double>(y0) + shift;
  const double bx = static_cast<double>(x1) + shift, by = static_cast<double>(y1) + shift;
  if (std::max(ax, bx) + r < m_clipLeft || std::min(ax, bx) - r >= m_clipRight) return;
  const double top = std::max(std::min(ay, by) - r, static_cast<double>(m_clipTop));
  const double bottom = std::min(std::max(ay, by) + r, static_cast<double>(m_clipBottom - 1));
  if (top > bottom) return;

  const double dx = bx - ax, dy = by - ay;
  const double len = std::sqrt(dx * dx + dy * dy);
  const double len2 = dx * dx + dy * dy;
  constexpr double kEps = 1e-9;
  constexpr double kInf = 1e300;

  for (int y = static_cast<int>(std::ceil(top)); y <= static_cast<int>(std::floor(bottom)); ++y) {
    double lo = kInf, hi = -kInf;
    auto disc = [&](double cx, double cy) {
      const double v = y - cy;
      const double h2 = r * r - v * v;
      if (h2 < -kEps) return;
      const double h = std::sqrt(std::max(h2, 0.0));
      lo = std::min(lo, cx - h);
      hi = std::max(hi, cx + h);
    };
    disc(ax, ay);
    disc(bx, by);
    // The band between the caps: |cross(P - A, d)| <= r |d| and
    // 0 <= dot(P - A, d) <= |d|^2, both linear in x on this row.
    const double v = y - ay;
    double bandLo = -kInf, bandHi = kInf;
    auto limit = [&](double coef, double constant, double minValue, double maxValue) {
      // minValue <= coef * x + constant <= maxValue
      if (std::fabs(coef) < 1e-12) {
        if (constant < minValue - kEps || constant > maxValue + kEps) bandLo = kInf;
        return;
      }
      double a = (minValue - constant) / coef, b = (maxValue - constant) / coef;
      if (a > b) std::swap(a, b);
      bandLo = std::max(bandLo, a);
      bandHi = std::min(bandHi, b);
    };
    // cross = (x - ax) * dy - v * dx
    limit(dy, -ax * dy - v * dx, -r * len, r * len);
    // dot = (x - ax) * dx + v * dy
    limit(dx, -ax * dx + v * dy, 0.0, len2);
    if (bandLo <= bandHi) {
      lo = std::min(lo, bandLo);
      hi = std::max(hi, bandHi);
    }
    if (lo > hi) continue;
    FillSpan(y, static_cast<i64>(std::ceil(std::max(lo - kEps, -1e15))),
             static_cast<i64>(std::floor(std::min(hi + kEps, 1e15))), rgb);
  }
}

void CSoftDC::Rectangle(int left, int top, int right, int bottom) {
  i64 l = LogicalToDevice(left), t = LogicalToDevice(top);
  i64 r = LogicalToDevice(right), b = LogicalToDevice(bottom);
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return;
  const std::uint32_t brush = ColorRefToRgb(m_brushColor);
  const std::uint32_t pen = ColorRefToRgb(m_penColor);
  const i64 rowLo = std::max<i64>(t, m_clipTop), rowHi = std::min<i64>(b - 1, m_clipBottom - 1);
  const int width = PenPixelWidth();
  if (width <= 1) {
    for (i64 y = rowLo; y <= rowHi; ++y) {
      if (y == t || y == b - 1) {
        FillSpan(static_cast<int>(y), l, r - 1, pen);
      } else {
        FillSpan(static_cast<int>(y), l, l, pen);
        FillSpan(static_cast<int>(y), l + 1, r - 2, brush);
        FillSpan(static_cast<int>(y), r - 1, r - 1, pen);
      }
    }
    return;
  }
  for (i64 y = rowLo; y <= rowHi; ++y) FillSpan(static_cast<int>(y), l, r - 1, brush);
  const i64 corners[5][2] = {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}};
  for (int k = 0; k < 4; ++k)
    WideLine(corners[k][0], corners[k][1], corners[k + 1][0], corners[k + 1][1], width, pen);
}
