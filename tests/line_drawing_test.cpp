// The line drawer against plain references: every pixel the device context
// paints (short lines from their stamps, long and cut ones, wide strokes,
// strokes it skips as already painted) is the one a direct reading of the
// line's definition gives; and the integer spans of wide strokes against the
// floating-point ones the preview has always drawn with.
#include <climits>
#include <deque>
#include <random>
#include <tuple>
#include <vector>

#include "render/capsule.h"
#include "render/device_context.h"
#include "render/line_stamps.h"
#include "tests/render_support.h"
#include "tests/test_support.h"

using namespace render_test;

namespace {

using i64 = std::int64_t;
using i128 = __int128;

struct ClipArea {
  i64 left, top, right, bottom;  // right and bottom exclusive
  bool Has(i64 x, i64 y) const { return x >= left && x < right && y >= top && y < bottom; }
};

i128 FloorDiv(i128 n, i128 d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }

// Step i of n = max(|dx|, |dy|) at major offset i, minor offset
// floor((2 i aMinor + aMajor) / (2 aMajor)); the end point is not painted.
// Walks the major coordinates inside the clip only, so any length will do.
void ReferenceThin(CPixelBuffer& b, const ClipArea& c, i64 x0, i64 y0, i64 x1, i64 y1,
                   std::uint32_t rgb) {
  const i64 dx = x1 - x0, dy = y1 - y0, adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const i64 n = xMajor ? adx : ady, aMi = xMajor ? ady : adx;
  const i64 sMa = (xMajor ? dx : dy) < 0 ? -1 : 1, sMi = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const i64 ma0 = xMajor ? x0 : y0, mi0 = xMajor ? y0 : x0;
  for (i64 ma = xMajor ? c.left : c.top; ma < (xMajor ? c.right : c.bottom); ++ma) {
    const i64 i = (ma - ma0) * sMa;
    if (i < 0 || i >= n) continue;
    const i64 mi =
        mi0 + sMi * static_cast<i64>(FloorDiv(static_cast<i128>(2) * i * aMi + n, 2 * n));
    const i64 x = xMajor ? ma : mi, y = xMajor ? mi : ma;
    if (c.Has(x, y)) b.pixels[static_cast<std::size_t>(y * b.width + x)] = rgb;
  }
}

// Every pixel whose centre lies within width / 2 of the segment, the centre
// line half a pixel up and left for even widths; exact, in doubled units.
void ReferenceWide(CPixelBuffer& b, const ClipArea& c, i64 x0, i64 y0, i64 x1, i64 y1, int w,
                   std::uint32_t rgb) {
  if (x0 == x1 && y0 == y1) return;
  const i64 e = w % 2 == 0 ? 1 : 0;
  const i64 ax = 2 * x0 - e, ay = 2 * y0 - e, bx = 2 * x1 - e, by = 2 * y1 - e;
  const i128 dx = bx - ax, dy = by - ay, d2 = dx * dx + dy * dy, w2 = static_cast<i128>(w) * w;
  for (i64 y = std::max(c.top, std::min(y0, y1) - w); y < std::min(c.bottom, std::max(y0, y1) + w);
       ++y)
    for (i64 x = std::max(c.left, std::min(x0, x1) - w);
         x < std::min(c.right, std::max(x0, x1) + w); ++x) {
      const i128 ux = 2 * x - ax, uy = 2 * y - ay, t = ux * dx + uy * dy;
      bool in;
      if (t <= 0)
        in = ux * ux + uy * uy <= w2;
      else if (t >= d2)
        in = (2 * x - bx) * (2 * x - bx) + (2 * y - by) * (2 * y - by) <= w2;
      else
        in = (ux * dy - uy * dx) * (ux * dy - uy * dx) <= w2 * d2;
      if (in) b.pixels[static_cast<std::size_t>(y * b.width + x)] = rgb;
    }
}

// One device context and its reference, drawing the same lines; the
// reference takes the end points and the pen's width in pixels from the
// device context's mapping (MM_TEXT unless Scale is called).
class Drawing {
 public:
  Drawing(int width, int height)
      : dcPixels(White(width, height)), refPixels(dcPixels), m_clip{0, 0, width, height} {}
  void Clip(int left, int top, int right, int bottom) {
    CRgn region;
    region.CreateRectRgn(left, top, right, bottom);
    dc.SelectClipRgn(&region);
    m_clip = {std::max(left, 0), std::max(top, 0), std::min(right, dcPixels.width),
              std::min(bottom, dcPixels.height)};
  }
  void Scale(int windowExt, int viewportExt) {
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetWindowExt(windowExt, windowExt);
    dc.SetViewportExt(viewportExt, viewportExt);
  }
  void Pen(int width, std::uint32_t rgb) {
    m_pens.emplace_back();
    m_pens.back().CreatePen(PS_SOLID, width, RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    dc.SelectObject(&m_pens.back());
    m_rgb = rgb;
  }
  void MoveTo(int x, int y) {
    dc.MoveTo(x, y);
    m_x = dc.LogicalToDevice(x);
    m_y = dc.LogicalToDevice(y);
  }
  void LineTo(int x, int y) {
    dc.LineTo(x, y);
    LineToReference(x, y);
  }
  void LineToReference(int x, int y) {
    const i64 x1 = dc.LogicalToDevice(x), y1 = dc.LogicalToDevice(y);
    if (dc.PenPixelWidth() <= 1)
      ReferenceThin(refPixels, m_clip, m_x, m_y, x1, y1, m_rgb);
    else
      ReferenceWide(refPixels, m_clip, m_x, m_y, x1, y1, dc.PenPixelWidth(), m_rgb);
    m_x = x1;
    m_y = y1;
  }
  // The same lines through one PolylineTo.
  void PolylineTo(const std::vector<std::pair<int, int>>& points) {
    std::size_t i = 0;
    dc.PolylineTo([&](int& x, int& y) {
      if (i == points.size()) return false;
      std::tie(x, y) = points[i++];
      return true;
    });
    for (const auto& [x, y] : points) LineToReference(x, y);
  }
  int Mismatches() const {
    int n = 0;
    for (std::size_t i = 0; i < dcPixels.pixels.size(); ++i)
      n += dcPixels.pixels[i] != refPixels.pixels[i];
    return n;
  }

  CPixelBuffer dcPixels, refPixels;
  CSoftDC dc{dcPixels};

 private:
  static CPixelBuffer White(int width, int height) {
    CPixelBuffer b;
    b.Resize(width, height);
    std::fill(b.pixels.begin(), b.pixels.end(), kWhite);
    return b;
  }

  ClipArea m_clip;
  std::deque<CPen> m_pens;  // the device context keeps pointers to them
  std::uint32_t m_rgb = 0;
  i64 m_x = 0, m_y = 0;  // device pixels
};

// Walks of short steps (all octants, some past the stamps' reach) with
// jumps across and far beyond the buffer and runs back and forth, pens
// changing colour now and then; drawn by LineTo and by PolylineTo runs.
void RandomWalk(Drawing& d, std::mt19937& rng, std::initializer_list<int> widths, int lines,
                int farReach) {
  const std::vector<int> w(widths);
  std::uniform_int_distribution<int> step(-60, 60), jump(-150, 450), far(-farReach, farReach);
  int x = 100, y = 100;
  d.MoveTo(x, y);
  std::vector<std::pair<int, int>> run;
  const auto flush = [&] {
    if (run.size() == 1)
      d.LineTo(run[0].first, run[0].second);
    else if (!run.empty())
      d.PolylineTo(run);
    run.clear();
  };
  for (int i = 0; i < lines; ++i) {
    if (i % 97 == 0) {
      flush();
      d.Pen(w[rng() % w.size()], 0x102030u * (1 + rng() % 7));
    }
    const int kind = static_cast<int>(rng() % 20);
    if (kind == 0) {
      x = far(rng);
      y = far(rng);
    } else if (kind < 3) {
      x = jump(rng);
      y = jump(rng);
    } else if (kind == 3 && run.size() >= 2) {
      std::tie(x, y) = run[run.size() - 2];  // back to where the last line began
    } else {
      const int reach = kind < 12 ? 4 : 60;
      x += step(rng) * reach / 60;
      y += step(rng) * reach / 60;
    }
    run.emplace_back(x, y);
    if (rng() % 16 == 0) flush();
  }
  flush();
}

}  // namespace

TEST(LineDrawingTest, ThinLinesMatchTheStepFormula) {
  std::mt19937 rng(21);
  for (int round = 0; round < 6; ++round) {
    Drawing d(310, 207);
    if (round % 2 == 1) d.Clip(17, 9, 280, 190);
    RandomWalk(d, rng, {0, 1}, 4000, round < 3 ? 5000 : 2'000'000'000);
    ASSERT_EQ(d.Mismatches(), 0) << "round " << round;
  }
}

TEST(LineDrawingTest, WideLinesMatchTheDistanceRule) {
  std::mt19937 rng(22);
  const std::initializer_list<int> widths[] = {{2, 3}, {4, 5, 8}, {9, 13, 40}, {2, 7, 64, 131}};
  for (int round = 0; round < 8; ++round) {
    Drawing d(260, 190);
    if (round % 2 == 1) d.Clip(11, 23, 241, 170);
    RandomWalk(d, rng, widths[round % 4], 400, 30000);
    ASSERT_EQ(d.Mismatches(), 0) << "round " << round;
  }
}

// Under a mapping, with runs of lines far off the buffer that are passed
// over without being mapped: one-unit pens from under a pixel to several
// pixels wide.
TEST(LineDrawingTest, ScaledLinesMatchTheReferences) {
  std::mt19937 rng(23);
  const std::pair<int, int> scales[] = {{1000, 131}, {1000, 500}, {2, 3}, {10, 37}, {3, 11}};
  for (const auto& [window, viewport] : scales) {
    Drawing d(230, 170);
    d.Scale(window, viewport);
    if (viewport > window) d.Clip(5, 7, 220, 160);
    RandomWalk(d, rng, {0, 1}, 600, 200000);
    ASSERT_EQ(d.Mismatches(), 0) << window << " : " << viewport;
  }
}

// After a line off the clip area, the following ones are passed over in
// logical units while both their ends stay beyond one edge (grown by the
// pen's reach). Lines from far beyond each edge to points on either side of
// it find that edge to the unit.
TEST(LineDrawingTest, LinesPassedOverAreThoseBeyondAnEdge) {
  for (const auto& [window, viewport] : {std::pair{1000, 131}, {40, 91}, {3, 11}}) {
    for (int pen : {0, 1}) {
      Drawing d(120, 90);
      d.Scale(window, viewport);
      d.Clip(10, 20, 100, 70);
      d.Pen(pen, 0x3050F0);
      const int far = 40 * window;
      for (int edge = 0; edge < 4; ++edge) {
        // logical units around the edge: device 10, 20, 100 or 70
        const int device = edge == 0 ? 10 : edge == 1 ? 20 : edge == 2 ? 100 : 70;
        const int centre = device * window / viewport;
        for (int a = centre - 8; a <= centre + 8; ++a) {
          const int mid = 45 * window / viewport;  // inside on the other axis
          const auto at = [&](int along, int across) {
            return edge % 2 == 0 ? std::pair{along, across} : std::pair{across, along};
          };
          const int outside = edge < 2 ? -far : far;
          d.MoveTo(at(outside, mid).first, at(outside, mid).second);
          d.PolylineTo({at(outside, mid + 1), at(a, mid + 1), at(a, mid + 3)});
        }
      }
      ASSERT_EQ(d.Mismatches(), 0) << window << ":" << viewport << " pen " << pen;
    }
  }
}

// A stroke is skipped only while its pixels are known to be in its colour.
TEST(LineDrawingTest, RepeatedStrokesPaintAgainWhateverChangedThem) {
  Drawing d(120, 100);
  const auto across = [&] {
    d.MoveTo(-20, 40);
    d.LineTo(140, 40);
  };
  d.Pen(200, 0xFF0000);  // covers the whole buffer
  across();
  d.Pen(30, 0x0000FF);
  d.MoveTo(60, -10);
  d.LineTo(60, 110);
  d.Pen(200, 0xFF0000);
  across();
  EXPECT_EQ(d.dcPixels.At(60, 50), 0xFF0000u);

  d.Clip(0, 0, 50, 50);
  d.Pen(10, 0x00FF00);
  across();
  d.Clip(0, 0, 120, 100);  // the same stroke now reaches further
  across();
  EXPECT_EQ(d.dcPixels.At(100, 40), 0x00FF00u);
  EXPECT_EQ(d.Mismatches(), 0);

  d.dc.SelectStockObject(WHITE_BRUSH);
  d.dc.Rectangle(0, 0, 120, 100);
  std::fill(d.refPixels.pixels.begin(), d.refPixels.pixels.end(), kWhite);
  for (int y = 0; y < 100; ++y)  // the rectangle's outline in the 10-pixel pen
    for (int x = 0; x < 120; ++x) d.refPixels.pixels[y * 120 + x] = d.dcPixels.At(x, y);
  ASSERT_EQ(d.dcPixels.At(60, 50), kWhite);
  across();
  EXPECT_EQ(d.dcPixels.At(60, 40), 0x00FF00u);
  EXPECT_EQ(d.Mismatches(), 0);
}

// Bands of one colour are remembered together (rows 10..29, then columns
// 10..29); a stroke reaching one row or column past them is still drawn.
TEST(LineDrawingTest, BandsRememberedTogetherLetAWiderStrokeThrough) {
  Drawing d(100, 100);
  d.Pen(10, 0x00AA00);
  for (int y : {25, 15}) {  // rows y - 5 .. y + 4
    d.MoveTo(-20, y);
    d.LineTo(120, y);
  }
  d.Pen(12, 0x00AA00);  // rows 9..20
  d.MoveTo(-20, 15);
  d.LineTo(120, 15);
  EXPECT_EQ(d.dcPixels.At(50, 9), 0x00AA00u);

  d.Pen(10, 0x0000AA);
  for (int x : {25, 15}) {
    d.MoveTo(x, -20);
    d.LineTo(x, 120);
  }
  d.Pen(12, 0x0000AA);
  d.MoveTo(15, -20);
  d.LineTo(15, 120);
  EXPECT_EQ(d.dcPixels.At(9, 50), 0x0000AAu);
  EXPECT_EQ(d.Mismatches(), 0);
}

// The mapping's fast path rounds every int exactly as v * num / den with
// halves upward.
TEST(LineDrawingTest, TheMappingIsExactForEveryInt) {
  CPixelBuffer b;
  b.Resize(4, 4);
  CSoftDC dc(b);
  dc.SetMapMode(MM_ISOTROPIC);
  for (const auto& [window, viewport] : {std::pair{1, 1},
                                         {3, 7},
                                         {1000, 262},
                                         {65535, 1},
                                         {1, 1 << 24},
                                         {(1 << 24) - 3, 1 << 24},
                                         {977, 331}}) {
    dc.SetWindowExt(window, window);
    dc.SetViewportExt(viewport, viewport);
    for (const int v : {INT_MIN, INT_MIN + 1, -(1 << 21) - 1, -12345, -1, 0, 1, 7, 1 << 21,
                        (1 << 21) + 1, 123456789, INT_MAX - 1, INT_MAX}) {
      const i128 n = 2 * static_cast<i128>(v) * viewport + window,
                 d = 2 * static_cast<i128>(window);
      ASSERT_EQ(dc.LogicalToDevice(v), static_cast<i64>(FloorDiv(n, d)))
          << window << ":" << viewport << " " << v;
    }
  }
}

// The integer spans equal the floating-point ones wherever they are used:
// every short step and width the stamps take, at either end of the
// coordinate range, and random longer, wider lines.
TEST(LineDrawingTest, IntegerSpansMatchTheFloatingPointOnes) {
  std::vector<std::int32_t> cap;
  const auto compare = [&](i64 x0, i64 y0, i64 x1, i64 y1, int w) {
    ASSERT_TRUE(ExactCapsuleApplies(x0, y0, x1, y1, w)) << x0 << "," << y0 << " " << w;
    FillCapTable(w, cap);
    CCapsuleRows rows(x0, y0, x1, y1, w, cap.data());
    rows.Start(rows.FirstRow());
    const CFloatCapsule capsule(x0, y0, x1, y1, w);
    for (i64 y = rows.FirstRow() - 1; y <= rows.LastRow() + 1; ++y) {
      i64 lo = 0, hi = -1, flo = 0, fhi = -1;
      const bool has = y >= rows.FirstRow() && y <= rows.LastRow() && rows.Next(lo, hi);
      const bool fhas = capsule.Span(static_cast<int>(y), flo, fhi) && flo <= fhi;
      ASSERT_EQ(has, fhas) << x0 << "," << y0 << " -> " << x1 << "," << y1 << " w " << w << " row "
                           << y;
      if (has) {
        ASSERT_EQ(std::make_pair(lo, hi), std::make_pair(flo, fhi)) << "row " << y << " w " << w;
      }
    }
  };
  constexpr i64 kFar = kExactCapsuleMaxCoord - CLineStamps::kMaxStep;
  for (int w = 2; w <= CLineStamps::kMaxWidth; ++w)
    for (int dy = -CLineStamps::kMaxStep; dy <= CLineStamps::kMaxStep; dy += 1 + (w > 3))
      for (int dx = -CLineStamps::kMaxStep; dx <= CLineStamps::kMaxStep; ++dx) {
        if (dx == 0 && dy == 0) continue;
        compare(5, 7, 5 + dx, 7 + dy, w);
        if ((dx + dy) % 5 == 0) compare(kFar, -kFar, kFar + dx, -kFar + dy, w);
      }
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> coord(-2000, 2000), width(2, 400);
  for (int n = 0; n < 3000; ++n) {
    const i64 x0 = coord(rng), y0 = coord(rng), x1 = x0 + coord(rng) / 8, y1 = y0 + coord(rng) / 8;
    const int w = width(rng) / (1 + n % 4);
    if ((x0 != x1 || y0 != y1) && w >= 2 && ExactCapsuleApplies(x0, y0, x1, y1, w))
      compare(x0, y0, x1, y1, w);
  }
}
