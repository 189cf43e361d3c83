// Two walks over the records: the first measures the sewn lines, the second
// draws them. A line is sewn from the needle's position to a KIND_STITCH
// record; the origin record and KIND_MOVE records only place the needle, and
// a colour change keeps the position, as in the preview. Unlike the preview
// nothing is drawn from the picture's corner to the origin.
#include "render/design_picture.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "render/device_context.h"

namespace {

// Calls block(k) at the k-th colour change and line(x0, y0, x1, y1) for
// every sewn line of non-zero length, in record order.
template <class OnBlock, class OnLine>
void WalkSewnLines(const CDesign& dlg, OnBlock block, OnLine line) {
  const std::size_t records = std::min({dlg.m_arrKind.size(), dlg.m_arrX.size(), dlg.m_arrY.size()});
  int x = 0, y = 0, k = 0;
  for (std::size_t i = 0; i < records; ++i) {
    const std::uint8_t kind = dlg.m_arrKind[i];
    if (kind == KIND_END) break;
    if (kind == KIND_COLOR) {
      block(++k);
      continue;
    }
    const int nx = dlg.m_arrX[i], ny = dlg.m_arrY[i];
    if (kind == KIND_STITCH && (nx != x || ny != y)) line(x, y, nx, ny);
    x = nx;
    y = ny;
  }
}

struct Extent {
  int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;

  void Add(int x, int y) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
  bool Empty() const { return minX > maxX; }
};

// Design units to pixels on one axis: the larger span of the drawing becomes
// `inner` pixels (rounded to the nearest), after a margin that keeps the
// pen's stroke inside the picture.
struct AxisMapping {
  std::int64_t min, inner, span;
  int margin;

  std::int64_t Pixels(std::int64_t units) const { return (2 * units * inner + span) / (2 * span); }
  int operator()(int v) const { return margin + static_cast<int>(Pixels(v - min)); }
};

}  // namespace

int DesignPicturePenWidth(int size) {
  return std::max(1, (size + 64) / 96);
}

bool DrawDesignPicture(const CDesign& dlg, const CPalettes& palettes, int size,
                       std::uint32_t background, CPixelBuffer& picture) {
  picture.Resize(0, 0);
  size = std::max(size, 1);
  Extent extent;
  WalkSewnLines(dlg, [](int) {}, [&extent](int x0, int y0, int x1, int y1) {
    extent.Add(x0, y0);
    extent.Add(x1, y1);
  });
  if (extent.Empty()) return false;

  // A round-capped stroke of width w reaches w / 2 pixels before its end
  // point and (w - 1) / 2 after it (even widths sit half a pixel up-left).
  const int penWidth = std::min(DesignPicturePenWidth(size), size);
  const std::int64_t spanX = std::int64_t{extent.maxX} - extent.minX;
  const std::int64_t spanY = std::int64_t{extent.maxY} - extent.minY;
  const std::int64_t span = std::max(spanX, spanY);  // > 0: some line has a length
  const std::int64_t inner = size - penWidth;
  const AxisMapping mapX{extent.minX, inner, span, penWidth / 2};
  const AxisMapping mapY{extent.minY, inner, span, penWidth / 2};
  picture.Resize(static_cast<int>(mapX.Pixels(spanX)) + penWidth,
                 static_cast<int>(mapY.Pixels(spanY)) + penWidth);
  std::fill(picture.pixels.begin(), picture.pixels.end(), background);

  CSoftDC dc(picture);  // MM_TEXT: the mapping above is the only scaling
  CPen pen;
  pen.CreatePen(PS_SOLID, penWidth, palettes.BlockColor(dlg, 0));
  CPen* keptPen = dc.SelectObject(&pen);
  // Where the pen is, in design units and in pixels. Stitches shorter than a
  // pixel are joined: the next line starts at the last pixel drawn to, so a
  // dense design costs one stroke per pixel step, not one per stitch.
  int lastX = INT_MIN, lastY = INT_MIN, penX = 0, penY = 0;
  WalkSewnLines(
      dlg,
      [&](int k) {
        dc.SelectObject(keptPen);
        pen.DeleteObject();
        pen.CreatePen(PS_SOLID, penWidth, palettes.BlockColor(dlg, k));
        dc.SelectObject(&pen);
      },
      [&](int x0, int y0, int x1, int y1) {
        if (x0 != lastX || y0 != lastY) {
          penX = mapX(x0);
          penY = mapY(y0);
          dc.MoveTo(penX, penY);
        }
        lastX = x1;
        lastY = y1;
        const int px = mapX(x1), py = mapY(y1);
        if (px == penX && py == penY) return;
        dc.LineTo(px, py);
        penX = px;
        penY = py;
      });
  dc.SelectObject(keptPen);
  pen.DeleteObject();
  return true;
}
