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
#include <cstdint>

#include "export/record_walk.h"

struct CPositionBox {
  bool empty = true;
  std::int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;

  void Add(std::int32_t x, std::int32_t y) {
    if (empty) {
      empty = false;
      minX = maxX = x;
      minY = maxY = y;
    }
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

// One pass over the design's own records.
CBlockPlan PlanBlocks(const CDesign& design);

// Calls visit(x, y, kind) for the walk's records, without the colour changes
// the plan leaves out.
template <class Visit>
void ForEachWritten(const CRecordWalk& walk, const CBlockPlan& plan, Visit&& visit) {
  int change = 0;
  const int end = plan.leading + plan.blocks - 1;  // the first change left out at the end
  walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      const int c = change++;
      if (c < plan.leading || c >= end) return;
    }
    visit(x, y, kind);
  });
}
