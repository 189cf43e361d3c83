#include "render/device_context.h"

#include <algorithm>
#include <cstdlib>

#include "render/capsule.h"
#include "render/wide_math.h"

namespace {

using i64 = std::int64_t;
using namespace wide_math;

constexpr i64 kFastLimit = i64{1} << 24;

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
  m_painted.UseColor(m_penRgb);
  SelectClipRgn(nullptr);
}

void CSoftDC::SelectClipRgn(const CRgn* region) {
  m_clipLeft = 0;
  m_clipTop = 0;
  m_clipRight = m_target.width;
  m_clipBottom = m_target.height;
  if (region && region->Created()) {
    const CRect& r = region->Rect();
    m_clipLeft = std::max(m_clipLeft, r.left);
    m_clipTop = std::max(m_clipTop, r.top);
    m_clipRight = std::min(m_clipRight, r.right);
    m_clipBottom = std::min(m_clipBottom, r.bottom);
  }
  // A stroke drawn under the old clip may have painted less than it would now.
  m_painted.Forget();
  UpdateLineAreas();
}

CPen* CSoftDC::SelectObject(CPen* pen) {
  CPen* previous = m_pPen;
  if (!pen || !pen->Created()) return previous;  // nothing selected, as a failed call
  m_pPen = pen;
  m_penColor = pen->Color();
  m_penRgb = ColorRefToRgb(m_penColor);
  m_painted.UseColor(m_penRgb);
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
  UpdateLineAreas();
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
  // For any int v, |2 v num| <= 2^56, so a bias of at least 2^56 keeps n
  // in [0, 2^58).
  m_nBiasSteps = ((i64{1} << 56) + d - 1) / d;
  m_nBias = m_nBiasSteps * d;
  int l = 0;
  while ((i64{1} << l) < d) ++l;
  // With 2^l >= d and magic = ceil(2^k / d), the error n * (magic * d - 2^k)
  // stays below 2^k when k >= 58 + l, so the quotient is exact; k <= 63 + l
  // keeps magic within 64 bits.
  const int k = std::max(64, 58 + l);
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

void CSoftDC::UpdatePenPixels() {
  int pixels = 1;
  if (m_nPenWidth != 0) {
    const i64 w = Scale(m_nPenWidth, m_nScaleNum, m_nScaleDen);
    pixels = w < 1 ? 1 : static_cast<int>(std::min<i64>(w, 1 << 20));
  }
  if (pixels == m_nPenPixels) return;
  m_nPenPixels = pixels;
  m_nStampSet = pixels > 1 ? 1 : 0;
  UpdateLineAreas();
}

void CSoftDC::UpdateLineAreas() {
  const i64 reach = m_nPenPixels > 1 ? m_nPenPixels / 2 + 1 : 0;
  m_reachArea = {m_clipLeft - reach, m_clipTop - reach, m_clipRight + reach, m_clipBottom + reach};
  // The smallest logical v with Scale(v) >= d: Scale(v) = floor((2 v num +
  // den) / (2 den)) >= d exactly when v >= (2 d - 1) den / (2 num).
  const auto firstMappedTo = [this](i64 d) {
    const i128 v =
        CeilDiv((2 * static_cast<i128>(d) - 1) * m_nScaleDen, 2 * static_cast<i128>(m_nScaleNum));
    return static_cast<i64>(std::clamp<i128>(v, -(i128{1} << 40), i128{1} << 40));
  };
  m_logicalReach = {firstMappedTo(m_reachArea.left), firstMappedTo(m_reachArea.top),
                    firstMappedTo(m_reachArea.right), firstMappedTo(m_reachArea.bottom)};
  m_stampArea = {};
  const CLineStamps* stamps = m_pStamps[m_nStampSet].get();
  if (!stamps || !stamps->Fits(m_nPenPixels, m_target.width)) return;
  // A wide stamp's pixels are those of the floating-point stroke while its
  // end points stay within kExactCapsuleMaxCoord.
  const i64 limit = m_nPenPixels > 1 ? kExactCapsuleMaxCoord : INT64_MAX / 4;
  const i64 left = std::max(m_clipLeft + reach, -limit), top = std::max(m_clipTop + reach, -limit);
  const i64 right = std::min(m_clipRight - reach, limit + 1);
  const i64 bottom = std::min(m_clipBottom - reach, limit + 1);
  if (left >= right || top >= bottom) return;
  m_stampArea = {left, top, static_cast<std::uint64_t>(right - left),
                 static_cast<std::uint64_t>(bottom - top)};
}

void CSoftDC::LongLine(i64 x0, i64 y0, i64 x1, i64 y1) {
  if (m_clipLeft >= m_clipRight || m_clipTop >= m_clipBottom) return;
  // The first line drawn with a pen sets its stamps up (offsets of up to
  // kMaxStep rows must fit 32 bits); from the next one on, short lines take them.
  std::shared_ptr<CLineStamps>& stamps = m_pStamps[m_nStampSet];
  const bool fits = stamps && stamps->Fits(m_nPenPixels, m_target.width);
  if (!fits && m_nPenPixels <= CLineStamps::kMaxWidth && m_target.width <= (1 << 24)) {
    stamps = CLineStamps::Shared(m_nPenPixels, m_target.width);
    UpdateLineAreas();
  }
  // A short line that the clip area cuts: its stamp, pixel by pixel.
  const i64 dx = x1 - x0, dy = y1 - y0, limit = kExactCapsuleMaxCoord;
  if (stamps && stamps->Fits(m_nPenPixels, m_target.width) &&
      std::max(std::llabs(dx), std::llabs(dy)) <= CLineStamps::kMaxStep &&
      std::max({std::llabs(x0), std::llabs(y0), std::llabs(x1), std::llabs(y1)}) <= limit &&
      stamps->PaintClipped(m_target.pixels.data(), x0, y0, dx, dy, m_penRgb, m_clipLeft, m_clipTop,
                           m_clipRight, m_clipBottom))
    return;
  if (m_nPenPixels > 1)
    WideLine(x0, y0, x1, y1, m_nPenPixels, m_penRgb);
  else
    ThinLine(x0, y0, x1, y1, m_penRgb);
}

void CSoftDC::FillSpan(i64 y, i64 x0, i64 x1, std::uint32_t rgb) {
  if (y < m_clipTop || y >= m_clipBottom) return;
  x0 = std::max<i64>(x0, m_clipLeft);
  x1 = std::min<i64>(x1, m_clipRight - 1);
  if (x0 > x1) return;
  std::uint32_t* row = m_target.pixels.data() + y * m_target.width;
  std::fill(row + x0, row + x1 + 1, rgb);
}

void CSoftDC::MoveTo(int x, int y) {
  m_curX = LogicalToDevice(x);
  m_curY = LogicalToDevice(y);
}

void CSoftDC::Rectangle(int left, int top, int right, int bottom) {
  i64 l = LogicalToDevice(left), t = LogicalToDevice(top);
  i64 r = LogicalToDevice(right), b = LogicalToDevice(bottom);
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return;
  m_painted.ForgetColor();
  const std::uint32_t brush = ColorRefToRgb(m_brushColor);
  const std::uint32_t pen = ColorRefToRgb(m_penColor);
  const i64 rowLo = std::max<i64>(t, m_clipTop), rowHi = std::min<i64>(b - 1, m_clipBottom - 1);
  const int width = PenPixelWidth();
  if (width <= 1) {
    for (i64 y = rowLo; y <= rowHi; ++y) {
      if (y == t || y == b - 1) {
        FillSpan(y, l, r - 1, pen);
      } else {
        FillSpan(y, l, l, pen);
        FillSpan(y, l + 1, r - 2, brush);
        FillSpan(y, r - 1, r - 1, pen);
      }
    }
    return;
  }
  for (i64 y = rowLo; y <= rowHi; ++y) FillSpan(y, l, r - 1, brush);
  const i64 corners[5][2] = {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}};
  for (int k = 0; k < 4; ++k)
    WideLine(corners[k][0], corners[k][1], corners[k + 1][0], corners[k + 1][1], width, pen);
}
