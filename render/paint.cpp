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

// Screen position of a record by the rotation, before the mapping scales it:
// x = a X + b Y + c, y = d X + e Y + f, each of a, b, d, e being -1, 0 or 1.
struct CRotation {
  int a, b, c, d, e, f;
  int X(int x, int y) const { return a * x + b * y + c; }
  int Y(int x, int y) const { return d * x + e * y + f; }
};

CRotation Turn(int rotation, int minX, int maxX, int minY, int maxY, int offsetX, int offsetY) {
  switch (rotation) {
    case 1: return {0, -1, maxY - offsetX, 1, 0, -minX - offsetY};
    case 2: return {-1, 0, maxX - offsetX, 0, -1, maxY - offsetY};
    case 3: return {0, 1, -minY - offsetX, -1, 0, maxX - offsetY};
    default: return {1, 0, -minX - offsetX, 0, 1, -minY - offsetY};
  }
}

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

    const CRotation turn =
        Turn(m_nRotation & 3, m_nMinX, m_nMaxX, m_nMinY, m_nMaxY, m_nOffsetX, m_nOffsetY);
    std::size_t records = m_arrKind.size();
    if (m_arrX.size() < records) records = m_arrX.size();
    if (m_arrY.size() < records) records = m_arrY.size();
    const std::int16_t* const xs = m_arrX.data();
    const std::int16_t* const ys = m_arrY.data();
    const std::uint8_t* const kinds = m_arrKind.data();
    // The lines of one colour block, up to its colour change or the end.
    std::size_t i = 0;
    const auto nextPoint = [&](int& x, int& y) {
      if (i >= records || kinds[i] == KIND_END || kinds[i] == KIND_COLOR) return false;
      x = turn.X(xs[i], ys[i]);
      y = turn.Y(xs[i], ys[i]);
      ++i;
      return true;
    };
    for (;;) {
      dc.PolylineTo(nextPoint);
      if (i >= records || kinds[i] == KIND_END) break;
      dc.SelectObject(keptPen);
      pen.DeleteObject();
      pen.CreatePen(PS_SOLID, 1, BlockColor(++block));
      dc.SelectObject(&pen);
      ++i;
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
