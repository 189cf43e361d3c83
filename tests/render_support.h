// Pixel helpers shared by the preview and device-context tests.
#pragma once
#include <algorithm>
#include <climits>
#include <cstdint>

#include "framework/platform.h"

namespace render_test {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

struct Box {
  int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1;
  bool Empty() const { return maxX < 0; }
};

// Bounding box of the pixels that differ from the background.
inline Box PaintedBox(const CPixelBuffer& f, std::uint32_t background = kWhite) {
  Box b;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      if (f.At(x, y) != background) {
        b.minX = std::min(b.minX, x);
        b.maxX = std::max(b.maxX, x);
        b.minY = std::min(b.minY, y);
        b.maxY = std::max(b.maxY, y);
      }
  return b;
}

inline int CountRgb(const CPixelBuffer& f, std::uint32_t rgb, int y0 = 0, int y1 = INT_MAX) {
  int n = 0;
  for (int y = y0; y < std::min(y1, f.height); ++y)
    for (int x = 0; x < f.width; ++x) n += f.At(x, y) == rgb;
  return n;
}

}  // namespace render_test
