// The colour blocks a writer of a format with a thread list writes, and the
// boxes of the positions it writes.
//
// Colour changes before the design's first stitch and after its last stitch
// or move are left out: they would open blocks that sew nothing and still
// take an entry of the thread list (a PCS design begins with a change, some
// PES files end with one). Every change between them is kept, also one that
// follows another directly: each is a stop of the machine that the design
// has, and a colour change stays a colour change.
#pragma once
#include <algorithm>
#include <climits>
#include <cstdint>

#include "export/record_walk.h"

struct CPositionBox {
  // Empty while minX > maxX.
  std::int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;

  bool Empty() const { return minX > maxX; }
  void Add(std::int32_t x, std::int32_t y) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
};

struct CBlockPlan {
  int leading = 0;     // colour changes left out before the first stitch
  int blocks = 1;      // written colour blocks, never 0
  int firstBlock = 0;  // the design's block that written block 0 is
  // Every stitch and move position the walk gives.
  CPositionBox positions;
  // The stitches, without one that stays where a written colour change
  // left the needle: it sews nothing new (and is how our SEW reader reads
  // the end of a colour change).
  CPositionBox stitches;
};

// One pass over the design's own records. alsoVisit(x, y, kind) sees each
// of them (no lead-in: where the writer's stream begins is not known yet)
// on the way, so that a writer may count what it will write in the same
// pass.
template <class Visit>
CBlockPlan PlanBlocks(const CDesign& design, Visit&& alsoVisit) {
  CBlockPlan plan;
  // In locals, which the loop keeps in registers.
  CPositionBox positions, stitches;
  int changes = 0, beforeLastMovement = 0, beforeFirstMovement = -1, leading = -1;
  // A colour change after the first stitch is written (one after the last
  // movement has no stitch after it); where it left the needle.
  bool afterChange = false;
  std::int16_t changeX = 0, changeY = 0;
  // Inlined, so that the locals stay out of memory.
  CRecordWalk{design}.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) __attribute__((always_inline)) {
    alsoVisit(x, y, kind);
    if (kind == KIND_COLOR) {
      ++changes;
      afterChange = leading >= 0;
      changeX = x;
      changeY = y;
      return;
    }
    if (beforeFirstMovement < 0) beforeFirstMovement = changes;
    if (kind == KIND_STITCH) {
      if (leading < 0) leading = changes;
      if (!afterChange || x != changeX || y != changeY) stitches.Add(x, y);
    }
    afterChange = false;
    beforeLastMovement = changes;
    positions.Add(x, y);
  });
  plan.positions = positions;
  plan.stitches = stitches;
  // Without a stitch every change is left out: the moves form one block,
  // that of the first of them.
  const bool stitched = leading >= 0;
  plan.leading = stitched ? leading : changes;
  plan.blocks = stitched ? beforeLastMovement - leading + 1 : 1;
  plan.firstBlock = stitched ? leading : std::max(beforeFirstMovement, 0);
  return plan;
}

inline CBlockPlan PlanBlocks(const CDesign& design) {
  return PlanBlocks(design, [](std::int16_t, std::int16_t, std::uint8_t) {});
}

// Calls visit(x, y, kind) for the walk's records, without the colour changes
// the plan leaves out.
template <class Visit>
void ForEachWritten(const CRecordWalk& walk, const CBlockPlan& plan, Visit&& visit) {
  int change = 0;
  const int end = plan.leading + plan.blocks - 1;  // the first change left out at the end
  walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) __attribute__((always_inline)) {
    if (kind == KIND_COLOR) {
      const int c = change++;
      if (c < plan.leading || c >= end) return;
    }
    visit(x, y, kind);
  });
}
