// The pixels of a line drawn with a pen wider than one pixel: every pixel
// whose centre lies within width / 2 of the segment, with round caps at both
// ends. For an even width the stroke's centre line sits half a pixel up and
// left, so a horizontal line of width w covers exactly w rows. The stroke is
// convex, so each row holds one span.
//
// Two computations of the same spans:
// - CCapsuleRows, in integers on doubled coordinates (the half-pixel shift
//   stays integral), row after row without a division;
// - CFloatCapsule, in floating point with a tolerance of 1e-9 pixel at each
//   edge, as the preview has always drawn.
// Where ExactCapsuleApplies holds they paint the same pixels. An edge of a
// span is either a rational number that both hit exactly, or lies at
// ax + (v dx +- r |d|) / dy with |d| irrational; such an edge keeps at least
// 1 / (2 |dy| (2 w |d| + 1)) from any pixel centre (|n - sqrt(m)| >= 1 /
// (n + sqrt(m)) for a non-square m), which the conditions keep several times
// larger than the tolerance plus the rounding of the floating-point terms.
// Beyond them (end points far outside any frame, very long lines with very
// wide pens) the floating-point computation draws.
#pragma once
#include <cstdint>
#include <vector>

// floor(sqrt(n)) for 0 <= n < 2^62.
std::int64_t IntSqrt(std::int64_t n);

// isqrt(width^2 - v^2) for v = 0..width: the half-widths of a cap's rows.
void FillCapTable(int width, std::vector<std::int32_t>& table);

// The widest pen and the farthest end point the integer computation takes.
constexpr int kExactCapsuleMaxWidth = 4096;
constexpr std::int64_t kExactCapsuleMaxCoord = std::int64_t{1} << 16;

bool ExactCapsuleApplies(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                         int width);

// floor((n0 + k step) / q) for k = 0, 1, 2, ...; q > 0.
class CFloorSteps {
 public:
  CFloorSteps() = default;
  CFloorSteps(std::int64_t n0, std::int64_t step, std::int64_t q);
  std::int64_t Value() const { return m_quot; }
  void Next() {
    m_rem += m_stepRem;
    const std::int64_t carry = m_rem >= m_q;
    m_quot += m_stepQuot + carry;
    m_rem -= m_q & -carry;
  }

 private:
  std::int64_t m_quot = 0, m_rem = 0, m_stepQuot = 0, m_stepRem = 0, m_q = 1;
};

// Halves of doubled coordinates, rounded down and up.
inline std::int64_t FloorHalf(std::int64_t n) { return n >> 1; }
inline std::int64_t CeilHalf(std::int64_t n) { return (n + 1) >> 1; }

class CCapsuleRows {
 public:
  // Device end points (not both equal), width >= 2, cap = FillCapTable(width).
  CCapsuleRows(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int width,
               const std::int32_t* cap);
  // Rows outside these hold no pixel of the stroke.
  std::int64_t FirstRow() const { return CeilHalf(m_ay2 - m_w); }
  std::int64_t LastRow() const { return FloorHalf(m_ay2 + 2 * m_dy + m_w); }

  // Places the walk on row y; before the first Next.
  void Start(std::int64_t y);
  // The span of the current row (false: none), then moves to the next row.
  bool Next(std::int64_t& lo, std::int64_t& hi);

 private:
  // Doubled coordinates: A and B are the end points with the even-width
  // shift, ordered so that dy >= 0; v = 2 y - ay2 on the current row.
  std::int64_t m_ax2 = 0, m_ay2 = 0, m_bx2 = 0;
  std::int64_t m_dx = 0, m_dy = 0, m_len2 = 0;
  std::int64_t m_w = 0, m_v = 0;
  std::int64_t m_crossRoot = 0;  // isqrt(w^2 |d|^2)
  const std::int32_t* m_cap = nullptr;
  // The band along the segment: |cross(P - A, d)| <= r |d| gives
  // [crossLo, crossHi], 0 <= dot(P - A, d) <= |d|^2 gives [dotLo, dotHi].
  CFloorSteps m_crossLo, m_crossHi, m_dotLo, m_dotHi;
};

class CFloatCapsule {
 public:
  CFloatCapsule(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int width);
  // Rows within [top, bottom] (inclusive) that may hold pixels; false: none.
  bool Rows(int top, int bottom, int& first, int& last) const;
  // Whether the stroke can reach columns [left, right).
  bool ReachesColumns(int left, int right) const;
  // The span of row y before clipping; false: none.
  bool Span(int y, std::int64_t& lo, std::int64_t& hi) const;

 private:
  double m_r, m_ax, m_ay, m_bx, m_by, m_dx, m_dy, m_len, m_len2;
};
