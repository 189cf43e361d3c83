// The records of a design placed with the centre of its box at the file's
// origin, as formats that describe a design about its hoop's centre want it
// (JEF, VP3), measured step by step; and the split of a step that is longer
// than a format's record into pieces on its straight line.
//
// The centre is taken in whole 0.1 mm, so every position and step stays
// exact: nothing is rounded, and each step is the difference of two absolute
// positions, so no error can accumulate along the design. Where the box has
// an odd size the centre is rounded toward zero, which leaves the Janome
// digitizer samples (boxes such as -295..296 and -848..847) where they are.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "export/record_walk.h"
#include "export/step_split.h"

class CCentredDesign {
 public:
  explicit CCentredDesign(const CDesign& design) : m_design(design) {
    bool any = false;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    CRecordWalk{design}.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
      if (kind == KIND_COLOR) return;
      minX = any ? std::min<int>(minX, x) : x;
      maxX = any ? std::max<int>(maxX, x) : x;
      minY = any ? std::min<int>(minY, y) : y;
      maxY = any ? std::max<int>(maxY, y) : y;
      any = true;
    });
    m_centreX = (minX + maxX) / 2;
    m_centreY = (minY + maxY) / 2;
    left = m_centreX - minX;
    right = maxX - m_centreX;
    top = m_centreY - minY;
    bottom = maxY - m_centreY;
  }

  // The box about the centre as positive distances (Y down); all 0 for a
  // design without stitches.
  int left = 0, right = 0, top = 0, bottom = 0;
  int Width() const { return left + right; }
  int Height() const { return top + bottom; }

  // Calls visit(dx, dy, kind) for every written record: kind STITCH, MOVE or
  // COLOR, (dx, dy) the step from where the needle stands, the centre before
  // the first (a colour change steps (0, 0)). A lead-in move comes first
  // where the first stitch lies away from the centre. Positions keep 16
  // bits, as the design holds them: a step is the shorter way there, as
  // every reader adds it up.
  template <class Visit>
  void ForEachStep(Visit&& visit) const {
    const CRecordWalk walk{m_design, /*leadInMove=*/true, CWidePoint{m_centreX, m_centreY}};
    int penX = 0, penY = 0;
    walk.ForEach([&](std::int16_t x, std::int16_t y, std::uint8_t kind) {
      if (kind == KIND_COLOR) {
        visit(0, 0, kind);
        return;
      }
      const int cx = x - m_centreX, cy = y - m_centreY;
      visit(static_cast<std::int16_t>(cx - penX), static_cast<std::int16_t>(cy - penY), kind);
      penX = cx;
      penY = cy;
    });
  }

 private:
  const CDesign& m_design;
  int m_centreX = 0, m_centreY = 0;
};
