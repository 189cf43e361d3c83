// Steps longer than a format's largest record, split along their line.
//
// A step (dx, dy) whose larger axis exceeds maxStep becomes
// n = ceil(max(|dx|, |dy|) / maxStep) pieces; piece i runs from round((i-1)
// d / n) to round(i d / n). The pieces end on the step's straight line, add
// up to it exactly, and none exceeds maxStep. The Brother and Janome SEW
// writers round halves up (SplitStep), the others halves away from zero
// (SplitStepAwayFromZero): each keeps the bytes its files have always had.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>

// The number of pieces of the step; 1 when it fits one record.
inline int StepPieces(int dx, int dy, int maxStep) {
  const int m = std::max(std::abs(dx), std::abs(dy));
  return m <= maxStep ? 1 : (m + maxStep - 1) / maxStep;
}

// i d / n rounded to the nearest, halves up (towards plus infinity).
inline int RoundedPart(int d, int i, int n) {
  const long long twice = 2LL * d * i + n, den = 2LL * n;
  const long long q = twice / den;
  return static_cast<int>(twice % den < 0 ? q - 1 : q);  // the quotient floored
}

// Calls piece(px, py) for each piece of the step in order; returns their
// number.
template <class Piece>
[[gnu::always_inline]] inline int SplitStep(int dx, int dy, int maxStep, Piece&& piece) {
  const int n = StepPieces(dx, dy, maxStep);
  if (n == 1) {
    piece(dx, dy);
    return 1;
  }
  int x = 0, y = 0;
  for (int i = 1; i <= n; ++i) {
    const int nx = RoundedPart(dx, i, n), ny = RoundedPart(dy, i, n);
    piece(nx - x, ny - y);
    x = nx;
    y = ny;
  }
  return n;
}

// i d / n rounded to the nearest, halves away from zero.
inline int RoundedPartAwayFromZero(int d, int i, int n) {
  const long long twice = 2LL * d * i;
  return static_cast<int>(twice >= 0 ? (twice + n) / (2LL * n) : -((-twice + n) / (2LL * n)));
}

// Calls piece(px, py, last) for each piece of the step in order, last true
// for the piece that ends it.
template <class Piece>
[[gnu::always_inline]] inline void SplitStepAwayFromZero(int dx, int dy, int maxStep, Piece&& piece) {
  const int n = StepPieces(dx, dy, maxStep);
  if (n == 1) {
    piece(dx, dy, true);
    return;
  }
  int x = 0, y = 0;
  for (int i = 1; i <= n; ++i) {
    const int nx = RoundedPartAwayFromZero(dx, i, n), ny = RoundedPartAwayFromZero(dy, i, n);
    piece(nx - x, ny - y, i == n);
    x = nx;
    y = ny;
  }
}
