// The records a writer of relative steps writes, as the pieces its largest
// record allows: every step measured from where the needle was left, in 16
// bits as the readers sum it, and split along its line (step_split.h).
#pragma once
#include <cstdint>

#include "export/block_plan.h"
#include "export/step_split.h"

// Calls piece(kind, dx, dy, x, y) for each piece of every written record, x
// and y where the piece leaves the needle; a colour change is one piece of
// no movement. keep(kind, dx, dy) is asked first for every stitch and move
// with its whole step and may leave it out.
template <class Keep, class Piece>
void ForEachPiece(const CRecordWalk& walk, const CBlockPlan& plan, CWidePoint from, int maxStep, Keep&& keep,
                  Piece&& piece) {
  std::int32_t penX = from.x, penY = from.y;
  ForEachWritten(walk, plan, [&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      piece(kind, 0, 0, penX, penY);
      return;
    }
    const int dx = static_cast<std::int16_t>(x - penX), dy = static_cast<std::int16_t>(y - penY);
    if (!keep(kind, dx, dy)) return;
    SplitStep(dx, dy, maxStep, [&](int px, int py) {
      penX = static_cast<std::int16_t>(penX + px);
      penY = static_cast<std::int16_t>(penY + py);
      piece(kind, px, py, penX, penY);
    });
  });
}
