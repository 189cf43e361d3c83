// The records a writer of relative steps writes, as the pieces its largest
// record allows: every step measured from where the needle was left, in 16
// bits as the readers sum it, and split along its line (step_split.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/block_plan.h"
#include "export/step_split.h"

// The needle between records.
struct CPieceStepper {
  std::int32_t x = 0, y = 0;  // where the last piece left it

  int Dx(std::int16_t toX) const { return static_cast<std::int16_t>(toX - x); }
  int Dy(std::int16_t toY) const { return static_cast<std::int16_t>(toY - y); }
  // Calls piece(dx, dy, x, y) for each piece of the step (dx, dy), x and y
  // where the piece leaves the needle.
  template <class Piece>
  [[gnu::always_inline]] void Split(int dx, int dy, int maxStep, Piece&& piece) {
    SplitStep(dx, dy, maxStep, [&](int px, int py) __attribute__((always_inline)) {
      x = static_cast<std::int16_t>(x + px);
      y = static_cast<std::int16_t>(y + py);
      piece(px, py, x, y);
    });
  }
};

// Calls piece(kind, dx, dy, x, y) for each piece of every written record,
// the needle starting at from; a colour change is one piece of no
// movement. keep(kind, dx, dy) is asked first for every stitch and move
// with its whole step and may leave it out.
template <class Keep, class Piece>
void ForEachPiece(const CRecordWalk& walk, const CBlockPlan& plan, CWidePoint from, int maxStep, Keep&& keep,
                  Piece&& piece) {
  CPieceStepper needle{from.x, from.y};
  ForEachWritten(walk, plan, [&](std::int16_t x, std::int16_t y, std::uint8_t kind) __attribute__((always_inline)) {
    if (kind == KIND_COLOR) {
      piece(kind, 0, 0, needle.x, needle.y);
      return;
    }
    const int dx = needle.Dx(x), dy = needle.Dy(y);
    if (!keep(kind, dx, dy)) return;
    needle.Split(dx, dy, maxStep,
                 [&](int px, int py, std::int32_t atX, std::int32_t atY)
                     __attribute__((always_inline)) { piece(kind, px, py, atX, atY); });
  });
}

// The design's own records counted in the pass that plans the blocks, by
// the design's blocks, but for the first stitch or move: its step depends
// on where the writer's stream begins, which that pass decides. count(kind,
// dx, dy) gives what a record of that step costs; a record for which
// skip(kind, dx, dy, afterChange) holds is not written (afterChange: it
// follows a colour change that is written).
template <class Count, class Skip>
class CFirstMovementCount {
 public:
  CFirstMovementCount(Count count, Skip skip, int maxStep) : m_count(count), m_skip(skip), m_maxStep(maxStep) {}

  [[gnu::always_inline]] void operator()(std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      m_byBlock.push_back(m_current);
      m_current = 0;
      m_afterChange = m_stitched;  // only changes after the first stitch are written
      return;
    }
    const int dx = m_needle.Dx(x), dy = m_needle.Dy(y);
    const bool skipped = m_skip(kind, dx, dy, m_afterChange);
    m_afterChange = false;
    m_stitched = m_stitched || kind == KIND_STITCH;
    if (!m_moved) {
      m_moved = true;
      m_firstX = x;
      m_firstY = y;
      m_firstKind = kind;
      m_needle = {x, y};
      return;
    }
    if (skipped) return;
    m_needle.Split(dx, dy, m_maxStep,
                   [&](int px, int py, std::int32_t, std::int32_t) { m_current += m_count(kind, px, py); });
  }

  // The first stitch or move from where the stream begins: a move there
  // (none where it is there already), and a stitch in place for a stitch;
  // moveCost is what a piece of that move costs.
  std::size_t FirstCost(CWidePoint from, std::size_t moveCost, bool zeroMoveWritten) const {
    if (!m_moved) return 0;
    const CPieceStepper start{from.x, from.y};
    const int dx = start.Dx(m_firstX), dy = start.Dy(m_firstY);
    const bool still = dx == 0 && dy == 0;
    const std::size_t travel = still && !(zeroMoveWritten && m_firstKind == KIND_MOVE)
                                   ? 0
                                   : moveCost * static_cast<std::size_t>(StepPieces(dx, dy, m_maxStep));
    return travel + (m_firstKind == KIND_STITCH ? m_count(KIND_STITCH, 0, 0) : 0);
  }

  // The cost of written block j of the plan: the design's blocks before the
  // first written change all go to block 0.
  std::size_t Block(const CBlockPlan& plan, int j) const {
    const std::size_t lead = static_cast<std::size_t>(plan.leading), k = lead + static_cast<std::size_t>(j);
    const auto of = [this](std::size_t b) {
      return b < m_byBlock.size() ? m_byBlock[b] : b == m_byBlock.size() ? m_current : 0;
    };
    if (j > 0) return of(k);
    std::size_t sum = 0;
    for (std::size_t b = 0; b <= lead && b <= m_byBlock.size(); ++b) sum += of(b);
    return sum;
  }

 private:
  Count m_count;
  Skip m_skip;
  int m_maxStep;
  std::vector<std::size_t> m_byBlock;  // the design's blocks before the current one
  std::size_t m_current = 0;
  bool m_moved = false, m_stitched = false, m_afterChange = false;
  std::int16_t m_firstX = 0, m_firstY = 0;
  std::uint8_t m_firstKind = KIND_STITCH;
  CPieceStepper m_needle;
};
