// Runs of plain two-byte stitch records, dx dy with the file's Y pointing
// up, as EXP and XXX files hold them between their commands: decoded
// straight into the design's arrays, a block at a time.
#pragma once
#include <algorithm>
#include <cstdint>

#include "design/design.h"

// Decodes the stitches from data[p] on, up to the first record whose first
// byte isCommand(b) names or to the last whole pair before size; x and y
// are the running position. Returns the offset after the last stitch.
template <class IsCommand>
std::int64_t DecodeStitchPairs(CDesign& design, const std::uint8_t* data, std::int64_t p, std::int64_t size,
                               std::int16_t& x, std::int16_t& y, IsCommand&& isCommand) {
  constexpr std::int64_t kRun = 4096;  // stitches between two checks of the arrays
  for (;;) {
    const int run = static_cast<int>(std::min<std::int64_t>((size - p) / 2, kRun));
    if (run <= 0) return p;
    int n = 0;
    design.AddStitchRun(run, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds) {
      std::int16_t cx = x, cy = y;
      CStitchBounds b = bounds;
      for (; n < run && !isCommand(data[p]); ++n, p += 2) {
        cx = static_cast<std::int16_t>(cx + static_cast<std::int8_t>(data[p]));
        cy = static_cast<std::int16_t>(cy - static_cast<std::int8_t>(data[p + 1]));
        xs[n] = cx;
        ys[n] = cy;
        b.Include(cx, cy);
      }
      x = cx;
      y = cy;
      bounds = b;
      return n;
    });
    if (n < run) return p;
  }
}
