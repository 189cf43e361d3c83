// The dialog's paint handler: the design into frame 1016, the Brother
// thumbnail into frame 1011, or only the icon while minimised.
#include <cstddef>

#include "app/viewer_dlg.h"
#include "render/device_context.h"

namespace {

constexpr int kThumbnailColumns = 48;
constexpr int kThumbnailRows = 38;
constexpr int kThumbnailRowBytes = kThumbnailColumns / 8;
constexpr int kThumbnailScale = 2;  // each thumbnail pixel is a 2 x 2 square

struct CScreenPoint {
  int x, y;
};

// Screen position of a record by the rotation, before the mapping scales it.
struct CRotation {
  int rotation, minX, maxX, minY, maxY, offsetX, offsetY;

  CScreenPoint operator()(int X, int Y) const {
    switch (rotation) {
      case 1: return {maxY - Y - offsetX, X - minX - offsetY};
      case 2: return {maxX - X - offsetX, maxY - Y - offsetY};
      case 3: return {Y - minY - offsetX, maxX - X - offsetY};
      default: return {X - minX - offsetX, Y - minY - offsetY};
    }
  }
};

}  // namespace

void CViewerDlg::OnPaint() {
  IPlatform& platform = Platform();
  if (platform.IsIconic()) {
    platform.EraseIconBackground();
    const CRect client = platform.DialogClientRect();
    platform.DrawIcon((client.Width() - platform.IconWidth() + 1) / 2,
                      (client.Height() - platform.IconHeight() + 1) / 2);
    return;
  }

  if (m_bLoaded == TRUE) {
    platform.RepaintNow(IDC_PREVIEW);
    CSoftDC dc(platform.ControlPixels(IDC_PREVIEW));
    const CRect client = dc.GetClientRect();
    CRgn clip;
    clip.CreateRectRgn(client.left, client.top, client.right, client.bottom);
    dc.SelectClipRgn(&clip);

    int block = 0;
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, BlockColor(block));
    CPen* keptPen = dc.SelectObject(&pen);

    dc.SetMapMode(MM_ISOTROPIC);
    const int z = m_nZoomPercent != 0 ? m_nZoomPercent : 100;
    const int extW = m_nWidth * 100 / z, extH = m_nHeight * 100 / z;
    if (m_nRotation == 1 || m_nRotation == 3)
      dc.SetWindowExt(extH, extW);
    else
      dc.SetWindowExt(extW, extH);
    dc.SetViewportExt(client.right, client.bottom);
    dc.MoveTo(0, 0);

    const CRotation turn{m_nRotation & 3, m_nMinX, m_nMaxX, m_nMinY, m_nMaxY, m_nOffsetX, m_nOffsetY};
    std::size_t records = m_arrKind.size();
    if (m_arrX.size() < records) records = m_arrX.size();
    if (m_arrY.size() < records) records = m_arrY.size();
    for (std::size_t i = 0; i < records; ++i) {
      const std::uint8_t kind = m_arrKind[i];
      if (kind == KIND_END) break;
      if (kind == KIND_COLOR) {
        dc.SelectObject(keptPen);
        pen.DeleteObject();
        pen.CreatePen(PS_SOLID, 1, BlockColor(++block));
        dc.SelectObject(&pen);
        continue;
      }
      const CScreenPoint p = turn(m_arrX[i], m_arrY[i]);
      dc.LineTo(p.x, p.y);
    }

    dc.SelectObject(keptPen);
    pen.DeleteObject();
    clip.DeleteObject();
  }

  if (m_bHasThumbnail == TRUE) {
    platform.RepaintNow(IDC_THUMBNAIL);
    CSoftDC dc(platform.ControlPixels(IDC_THUMBNAIL));
    const CRect client = dc.GetClientRect();
    dc.SelectStockObject(WHITE_BRUSH);
    dc.Rectangle(client.left, client.top, client.right, client.bottom);
    dc.SelectStockObject(BLACK_BRUSH);
    const int x0 = (client.right - client.left - kThumbnailColumns * kThumbnailScale) / 2;
    const int y0 = (client.bottom - client.top - kThumbnailRows * kThumbnailScale) / 2;
    for (int row = 0; row < kThumbnailRows; ++row) {
      for (int byte = 0; byte < kThumbnailRowBytes; ++byte) {
        const std::uint8_t bits = m_thumbnail[row * kThumbnailRowBytes + byte];
        for (int bit = 0; bit < 8; ++bit) {
          if (!(bits & (1u << bit))) continue;
          const int x = x0 + kThumbnailScale * (8 * byte + bit);
          const int y = y0 + kThumbnailScale * row;
          dc.Rectangle(x, y, x + kThumbnailScale, y + kThumbnailScale);
        }
      }
    }
  }

  DefaultHandling(CMessage::Paint());
}
