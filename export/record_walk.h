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
#include <optional>

#include "design/design.h"

// A point in the design's positions, wider than a position so that a writer
// may name one outside the 16-bit range.
struct CWidePoint {
  std::int32_t x = 0, y = 0;
};

struct CRecordWalk {
  const CDesign& design;
  bool leadInMove = false;
  // Where the writer's stream begins, in the design's positions, when that
  // is not record 0: a writer that moves the design in its file, or begins
  // its stream at another point. The lead-in is measured from here.
  std::optional<CWidePoint> leadInFrom = std::nullopt;

  // Where the needle stands before the first written record: the position
  // of record 0.
  std::int16_t StartX() const { return design.m_arrX.size() > 0 ? design.m_arrX[0] : 0; }
  std::int16_t StartY() const { return design.m_arrY.size() > 0 ? design.m_arrY[0] : 0; }

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
    const std::int32_t fromX = leadInFrom ? leadInFrom->x : StartX();
    const std::int32_t fromY = leadInFrom ? leadInFrom->y : StartY();
    bool first = true;
    for (std::size_t i = static_cast<std::size_t>(design.FirstOwnRecord()); i < records && kinds[i] != KIND_END;
         ++i) {
      const std::uint8_t kind = kinds[i] == KIND_COLOR ? KIND_COLOR
                                : kinds[i] == KIND_MOVE ? KIND_MOVE
                                                         : KIND_STITCH;
      if (kind != KIND_COLOR) {
        if (first && leadInMove && kind == KIND_STITCH && (xs[i] != fromX || ys[i] != fromY))
          visit(xs[i], ys[i], static_cast<std::uint8_t>(KIND_MOVE));
        first = false;
      }
      visit(xs[i], ys[i], kind);
    }
  }
};
