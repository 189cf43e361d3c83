#include "render/capsule.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using i64 = std::int64_t;

i64 FloorDiv(i64 n, i64 q) {  // q > 0
  const i64 quot = n / q;
  return quot - (n % q < 0);
}

i64 Abs(i64 v) { return v < 0 ? -v : v; }

}  // namespace

i64 IntSqrt(i64 n) {
  if (n <= 0) return 0;
  auto r = static_cast<i64>(std::sqrt(static_cast<double>(n)));
  while (r > 0 && r > n / r) --r;  // r * r > n
  while (r + 1 <= n / (r + 1)) ++r;
  return r;
}

void FillCapTable(int width, std::vector<std::int32_t>& table) {
  table.resize(static_cast<std::size_t>(width) + 1);
  const i64 w2 = static_cast<i64>(width) * width;
  for (int v = 0; v <= width; ++v) table[v] = static_cast<std::int32_t>(IntSqrt(w2 - i64{v} * v));
}

// With u = 2^-53, the floating-point edge ax + (v dx - r |d|) / dy is off by
// at most about u ((5 r |d| + 3 |v dx|) / |dy| + 3 |ax|). The first condition
// keeps the distance of an irrational edge from a pixel centre at 2^-27 or
// more (over seven times the 1e-9 tolerance); the second keeps that error
// below an eighth of the distance.
bool ExactCapsuleApplies(i64 x0, i64 y0, i64 x1, i64 y1, int width) {
  constexpr i64 kMax = kExactCapsuleMaxCoord;
  if (width < 2 || width > kExactCapsuleMaxWidth) return false;
  for (i64 c : {x0, y0, x1, y1})
    if (c < -kMax || c > kMax) return false;
  const i64 adx = Abs(x1 - x0), ady = Abs(y1 - y0);
  const i64 sideSum = width * (adx + ady);  // at least w |d|
  using u128 = unsigned __int128;
  if (static_cast<u128>(2 * ady) * static_cast<u128>(2 * sideSum + 1) > (u128{1} << 27))
    return false;
  const u128 spread = static_cast<u128>(3 * sideSum) +
                      static_cast<u128>(3 * (ady + width)) * static_cast<u128>(adx) +
                      (static_cast<u128>(ady) << 19);
  return static_cast<u128>(2 * sideSum + 1) * spread <= (u128{1} << 49);
}

CFloorSteps::CFloorSteps(i64 n0, i64 step, i64 q) : m_q(q) {
  m_quot = FloorDiv(n0, q);
  m_rem = n0 - m_quot * q;
  m_stepQuot = FloorDiv(step, q);
  m_stepRem = step - m_stepQuot * q;
}

CCapsuleRows::CCapsuleRows(i64 x0, i64 y0, i64 x1, i64 y1, int width, const std::int32_t* cap)
    : m_w(width), m_cap(cap) {
  const i64 shift = width % 2 == 0 ? 1 : 0;
  if (y1 < y0) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  m_ax2 = 2 * x0 - shift;
  m_ay2 = 2 * y0 - shift;
  m_bx2 = 2 * x1 - shift;
  m_dx = x1 - x0;
  m_dy = y1 - y0;
  m_len2 = m_dx * m_dx + m_dy * m_dy;
  m_crossRoot = IntSqrt(m_w * m_w * m_len2);
}

// A ceiling is the floor of n + q - 1. On each row v grows by 2.
void CCapsuleRows::Start(i64 y) {
  m_v = 2 * y - m_ay2;
  if (m_dy > 0) {
    const i64 q = 2 * m_dy, m = m_ax2 * m_dy + m_v * m_dx;
    m_crossLo = CFloorSteps(m - m_crossRoot + q - 1, 2 * m_dx, q);
    m_crossHi = CFloorSteps(m + m_crossRoot, 2 * m_dx, q);
  }
  if (m_dx > 0) {
    const i64 q = 2 * m_dx, n = m_ax2 * m_dx - m_v * m_dy;
    m_dotLo = CFloorSteps(n + q - 1, -2 * m_dy, q);
    m_dotHi = CFloorSteps(n + 2 * m_len2, -2 * m_dy, q);
  } else if (m_dx < 0) {
    const i64 g = -m_dx, q = 2 * g, n = m_ax2 * g + m_v * m_dy;
    m_dotLo = CFloorSteps(n - 2 * m_len2 + q - 1, 2 * m_dy, q);
    m_dotHi = CFloorSteps(n, 2 * m_dy, q);
  }
}

