#include "render/control_background.h"

#include <algorithm>

#include "app/resource.h"

void PaintControlBackground(int id, CPixelBuffer& pixels) {
  if (id == IDC_PREVIEW) {
    std::fill(pixels.pixels.begin(), pixels.pixels.end(), 0xFFFFFFu);
    return;
  }
  std::fill(pixels.pixels.begin(), pixels.pixels.end(), kDialogFaceRgb);
  if (id != IDC_THUMBNAIL) return;
  const int w = pixels.width, h = pixels.height;
  if (w == 0 || h == 0) return;
  for (int x = 0; x < w; ++x) {
    pixels.pixels[static_cast<std::size_t>(x)] = 0;
    pixels.pixels[static_cast<std::size_t>(h - 1) * w + x] = 0;
  }
  for (int y = 0; y < h; ++y) {
    pixels.pixels[static_cast<std::size_t>(y) * w] = 0;
    pixels.pixels[static_cast<std::size_t>(y) * w + (w - 1)] = 0;
  }
}
