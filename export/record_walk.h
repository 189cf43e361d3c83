// The records a writer writes, decided in this one place for every writer:
// the design's own records in order, up to its end record. The origin and
// the start stitch that every read begins with are no record of the file's
// and are never written: written, they would add a needle penetration at
// the origin and a stitch from there to the design's first point.
//
// Writers of formats that express moves ask for a lead-in: when the design's
// first own stitch or move is a stitch away from where the needle starts, a move to
// it comes first and the stitch is then made where the needle already is, so
// that the first penetration lands on the design's first point.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "design/design.h"

struct CRecordWalk {
  const CDesign& design;
  bool leadInMove = false;
  // For writers that place the design themselves (its centre at the file's
  // origin): where the file's needle starts, in the design's positions.
  bool ownStart = false;
  std::int16_t ownStartX = 0, ownStartY = 0;

  // Where the needle stands before the first written record: the position
  // of record 0, or the writer's own start.
  std::int16_t StartX() const {
    return ownStart ? ownStartX : design.m_arrX.size() > 0 ? design.m_arrX[0] : 0;
  }
  std::int16_t StartY() const {
    return ownStart ? ownStartY : design.m_arrY.size() > 0 ? design.m_arrY[0] : 0;
  }

  // Calls visit(x, y, kind) for every written record, kind one of
  // KIND_STITCH, KIND_MOVE and KIND_COLOR, with absolute positions; a
  // colour change repeats the position before it.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    const std::size_t records =
        std::min({design.m_arrX.size(), design.m_arrY.size(), design.m_arrKind.size()});
    const std::int16_t* xs = design.m_arrX.data();
    const std::int16_t* ys = design.m_arrY.data();
    const std::uint8_t* kinds = design.m_arrKind.data();
    bool first = true;
    for (std::size_t i = static_cast<std::size_t>(design.FirstOwnRecord()); i < records && kinds[i] != KIND_END;
         ++i) {
      const std::uint8_t kind = kinds[i] == KIND_COLOR ? KIND_COLOR
                                : kinds[i] == KIND_MOVE ? KIND_MOVE
                                                         : KIND_STITCH;
      if (kind != KIND_COLOR) {
        if (first && leadInMove && kind == KIND_STITCH && (xs[i] != StartX() || ys[i] != StartY()))
          visit(xs[i], ys[i], static_cast<std::uint8_t>(KIND_MOVE));
        first = false;
      }
      visit(xs[i], ys[i], kind);
    }
  }
};
