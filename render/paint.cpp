// The preview's two pictures: the design's records as lines, and the
// Brother picture.
#include <cstddef>

#include "render/device_context.h"
#include "render/preview.h"

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

// Lines through the records up to the first end record, one run per colour
// block; nextColor selects the pen of the next block at a colour change.
template <int kRotation, typename NextColor>
void DrawRecords(CSoftDC& dc, const CRecords& r, int cx, int cy, NextColor&& nextColor) {
  std::size_t i = 0;
  const auto nextPoint = [&](int& x, int& y) {
    if (i >= r.count || r.kinds[i] == KIND_END || r.kinds[i] == KIND_COLOR) return false;
    x = TurnedX<kRotation>(r.xs[i], r.ys[i], cx);
    y = TurnedY<kRotation>(r.xs[i], r.ys[i], cy);
    ++i;
    return true;
  };
  for (;;) {
    dc.PolylineTo(nextPoint);
    if (i >= r.count || r.kinds[i] == KIND_END) return;
    nextColor();
    ++i;
  }
}

}  // namespace

void PaintDesign(CPixelBuffer& frame, const CDesign& design, const CPreviewView& view,
                 const CPalettes& palettes) {
  CSoftDC dc(frame);
  const CRect client = dc.GetClientRect();
  CRgn clip;
  clip.CreateRectRgn(client.left, client.top, client.right, client.bottom);
  dc.SelectClipRgn(&clip);

  int block = 0;
  CPen pen;
  pen.CreatePen(PS_SOLID, 1, palettes.BlockColor(design, block));
  CPen* keptPen = dc.SelectObject(&pen);

  dc.SetMapMode(MM_ISOTROPIC);
  const int z = view.zoomPercent != 0 ? view.zoomPercent : 100;
  const int extW = design.m_nWidth * 100 / z, extH = design.m_nHeight * 100 / z;
  if (view.rotation == 1 || view.rotation == 3)
    dc.SetWindowExt(extH, extW);
  else
    dc.SetWindowExt(extW, extH);
  dc.SetViewportExt(client.right, client.bottom);
  dc.MoveTo(0, 0);

  std::size_t records = design.m_arrKind.size();
  if (design.m_arrX.size() < records) records = design.m_arrX.size();
  if (design.m_arrY.size() < records) records = design.m_arrY.size();
  const CRecords r{design.m_arrX.data(), design.m_arrY.data(), design.m_arrKind.data(), records};
  const auto nextColor = [&] {
    dc.SelectObject(keptPen);
    pen.DeleteObject();
    pen.CreatePen(PS_SOLID, 1, palettes.BlockColor(design, ++block));
    dc.SelectObject(&pen);
  };
  const int ox = view.offsetX, oy = view.offsetY;
  const CDesign& d = design;
  switch (view.rotation & 3) {
    case 0: DrawRecords<0>(dc, r, -d.m_nMinX - ox, -d.m_nMinY - oy, nextColor); break;
    case 1: DrawRecords<1>(dc, r, d.m_nMaxY - ox, -d.m_nMinX - oy, nextColor); break;
    case 2: DrawRecords<2>(dc, r, d.m_nMaxX - ox, d.m_nMaxY - oy, nextColor); break;
    default: DrawRecords<3>(dc, r, -d.m_nMinY - ox, d.m_nMaxX - oy, nextColor); break;
  }

  dc.SelectObject(keptPen);
  pen.DeleteObject();
  clip.DeleteObject();
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
