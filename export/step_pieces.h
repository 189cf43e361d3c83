// The written records of a design as the steps a record format encodes:
// each stitch and move measured from where the needle stands, colour
// changes with no movement, and every step longer than a format's record
// cut into pieces along its straight line, so that each piece fits one
// record and together they end exactly where the step ends.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "export/record_walk.h"
#include "export/step_split.h"

struct CStepLimits {
  int stitch;  // the longest stitch one record holds, per axis
  int move;    // the longest move one record holds, per axis
};

// Calls visit(dx, dy, kind) for every piece in order: kind KIND_STITCH,
// KIND_MOVE or KIND_COLOR (dx = dy = 0), dy in the design's direction (down).
// Positions wrap at 16 bits, as the design stores them, so a step is never
// longer than 32768 units per axis. A step of n pieces ends its j-th piece
// at j / n of the way, rounded to the nearest unit, halves away from zero.
template <class Visit>
void ForEachStepPiece(const CDesign& design, CStepLimits limits, Visit&& visit) {
  const CRecordWalk walk{design, /*leadInMove=*/true};
  std::int16_t penX = walk.StartX(), penY = walk.StartY();
  walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      visit(0, 0, kind);
      return;
    }
    const int dx = static_cast<std::int16_t>(x - penX), dy = static_cast<std::int16_t>(y - penY);
    penX = x;
    penY = y;
    SplitStepAwayFromZero(dx, dy, kind == KIND_MOVE ? limits.move : limits.stitch,
                          [&](int px, int py, bool) { visit(px, py, kind); });
  });
}
