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
#include <memory>
#include <utility>
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
  void LineTo(int x, int y) {
    bool first = true;
    PolylineTo([&](int& px, int& py) {
      px = x;
      py = y;
      return std::exchange(first, false);
    });
  }
  // LineTo through each point next(x, y) yields until it returns false, the
  // points made on the fly; for long runs of
  // points, as the drawing state stays in registers between the lines.
  template <typename NextPoint>
  void PolylineTo(NextPoint&& next) {
    const CMapping map = Mapping();
    std::uint32_t* const pixels = m_target.pixels.data();
    const std::int64_t stride = m_target.width;
    const std::uint32_t rgb = m_penRgb;
    CLineStamps* stamps = m_pStamps[m_nStampSet].get();  // set while area is not empty
    CStampArea area = m_stampArea;
    std::int64_t x0 = m_curX, y0 = m_curY;
    bool startInside = area.Has(x0, y0);
    CDeviceLine recent[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};  // zero length: never drawn
    int x, y;
    bool more = next(x, y);
    while (more) {
      const std::int64_t x1 = map(x), y1 = map(y);
      const std::int64_t dx = x1 - x0, dy = y1 - y0;
      if ((dx | dy) == 0) {
        // A line to the pixel it starts at paints nothing with any pen: a
        // dense design shrunk into the frame is mostly such lines, passed
        // over in a loop of their own.
        if (map.fast) {
          while ((more = next(x, y)) && map.Fast(x) == x0 && map.Fast(y) == y0) {
          }
        } else {
          more = next(x, y);
        }
        continue;
      }
      constexpr std::uint64_t kStep = CLineStamps::kMaxStep;
      bool endInside = area.Has(x1, y1);
      const bool stamped = startInside & endInside &
                           (static_cast<std::uint64_t>(dx + kStep) <= 2 * kStep) &
                           (static_cast<std::uint64_t>(dy + kStep) <= 2 * kStep);
      if (!stamped || !stamps->Paint(pixels + (y0 * stride + x0), dx, dy, rgb)) {
        if (m_reachArea.Misses(x0, y0, x1, y1)) {
          // Off the clip area: the lines that follow while they stay beyond
          // an edge are passed over in logical units, without mapping.
          int lx0 = x, ly0 = y;
          while ((more = next(x, y)) && m_logicalReach.Misses(lx0, ly0, x, y)) {
            lx0 = x;
            ly0 = y;
          }
          x0 = map(lx0);
          y0 = map(ly0);
          startInside = area.Has(x0, y0);
          continue;  // (x, y) ends the next line
        }
        // Within one run the pen, its colour and the clip stay: a line just
        // drawn paints nothing new when drawn again (a back-and-forth run
        // draws every other line twice).
        const CDeviceLine line{x0, y0, x1, y1};
        if (!(line == recent[0]) && !(line == recent[1])) {
          LongLine(x0, y0, x1, y1);  // may set the stamps up
          stamps = m_pStamps[m_nStampSet].get();
          area = m_stampArea;
          endInside = area.Has(x1, y1);
          recent[1] = recent[0];
          recent[0] = line;
        }
      }
      startInside = endInside;
      x0 = x1;
      y0 = y1;
      more = next(x, y);
    }
    m_curX = x0;
    m_curY = y0;
  }
  // Fills the rectangle with the brush and outlines it with the pen; the
  // right and bottom edges are exclusive, as on the platform.
  void Rectangle(int left, int top, int right, int bottom);

  // The mapping, for callers that want to know where a logical point lands.
  std::int64_t LogicalToDevice(int v) const { return Mapping()(v); }
  // Width in pixels that the selected pen draws with.
  int PenPixelWidth() const { return m_nPenPixels; }

  // The mapping's constants by value, so that a loop keeps them in registers
  // (pixel stores may alias an int member, not a local).
  struct CMapping {
    bool fast;
    std::int64_t num, den, twoNum, denBias, biasSteps;
    std::uint64_t magic;
    int shift;
    std::int64_t operator()(int v) const { return fast ? Fast(v) : Scale(v, num, den); }
    std::int64_t Fast(int v) const {
      const auto n = static_cast<std::uint64_t>(v * twoNum + denBias);
      const auto product = static_cast<unsigned __int128>(n) * magic;
      return static_cast<std::int64_t>(static_cast<std::uint64_t>(product >> 64) >> shift) -
             biasSteps;
    }
  };
  // The mapping for callers that map many points themselves.
  CMapping Mapping() const {
    return {m_bFastScale,          m_nScaleNum,  m_nScaleDen, 2 * m_nScaleNum,
            m_nScaleDen + m_nBias, m_nBiasSteps, m_nMagic,    m_nShift};
  }

 private:
  static std::int64_t Scale(std::int64_t v, std::int64_t num, std::int64_t den);
  void UpdateScale();
  void UpdatePenPixels();
  void ChooseIsotropicScale();
  void PrepareFastScale();
  struct CDeviceLine {
    std::int64_t x0, y0, x1, y1;
    bool operator==(const CDeviceLine&) const = default;
  };
  // Where a stamp may start and end: the clip area, for a wide pen shrunk
  // by its reach; empty while the stamps are not set up.
  struct CStampArea {
    std::int64_t left = 0, top = 0;
    std::uint64_t width = 0, height = 0;
    bool Has(std::int64_t x, std::int64_t y) const {
      return (static_cast<std::uint64_t>(x - left) < width) &
             (static_cast<std::uint64_t>(y - top) < height);
    }
  };
  // The clip area grown by the pen's reach (width / 2 + 1 for a wide pen):
  // a line with both ends beyond one of its edges paints nothing. The same
  // in logical units (the mapping is monotonic, so a logical x maps left of
  // the device edge exactly when it lies left of the logical one).
  struct CReachArea {
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;  // right, bottom exclusive
    bool Misses(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const {
      return (x0 < left && x1 < left) | (x0 >= right && x1 >= right) | (y0 < top && y1 < top) |
             (y0 >= bottom && y1 >= bottom);
    }
  };
  void UpdateLineAreas();
  // Any line that is not painted from a stamp and may reach the clip area.
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
  // The same rounding as Scale without a division, for any int v:
  // floor(n / d) = (n * magic) >> (64 + shift) for 0 <= n < 2^58, where
  // n = 2 v num + den + bias and bias = biasSteps * d keeps n positive.
  bool m_bFastScale = false;
  std::uint64_t m_nMagic = 0;
  int m_nShift = 0;
  std::int64_t m_nBias = 0, m_nBiasSteps = 0;
  int m_nPenPixels = 1;

  std::int64_t m_curX = 0, m_curY = 0;  // device pixels

  // Thin and wide stamps apart: a paint switches to the default pen and back
  // for every colour.
  std::shared_ptr<CLineStamps> m_pStamps[2];
  int m_nStampSet = 0;  // 1 for a pen wider than one pixel
  CStampArea m_stampArea;
  CReachArea m_reachArea;
  CReachArea m_logicalReach;
  CPaintedCache m_painted;
  std::vector<std::int32_t> m_cap;  // FillCapTable(m_nCapWidth)
  int m_nCapWidth = 0;
};

// COLORREF 0x00BBGGRR to the pixel buffers' 0x00RRGGBB.
constexpr std::uint32_t ColorRefToRgb(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
