// The one-pixel line: Bresenham from (x0, y0) up to but not including
// (x1, y1), cut to the clip area.
#include <algorithm>

#include "render/device_context.h"
#include "render/stroke_spans.h"
#include "render/wide_math.h"

namespace {

using i64 = std::int64_t;
using namespace wide_math;

// n steps from p; the minor step is taken whenever the remainder passes
// 2 aMajor (e = remainder - 2 aMajor turns non-negative). Masks instead of
// selects: the compiler turns selects into branches, and for short
// stitches the minor step comes as good as randomly.
void BresenhamSteps(std::uint32_t* p, i64 n, i64 e, i64 twoMi, i64 twoMa, i64 majorStep,
                    i64 minorStep, std::uint32_t rgb) {
  // An offset rather than a moving pointer: the step after the last pixel
  // may point past the buffer.
  i64 at = 0;
  for (; n > 0; --n) {
    p[at] = rgb;
    const i64 straight = e + twoMi;
    const i64 carry = ~(straight >> 63);  // all ones when straight >= 0
    e = straight - (twoMa & carry);
    at += majorStep + (minorStep & carry);
  }
}

}  // namespace

// Step i of n (n = the longer side) lies at major offset i and minor offset
// floor((2 i aMinor + aMajor) / (2 aMajor)), i.e. the nearest pixel with
// halves rounded away from the start. Clipping works out the first and last step
// inside the clip area from that formula, so a cut line paints exactly the
// pixels of the uncut one.
bool ThinStepsInClip(i64 x0, i64 y0, i64 x1, i64 y1, const CClipRect& clip, CThinSteps& steps) {
  const i64 cl = clip.left, ct = clip.top, cr = clip.right, cb = clip.bottom;
  if (cl >= cr || ct >= cb) return false;
  if (std::max(x0, x1) < cl || std::min(x0, x1) >= cr || std::max(y0, y1) < ct ||
      std::min(y0, y1) >= cb)
    return false;
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
    if (mLo > 0 || mHi < 0) return false;
  } else {
    const i128 twoMi = static_cast<i128>(2) * aMi;
    iLo = Clamp64(std::max<i128>(iLo, CeilDiv((2 * static_cast<i128>(mLo) - 1) * aMa, twoMi)),
                  iLo, iHi + 1);
    iHi = Clamp64(std::min<i128>(iHi, CeilDiv((2 * static_cast<i128>(mHi) + 1) * aMa, twoMi) - 1),
                  iLo - 1, iHi);
  }
  if (iLo > iHi) return false;

  const i64 twoMa = 2 * aMa, twoMi = 2 * aMi;
  i64 m = 0, r = aMa;  // minor offset and remainder at step iLo
  if (iLo > 0) {
    const i128 t = static_cast<i128>(iLo) * twoMi + aMa;
    m = static_cast<i64>(t / twoMa);
    r = static_cast<i64>(t % twoMa);
  }
  const i64 atMajor = ma0 + sMa * iLo, atMinor = mi0 + sMi * m;
  steps.count = iHi - iLo + 1;
  steps.x = pick(atMajor, atMinor);
  steps.y = pick(atMinor, atMajor);
  steps.error = r - twoMa;
  steps.twoMinor = twoMi;
  steps.twoMajor = twoMa;
  steps.majorX = pick(sMa, 0);
  steps.majorY = pick(0, sMa);
  steps.minorX = pick(0, sMi);
  steps.minorY = pick(sMi, 0);
  return true;
}

void CSoftDC::ThinLine(i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t rgb) {
  CThinSteps s;
  if (!ThinStepsInClip(x0, y0, x1, y1, {m_clipLeft, m_clipTop, m_clipRight, m_clipBottom}, s))
    return;
  const i64 w = m_target.width;
  BresenhamSteps(m_target.pixels.data() + (s.y * w + s.x), s.count, s.error, s.twoMinor,
                 s.twoMajor, s.majorY * w + s.majorX, s.minorY * w + s.minorX, rgb);
}
