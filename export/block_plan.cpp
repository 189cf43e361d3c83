#include "export/block_plan.h"

CBlockPlan PlanBlocks(const CDesign& design) {
  CBlockPlan plan;
  int changes = 0, beforeLastMovement = 0, beforeFirstMovement = 0;
  // A colour change after the first stitch is written (one after the last
  // movement has no stitch after it); where it left the needle.
  bool afterChange = false;
  std::int16_t changeX = 0, changeY = 0;
  CRecordWalk{design}.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      ++changes;
      afterChange = !plan.stitches.empty;
      changeX = x;
      changeY = y;
      return;
    }
    if (plan.positions.empty) beforeFirstMovement = changes;
    if (kind == KIND_STITCH) {
      if (plan.stitches.empty) plan.leading = changes;
      if (!afterChange || x != changeX || y != changeY) plan.stitches.Add(x, y);
    }
    afterChange = false;
    beforeLastMovement = changes;
    plan.positions.Add(x, y);
  });
  // Without a stitch every change is left out: the moves form one block,
  // that of the first of them.
  const bool stitched = !plan.stitches.empty;
  plan.blocks = stitched ? beforeLastMovement - plan.leading + 1 : 1;
  plan.firstBlock = stitched ? plan.leading : beforeFirstMovement;
  if (!stitched) plan.leading = changes;
  return plan;
}
