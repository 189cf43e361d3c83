// The preview's picture drawn the plain way, for the tests to hold the
// preview's paint against: every line in order through the device context,
// each one painting over what came before.
#pragma once
#include <algorithm>
#include <deque>
#include <utility>

#include "design/design.h"
#include "render/device_context.h"
#include "render/preview.h"

namespace paint_reference {

// Where the view puts a record, in logical units before the mapping, for
// a quarter turns clockwise of the bounds' box.
inline std::pair<int, int> Turned(const CDesign& d, const CPreviewView& v, int x, int y) {
  switch (v.rotation & 3) {
    case 0:
      return {x - d.m_nMinX - v.offsetX, y - d.m_nMinY - v.offsetY};
    case 1:
      return {d.m_nMaxY - y - v.offsetX, x - d.m_nMinX - v.offsetY};
    case 2:
      return {d.m_nMaxX - x - v.offsetX, d.m_nMaxY - y - v.offsetY};
    default:
      return {y - d.m_nMinY - v.offsetX, d.m_nMaxX - x - v.offsetY};
  }
}

// Every line in order: MoveTo the frame's corner, LineTo each record up to
// the first end record, a fresh one-unit pen at each colour record.
inline void PaintInOrder(CPixelBuffer& frame, const CDesign& d, const CPreviewView& v,
                         const CPalettes& palettes) {
  CSoftDC dc(frame);
  std::deque<CPen> pens;
  const auto pen = [&](int block) {
    pens.emplace_back().CreatePen(PS_SOLID, 1, palettes.BlockColor(d, block));
    dc.SelectObject(&pens.back());
  };
  int block = 0;
  pen(block);
  const int zoom = v.zoomPercent ? v.zoomPercent : 100;
  const bool across = (v.rotation & 1) != 0;
  dc.SetMapMode(MM_ISOTROPIC);
  dc.SetWindowExt((across ? d.m_nHeight : d.m_nWidth) * 100 / zoom,
                  (across ? d.m_nWidth : d.m_nHeight) * 100 / zoom);
  dc.SetViewportExt(frame.width, frame.height);
  dc.MoveTo(0, 0);
  const std::size_t records = std::min({d.m_arrX.size(), d.m_arrY.size(), d.m_arrKind.size()});
  for (std::size_t i = 0; i < records && d.m_arrKind[i] != KIND_END; ++i) {
    if (d.m_arrKind[i] == KIND_COLOR) {
      pen(++block);
      continue;
    }
    const auto [x, y] = Turned(d, v, d.m_arrX[i], d.m_arrY[i]);
    dc.LineTo(x, y);
  }
}

}  // namespace paint_reference
