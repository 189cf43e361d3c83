// A small software device context: the part of the platform's drawing that
// the preview uses (clip region, isotropic mapping, solid pens, MoveTo/LineTo,
// Rectangle with a stock brush), drawing into one control's pixel buffer.
//
// Device coordinates are pixel indices from the control's top-left corner.
// A logical point p becomes round(p * s) on each axis, s being the scale of
// the mapping mode (1 in MM_TEXT).
#pragma once
#include <cstdint>

#include "framework/platform.h"
#include "framework/win_types.h"

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
  // round-capped strokes.
  [[gnu::always_inline]] void LineTo(int x, int y) {
    const std::int64_t x1 = LogicalToDevice(x), y1 = LogicalToDevice(y);
    if (m_nPenPixels > 1)
      WideLine(m_curX, m_curY, x1, y1, m_nPenPixels, m_penRgb);
    else if (Inside(m_curX, m_curY) & Inside(x1, y1))
      UnclippedThinLine(m_curX, m_curY, x1, y1);
    else if (!BothBeyondOneEdge(m_curX, m_curY, x1, y1))
      ThinLine(m_curX, m_curY, x1, y1, m_penRgb);
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
  bool Inside(std::int64_t x, std::int64_t y) const {
    return (static_cast<std::uint64_t>(x - m_clipLeft) <
            static_cast<std::uint64_t>(m_clipRight - m_clipLeft)) &
           (static_cast<std::uint64_t>(y - m_clipTop) <
            static_cast<std::uint64_t>(m_clipBottom - m_clipTop));
  }
  bool BothBeyondOneEdge(std::int64_t x0, std::int64_t y0, std::int64_t x1,
                         std::int64_t y1) const {
    return (x0 < m_clipLeft && x1 < m_clipLeft) | (x0 >= m_clipRight && x1 >= m_clipRight) |
           (y0 < m_clipTop && y1 < m_clipTop) | (y0 >= m_clipBottom && y1 >= m_clipBottom);
  }
  // n steps from p; the minor step is taken whenever the remainder passes
  // 2 aMajor (e = remainder - 2 aMajor turns non-negative). Masks instead of
  // selects: the compiler turns selects into branches, and for short
  // stitches the minor step comes as good as randomly.
  static void BresenhamSteps(std::uint32_t* p, std::int64_t n, std::int64_t e, std::int64_t twoMi,
                             std::int64_t twoMa, std::int64_t majorStep, std::int64_t minorStep,
                             std::uint32_t rgb) {
    // An offset rather than a moving pointer: the step after the last pixel
    // may point past the buffer.
    std::int64_t at = 0;
    for (; n > 0; --n) {
      p[at] = rgb;
      const std::int64_t straight = e + twoMi;
      const std::int64_t carry = ~(straight >> 63);  // all ones when straight >= 0
      e = straight - (twoMa & carry);
      at += majorStep + (minorStep & carry);
    }
  }
  // Both ends inside the clip area: step 0 at the start, remainder aMajor.
  void UnclippedThinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    const std::int64_t w = m_target.width;
    std::uint32_t* p = m_target.pixels.data() + (y0 * w + x0);
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const std::int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -w : w;
    // Masks rather than a branch: the direction of a short stitch is as good
    // as random.
    const std::int64_t xMajor = -static_cast<std::int64_t>(adx >= ady);  // all ones or 0
    const auto pick = [xMajor](std::int64_t ifX, std::int64_t ifY) {
      return (ifX & xMajor) | (ifY & ~xMajor);
    };
    const std::int64_t aMa = pick(adx, ady), aMi = pick(ady, adx);
    BresenhamSteps(p, aMa, -aMa, 2 * aMi, 2 * aMa, pick(sx, sy), pick(sy, sx), m_penRgb);
  }
  // Any thin line; cuts it to the clip area.
  void ThinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                std::uint32_t rgb);
  void WideLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int width,
                std::uint32_t rgb);
  void FillSpan(int y, std::int64_t x0, std::int64_t x1, std::uint32_t rgb);

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
};

// COLORREF 0x00BBGGRR to the pixel buffers' 0x00RRGGBB.
constexpr std::uint32_t ColorRefToRgb(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
