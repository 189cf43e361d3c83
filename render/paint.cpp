// The preview's two pictures: the design's records as lines, and the
// Brother picture.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "render/device_context.h"
#include "render/preview.h"
#include "render/reverse_paint.h"

namespace {

constexpr int kThumbnailColumns = 48;
constexpr int kThumbnailRows = 38;
constexpr int kThumbnailRowBytes = kThumbnailColumns / 8;
constexpr int kThumbnailScale = 2;  // each thumbnail pixel is a 2 x 2 square

struct CRecords {
  const std::int16_t* xs;
  const std::int16_t* ys;
  const std::uint8_t* kinds;
  std::size_t count;
};

// Screen position of a record by the rotation (quarter turns clockwise),
// before the mapping scales it; (cx, cy) gathers the bounds and offsets:
//   0: (X + cx, Y + cy)   1: (cx - Y, X + cy)   2: (cx - X, cy - Y)   3: (Y + cx, cy - X)
template <int kRotation>
int TurnedX(int x, int y, int cx) {
  if constexpr (kRotation == 0) return x + cx;
  if constexpr (kRotation == 1) return cx - y;
  if constexpr (kRotation == 2) return cx - x;
  return y + cx;
}
template <int kRotation>
int TurnedY(int x, int y, int cy) {
  if constexpr (kRotation == 0) return y + cy;
  if constexpr (kRotation == 1) return x + cy;
  if constexpr (kRotation == 2) return cy - y;
  return cy - x;
}

// Lines through the records up to the first end record, from the frame's
// corner to the first point and on from point to point; a colour record
// selects the next block's pen and keeps the position. They are painted
// from the last to the first, so that each pixel is painted once, by the
// last line that reaches it.
template <int kRotation, typename Map, typename BlockRgb>
void PaintRecords(CReversePaint& paint, const CRecords& r, int cx, int cy, const Map& map,
                  BlockRgb&& blockRgb) {
  const auto* endRecord =
      static_cast<const std::uint8_t*>(std::memchr(r.kinds, KIND_END, r.count));
  std::size_t i = endRecord ? static_cast<std::size_t>(endRecord - r.kinds) : r.count;
  int block = static_cast<int>(std::count(r.kinds, r.kinds + i, std::uint8_t{KIND_COLOR}));
  const auto point = [&](std::size_t at, std::int64_t& x, std::int64_t& y) {
    x = map(TurnedX<kRotation>(r.xs[at], r.ys[at], cx));
    y = map(TurnedY<kRotation>(r.xs[at], r.ys[at], cy));
  };
  for (; i > 0 && r.kinds[i - 1] == KIND_COLOR; --i) --block;
  if (i == 0) return;
  std::int64_t x1, y1;
  point(--i, x1, y1);
  int lineBlock = block;  // the block of the line that ends at (x1, y1)
  std::uint32_t rgb = blockRgb(block);
  while (i > 0 && !paint.Done()) {
    if (r.kinds[--i] == KIND_COLOR) {
      --block;
      continue;
    }
    std::int64_t x0, y0;
    point(i, x0, y0);
    paint.Stroke(x0, y0, x1, y1, rgb);
    x1 = x0;
    y1 = y0;
    if (block != lineBlock) rgb = blockRgb(lineBlock = block);
  }
  paint.Stroke(0, 0, x1, y1, rgb);  // the frame's corner is where drawing starts
}

}  // namespace

void PaintDesign(CPixelBuffer& frame, const CDesign& design, const CPreviewView& view,
                 const CPalettes& palettes) {
  CSoftDC dc(frame);  // the mapping and the pen's width in pixels
  const CRect client = dc.GetClientRect();
  CPen pen;
  pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  CPen* keptPen = dc.SelectObject(&pen);

  dc.SetMapMode(MM_ISOTROPIC);
  const int z = view.zoomPercent != 0 ? view.zoomPercent : 100;
  const int extW = design.m_nWidth * 100 / z, extH = design.m_nHeight * 100 / z;
  if (view.rotation == 1 || view.rotation == 3)
    dc.SetWindowExt(extH, extW);
  else
    dc.SetWindowExt(extW, extH);
  dc.SetViewportExt(client.right, client.bottom);

  std::size_t records = design.m_arrKind.size();
  if (design.m_arrX.size() < records) records = design.m_arrX.size();
  if (design.m_arrY.size() < records) records = design.m_arrY.size();
  const CRecords r{design.m_arrX.data(), design.m_arrY.data(), design.m_arrKind.data(), records};
  CReversePaint paint(frame, dc.PenPixelWidth());
  const auto map = dc.Mapping();
  const auto blockRgb = [&](int block) {
    return ColorRefToRgb(palettes.BlockColor(design, block) & 0x00FFFFFFu);
  };
  const int ox = view.offsetX, oy = view.offsetY;
  const CDesign& d = design;
  switch (view.rotation & 3) {
    case 0: PaintRecords<0>(paint, r, -d.m_nMinX - ox, -d.m_nMinY - oy, map, blockRgb); break;
    case 1: PaintRecords<1>(paint, r, d.m_nMaxY - ox, -d.m_nMinX - oy, map, blockRgb); break;
    case 2: PaintRecords<2>(paint, r, d.m_nMaxX - ox, d.m_nMaxY - oy, map, blockRgb); break;
    default: PaintRecords<3>(paint, r, -d.m_nMinY - ox, d.m_nMaxX - oy, map, blockRgb); break;
  }
  dc.SelectObject(keptPen);
  pen.DeleteObject();
}

void PaintThumbnail(CPixelBuffer& frame, const std::uint8_t (&thumbnail)[kThumbnailBytes]) {
  CSoftDC dc(frame);
  const CRect client = dc.GetClientRect();
  dc.SelectStockObject(WHITE_BRUSH);
  dc.Rectangle(client.left, client.top, client.right, client.bottom);
  dc.SelectStockObject(BLACK_BRUSH);
  const int x0 = (client.right - client.left - kThumbnailColumns * kThumbnailScale) / 2;
  const int y0 = (client.bottom - client.top - kThumbnailRows * kThumbnailScale) / 2;
  for (int row = 0; row < kThumbnailRows; ++row) {
    for (int byte = 0; byte < kThumbnailRowBytes; ++byte) {
      const std::uint8_t bits = thumbnail[row * kThumbnailRowBytes + byte];
      for (int bit = 0; bit < 8; ++bit) {
        if (!(bits & (1u << bit))) continue;
        const int x = x0 + kThumbnailScale * (8 * byte + bit);
        const int y = y0 + kThumbnailScale * row;
        dc.Rectangle(x, y, x + kThumbnailScale, y + kThumbnailScale);
      }
    }
  }
}