// The row's span is the hull of three pieces (cap at A, cap at B, band),
// whose union is the row's cut through the convex stroke; a piece holding no
// pixel centre is left out.
bool CCapsuleRows::Next(i64& lo, i64& hi) {
  lo = INT64_MAX;
  hi = INT64_MIN;
  const auto merge = [&lo, &hi](i64 l, i64 h) {
    if (l > h) return;
    lo = std::min(lo, l);
    hi = std::max(hi, h);
  };
  const i64 va = Abs(m_v), vb = Abs(m_v - 2 * m_dy);
  if (va <= m_w) merge(CeilHalf(m_ax2 - m_cap[va]), FloorHalf(m_ax2 + m_cap[va]));
  if (vb <= m_w) merge(CeilHalf(m_bx2 - m_cap[vb]), FloorHalf(m_bx2 + m_cap[vb]));

  bool band = true;
  i64 bandLo = INT64_MIN, bandHi = INT64_MAX;
  if (m_dy > 0) {
    bandLo = m_crossLo.Value();
    bandHi = m_crossHi.Value();
    m_crossLo.Next();
    m_crossHi.Next();
  } else {
    band = va <= m_w;
  }
  if (m_dx != 0) {
    bandLo = std::max(bandLo, m_dotLo.Value());
    bandHi = std::min(bandHi, m_dotHi.Value());
    m_dotLo.Next();
    m_dotHi.Next();
  } else {
    band = band && m_v >= 0 && m_v <= 2 * m_dy;
  }
  if (band) merge(bandLo, bandHi);
  m_v += 2;
  return lo <= hi;
}

CFloatCapsule::CFloatCapsule(i64 x0, i64 y0, i64 x1, i64 y1, int width) {
  const double shift = width % 2 == 0 ? -0.5 : 0.0;
  m_r = width / 2.0;
  m_ax = static_cast<double>(x0) + shift;
  m_ay = static_cast<double>(y0) + shift;
  m_bx = static_cast<double>(x1) + shift;
  m_by = static_cast<double>(y1) + shift;
  m_dx = m_bx - m_ax;
  m_dy = m_by - m_ay;
  m_len = std::sqrt(m_dx * m_dx + m_dy * m_dy);
  m_len2 = m_dx * m_dx + m_dy * m_dy;
}

bool CFloatCapsule::Rows(int top, int bottom, int& first, int& last) const {
  const double t = std::max(std::min(m_ay, m_by) - m_r, static_cast<double>(top));
  const double b = std::min(std::max(m_ay, m_by) + m_r, static_cast<double>(bottom));
  if (t > b) return false;
  first = static_cast<int>(std::ceil(t));
  last = static_cast<int>(std::floor(b));
  return first <= last;
}

bool CFloatCapsule::ReachesColumns(int left, int right) const {
  return !(std::max(m_ax, m_bx) + m_r < left || std::min(m_ax, m_bx) - m_r >= right);
}

bool CFloatCapsule::Span(int y, i64& outLo, i64& outHi) const {
  constexpr double kEps = 1e-9;
  constexpr double kInf = 1e300;
  const double r = m_r, ax = m_ax, ay = m_ay, dx = m_dx, dy = m_dy;
  double lo = kInf, hi = -kInf;
  auto disc = [&](double cx, double cy) {
    const double v = y - cy;
    const double h2 = r * r - v * v;
    if (h2 < -kEps) return;
    const double h = std::sqrt(std::max(h2, 0.0));
    lo = std::min(lo, cx - h);
    hi = std::max(hi, cx + h);
  };
  disc(m_ax, m_ay);
  disc(m_bx, m_by);
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
  limit(dy, -ax * dy - v * dx, -r * m_len, r * m_len);
  // dot = (x - ax) * dx + v * dy
  limit(dx, -ax * dx + v * dy, 0.0, m_len2);
  if (bandLo <= bandHi) {
    lo = std::min(lo, bandLo);
    hi = std::max(hi, bandHi);
  }
  if (lo > hi) return false;
  outLo = static_cast<i64>(std::ceil(std::max(lo - kEps, -1e15)));
  outHi = static_cast<i64>(std::floor(std::min(hi + kEps, 1e15)));
  return true;
}
