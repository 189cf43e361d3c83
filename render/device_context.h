// A small software device context: the part of the platform's drawing that
// the preview uses (clip region, isotropic mapping, solid pens, MoveTo/LineTo,
// Rectangle with a stock brush), drawing into one control's pixel buffer.
//
// Device coordinates are pixel indices from the control's top-left corner.
// A logical point p becomes round(p * s) on each axis, s being the scale of
// the mapping mode (1 in MM_TEXT).
//
// While a device context draws, nothing else may write its target: it
// remembers what it has painted (render/painted_cache.h).
#pragma once
#include <cstdint>
#include <vector>

#include "framework/platform.h"
#include "framework/win_types.h"
#include "render/line_stamps.h"
#include "render/painted_cache.h"

constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int PS_SOLID = 0;
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;

// A solid pen. Width 0 is always one pixel; a larger width is in logical
// units and scales with the mapping.
class CPen {
 public:
  CPen() = default;
  BOOL CreatePen(int style, int width, COLORREF color);
  void DeleteObject() { m_bCreated = false; }
  bool Created() const { return m_bCreated; }
  COLORREF Color() const { return m_color; }
  int Width() const { return m_nWidth; }

 private:
  bool m_bCreated = false;
  int m_nWidth = 0;
  COLORREF m_color = RGB(0, 0, 0);
};

// A rectangular region in device coordinates, right and bottom exclusive.
class CRgn {
 public:
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  void DeleteObject() { m_bCreated = false; }
  bool Created() const { return m_bCreated; }
  const CRect& Rect() const { return m_rect; }

 private:
  bool m_bCreated = false;
  CRect m_rect;
};

class CSoftDC {
 public:
  // Starts as a fresh device context does: MM_TEXT, the default black
  // one-pixel pen, the white brush, the whole buffer as clip area and the
  // current position at (0, 0).
  explicit CSoftDC(CPixelBuffer& target);

  CRect GetClientRect() const { return {0, 0, m_target.width, m_target.height}; }

  // Drawing is limited to the region (always also to the buffer); nullptr
  // removes the region. The region is copied, as the platform does.
  void SelectClipRgn(const CRgn* region);

  // Returns the pen that was selected before. The DC's own default pen is
  // returned the first time; selecting it back is how a pen is released.
  CPen* SelectObject(CPen* pen);
  void SelectStockObject(int brush);

  void SetMapMode(int mode);
  void SetWindowExt(int cx, int cy);
  void SetViewportExt(int cx, int cy);

  void MoveTo(int x, int y);
  // Draws from the current position to (x, y), which becomes the current
  // position. One-pixel lines leave the end point unpainted; wider pens draw
  // round-capped strokes. A short line inside the clip area is painted from
  // its stamp; any other goes through LongLine.
  [[gnu::always_inline]] void LineTo(int x, int y) {
    const std::int64_t x1 = LogicalToDevice(x), y1 = LogicalToDevice(y);
    const std::int64_t dx = x1 - m_curX, dy = y1 - m_curY;
    constexpr std::uint64_t kReach = CLineStamps::kReach;
    const bool stamped =
        InStampArea(m_curX, m_curY) & InStampArea(x1, y1) &
        (static_cast<std::uint64_t>(dx + kReach) <= 2 * kReach) &
        (static_cast<std::uint64_t>(dy + kReach) <= 2 * kReach);
    if (!stamped || !m_stamps.Paint(m_target.pixels.data() + (m_curY * m_target.width + m_curX),
                                    dx, dy, m_penRgb))
      LongLine(m_curX, m_curY, x1, y1);
    m_curX = x1;
    m_curY = y1;
  }
  // Fills the rectangle with the brush and outlines it with the pen; the
  // right and bottom edges are exclusive, as on the platform.
  void Rectangle(int left, int top, int right, int bottom);

  // The mapping, for callers that want to know where a logical point lands.
  std::int64_t LogicalToDevice(int v) const {
    if (m_bFastScale && v >= -kFastRange && v <= kFastRange) {
      const auto n = static_cast<std::uint64_t>(2 * static_cast<std::int64_t>(v) * m_nScaleNum +
                                                m_nScaleDen + m_nBias);
      const auto product = static_cast<unsigned __int128>(n) * m_nMagic;
      return static_cast<std::int64_t>(static_cast<std::uint64_t>(product >> 64) >> m_nShift) -
             m_nBiasSteps;
    }
    return SlowLogicalToDevice(v);
  }
  // Width in pixels that the selected pen draws with.
  int PenPixelWidth() const { return m_nPenPixels; }

 private:
  static constexpr int kFastRange = 1 << 21;
  std::int64_t SlowLogicalToDevice(int v) const;
  static std::int64_t Scale(std::int64_t v, std::int64_t num, std::int64_t den);
  void UpdateScale();
  void UpdatePenPixels();
  void ChooseIsotropicScale();
  void PrepareFastScale();
  // Where a stamp may start and end: the clip area, for a wide pen shrunk
  // by its reach; empty while the stamps are not set up.
  bool InStampArea(std::int64_t x, std::int64_t y) const {
    return (static_cast<std::uint64_t>(x - m_stampLeft) < m_stampWidth) &
           (static_cast<std::uint64_t>(y - m_stampTop) < m_stampHeight);
  }
  void UpdateStampArea();
  void LongLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
  // Any thin line; cuts it to the clip area.
  void ThinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                std::uint32_t rgb);
  void WideLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int width,
                std::uint32_t rgb);
  void FillSpan(std::int64_t y, std::int64_t x0, std::int64_t x1, std::uint32_t rgb);

  CPixelBuffer& m_target;
  // Clip area in device pixels, right and bottom exclusive.
  int m_clipLeft = 0, m_clipTop = 0, m_clipRight = 0, m_clipBottom = 0;

  CPen m_defaultPen;
  CPen* m_pPen = nullptr;
  COLORREF m_penColor = RGB(0, 0, 0);
  std::uint32_t m_penRgb = 0;
  int m_nPenWidth = 0;
  COLORREF m_brushColor = RGB(255, 255, 255);

  int m_nMapMode = MM_TEXT;
  int m_nWindowExtX = 1, m_nWindowExtY = 1;
  int m_nViewportExtX = 1, m_nViewportExtY = 1;
  // s = num / den, on both axes (MM_TEXT and MM_ISOTROPIC are the only modes).
  std::int64_t m_nScaleNum = 1, m_nScaleDen = 1;
  // The same rounding as Scale without a division, for |v| <= kFastRange:
  // floor(n / d) = (n * magic) >> (64 + shift) for 0 <= n < 2^49, where
  // n = 2 v num + den + bias and bias = biasSteps * d keeps n positive.
  bool m_bFastScale = false;
  std::uint64_t m_nMagic = 0;
  int m_nShift = 0;
  std::int64_t m_nBias = 0, m_nBiasSteps = 0;
  int m_nPenPixels = 1;

  std::int64_t m_curX = 0, m_curY = 0;  // device pixels

  CLineStamps m_stamps;
  std::int64_t m_stampLeft = 0, m_stampTop = 0;
  std::uint64_t m_stampWidth = 0, m_stampHeight = 0;
  CPaintedCache m_painted;
  std::vector<std::int32_t> m_cap;  // FillCapTable(m_nCapWidth)
  int m_nCapWidth = 0;
};

// COLORREF 0x00BBGGRR to the pixel buffers' 0x00RRGGBB.
constexpr std::uint32_t ColorRefToRgb(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
