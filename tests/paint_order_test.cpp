// The preview's paint decides each pixel once, from the last line to the
// first. Here it is held against the plain way: every line in order through
// the device context, each one painting over what came before. Pixel for
// pixel, on generated designs of every kind (random points of small and
// large squares, dense walks, tiny designs whose pen is wider than the
// frame, every zoom and rotation, scrolled so that the frame's edges cut
// them, colour changes, moves, an end record before the last records), and
// on lines given to the painter directly with pens from one pixel to wider
// than the frame and end points far beyond it.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

#include "design/design.h"
#include "render/device_context.h"
#include "render/preview.h"
#include "render/reverse_paint.h"
#include "tests/paint_reference.h"

namespace {

constexpr std::uint32_t kBackground = 0x5A6B7C;  // the frame as the platform left it

CPixelBuffer Frame(int width, int height) {
  CPixelBuffer f;
  f.Resize(width, height);
  std::fill(f.pixels.begin(), f.pixels.end(), kBackground);
  return f;
}

struct Palettes {
  COLORREF brother[kBrotherPaletteSlots] = {};
  COLORREF janome[kJanomePaletteEntries] = {};
  CPalettes Get() const { return {brother, janome}; }
};

// A design whose blocks have colours of their own, one per block.
struct Generated {
  CDesign design;
  std::string name;
};

void Colours(CDesign& d, std::mt19937& rng) {
  d.m_threads.resize(static_cast<std::size_t>(d.m_nColorCount));
  for (CThread& t : d.m_threads) t.color = rng() & 0xFFFFFF;
  d.m_bThreadColors = TRUE;
}

// n records to random points of [x0, x0 + side] x [y0, y0 + side]; every
// colourEvery-th a colour change, every moveEvery-th a move.
void Scatter(Generated& g, std::mt19937& rng, int x0, int y0, int side, int n, int colourEvery,
             int moveEvery = 0) {
  CDesign& d = g.design;
  d.BeginDesign(n + 8);
  std::uniform_int_distribution<int> coord(0, side);
  for (int i = 1; i <= n; ++i) {
    const auto x = static_cast<std::int16_t>(x0 + coord(rng));
    const auto y = static_cast<std::int16_t>(y0 + coord(rng));
    if (colourEvery && i % colourEvery == 0)
      d.AddColorChange(x, y);  // its position is neither drawn to nor kept
    else if (moveEvery && i % moveEvery == 0)
      d.AddMove(x, y);
    else
      d.AddStitch(x, y);
  }
  d.EndDesign();
  Colours(d, rng);
}

// A walk of short steps, as a fill sews, with jumps now and then.
void Walk(Generated& g, std::mt19937& rng, int extent, int step, int n, int colourEvery) {
  CDesign& d = g.design;
  d.BeginDesign(n + 8);
  std::uniform_int_distribution<int> delta(-step, step), jump(0, extent);
  int x = extent / 2, y = extent / 2;
  for (int i = 1; i <= n; ++i) {
    const bool far = i % 97 == 0;
    x = far ? jump(rng) : std::clamp(x + delta(rng), 0, extent);
    y = far ? jump(rng) : std::clamp(y + delta(rng), 0, extent);
    if (i % colourEvery == 0) d.AddColorChange(0, 0);
    if (far)
      d.AddMove(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    else
      d.AddStitch(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  }
  d.EndDesign();
  Colours(d, rng);
}

int Mismatches(const CPixelBuffer& a, const CPixelBuffer& b, std::string& first) {
  int n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.At(x, y) != b.At(x, y) && n++ == 0)
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return n;
}

// Paints the design both ways in each view and compares the frames.
void ExpectSamePixels(const Generated& g, const std::vector<std::pair<int, int>>& frames,
                      const std::vector<CPreviewView>& views) {
  Palettes palettes;
  for (const auto& [w, h] : frames) {
    for (const CPreviewView& v : views) {
      CPixelBuffer fast = Frame(w, h), plain = Frame(w, h);
      PaintDesign(fast, g.design, v, palettes.Get());
      paint_reference::PaintInOrder(plain, g.design, v, palettes.Get());
      std::string first;
      ASSERT_EQ(Mismatches(fast, plain, first), 0)
          << g.name << " in " << w << " x " << h << " at " << v.zoomPercent << " %, turned "
          << v.rotation << ", offsets " << v.offsetX << "," << v.offsetY << "; first at " << first;
    }
  }
}

// Every zoom and rotation, and views scrolled by random offsets (negative
// ones too, so that lines run off every edge).
std::vector<CPreviewView> Views(std::mt19937& rng, const CDesign& d, int scrolled) {
  std::vector<CPreviewView> views;
  for (int zoom : {100, 125, 150, 200, 300})
    for (int rotation = 0; rotation < 4; ++rotation) views.push_back({zoom, 0, 0, rotation});
  const int reach = std::max({d.m_nWidth, d.m_nHeight, 4});
  constexpr int kZooms[] = {100, 125, 150, 200, 300};
  std::uniform_int_distribution<int> offset(-reach / 2, reach), zoom(0, 4), turn(0, 3);
  for (int i = 0; i < scrolled; ++i)
    views.push_back({kZooms[zoom(rng)], offset(rng), offset(rng), turn(rng)});
  return views;
}

}  // namespace

// Random points of 1 mm and 2 mm squares, the hostile designs in small: a
// pen of many pixels, lines across much of the frame, and (at 100 % in a
// frame taller than wide) rows below the design that no line ever reaches.
TEST(PaintOrderTest, RandomPointsOfASmallSquare) {
  std::mt19937 rng(41);
  for (int side : {10, 20}) {
    Generated g;
    g.name = "square of " + std::to_string(side);
    Scatter(g, rng, 0, 0, side, 3000, 700);
    ExpectSamePixels(g, {{262, 330}, {61, 97}}, Views(rng, g.design, 6));
  }
  // Long enough for the map to settle: most lines then fall on decided
  // pixels, those at the bottom beside pixels that stay undecided.
  Generated many;
  many.name = "20000 lines in a 1 mm square";
  Scatter(many, rng, 0, 0, 10, 20000, 5000);
  ExpectSamePixels(many, {{262, 330}}, {{100, 0, 0, 0}, {100, 0, 0, 1}});
}

// Sparse lines in a larger square leave most pixels undecided to the end;
// negative positions, moves and colour changes whose positions disagree.
TEST(PaintOrderTest, SparseLinesWithMovesAndColourChanges) {
  std::mt19937 rng(42);
  for (const auto& [side, lines] : {std::pair{400, 60}, {3000, 200}, {60, 400}}) {
    Generated g;
    g.name = "square of " + std::to_string(side);
    Scatter(g, rng, -side / 3, -side / 2, side, lines, 7, 5);
    ExpectSamePixels(g, {{262, 330}, {330, 97}}, Views(rng, g.design, 8));
  }
}

// Dense walks of short steps: one-pixel lines when shrunk, pens of two to
// eight pixels (the stamps' widths) and wider ones when zoomed in a large
// frame.
TEST(PaintOrderTest, DenseWalks) {
  std::mt19937 rng(43);
  for (const auto& [extent, step] : {std::pair{2000, 25}, {300, 6}, {60, 3}}) {
    Generated g;
    g.name = "walk over " + std::to_string(extent);
    Walk(g, rng, extent, step, 4000, 450);
    ExpectSamePixels(g, {{262, 330}, {500, 420}}, Views(rng, g.design, 4));
  }
}

// A design a tenth of a millimetre across or none at all: a pen as wide as
// the frame or wider, a design that is a line, and one that is a point.
TEST(PaintOrderTest, TinyAndDegenerateDesigns) {
  std::mt19937 rng(44);
  const struct { int width, height; } boxes[] = {{1, 1}, {1, 0}, {0, 1}, {0, 0}, {2, 1}};
  for (const auto& b : boxes) {
    Generated g;
    g.name = "box " + std::to_string(b.width) + " x " + std::to_string(b.height);
    CDesign& d = g.design;
    d.BeginDesign(64);
    for (int i = 1; i <= 40; ++i) {
      d.AddStitch(static_cast<std::int16_t>(rng() % (b.width + 1)),
                  static_cast<std::int16_t>(rng() % (b.height + 1)));
      if (i % 9 == 0) d.AddColorChange(0, 0);
    }
    d.EndDesign();
    Colours(d, rng);
    ExpectSamePixels(g, {{262, 330}, {40, 700}}, Views(rng, d, 4));
  }
  Generated none;
  none.name = "no stitch";
  none.design.BeginDesign(4);
  none.design.EndDesign();
  ExpectSamePixels(none, {{262, 330}}, Views(rng, none.design, 0));
}

// Wide pens in a large frame: lines long enough that the floating-point
// spans draw them, others with end points far outside the frame.
TEST(PaintOrderTest, WidePensInALargeFrame) {
  std::mt19937 rng(45);
  Generated g;
  g.name = "square of 12 in 1000 x 900";
  Scatter(g, rng, 0, 0, 12, 150, 40);
  ExpectSamePixels(g, {{1000, 900}}, {{100, 0, 0, 0}, {300, 3, 5, 1}, {300, -20, -9, 2}});
}

// Only the records before the first end record are lines; a colour record
// first changes the pen of the very first line; kinds other than colour
// and end are points.
TEST(PaintOrderTest, RecordsUpToTheFirstEndRecord) {
  std::mt19937 rng(46);
  Generated g;
  g.name = "end record in the middle";
  CDesign& d = g.design;
  d.BeginDesign(64);
  d.AddColorChange(5, 5);
  for (int i = 0; i < 30; ++i)
    d.AddStitch(static_cast<std::int16_t>(rng() % 200), static_cast<std::int16_t>(rng() % 150));
  d.StoreRecord(20, 140, 3);  // not a kind of its own: a point like any other
  d.AddColorChange(0, 0);
  d.AddColorChange(0, 0);
  d.AddStitch(199, 0);
  d.EndDesign();
  const int end = d.NextRecordIndex();  // where the end record is
  d.GrowRecords(end + 21);
  for (int k = end + 1; k <= end + 20; ++k) {  // beyond the end: never drawn
    d.m_arrX[k] = static_cast<std::int16_t>(k % 2 ? 0 : 199);
    d.m_arrY[k] = static_cast<std::int16_t>(k % 3 ? 0 : 149);
    d.m_arrKind[k] = k % 5 ? KIND_STITCH : KIND_COLOR;
  }
  Colours(d, rng);
  ExpectSamePixels(g, {{262, 330}}, Views(rng, d, 4));

  // Arrays of unequal length: the shortest one ends the records.
  d.m_arrKind.resize(12);
  ExpectSamePixels(g, {{262, 330}}, {{100, 0, 0, 0}});
}

// The painter on its own: random lines in device pixels, each pen width
// from the thin line through the stamps' widths to one wider than the
// frame (whose spans are only ever the floating-point ones), end points up
// to far beyond the frame, many colours; the last line given is the first
// drawn in order.
TEST(PaintOrderTest, LinesGivenLastToFirstMatchLinesDrawnInOrder) {
  std::mt19937 rng(47);
  constexpr int kW = 157, kH = 95;
  for (int width : {1, 2, 3, 4, 7, 8, 9, 16, 33, 100, 301, 5000}) {
    struct Line {
      int x0, y0, x1, y1;
      std::uint32_t rgb;
    };
    std::vector<Line> lines;
    std::uniform_int_distribution<int> near(-60, kW + 60), step(-30, 30), far(-200000, 200000);
    for (int i = 0; i < 300; ++i) {
      const int kind = static_cast<int>(rng() % 8);
      const int x0 = kind == 0 ? far(rng) : near(rng), y0 = kind == 1 ? far(rng) : near(rng);
      const int x1 = kind < 4 ? near(rng) : x0 + step(rng),
                y1 = kind < 4 ? near(rng) : y0 + step(rng);
      lines.push_back({x0, y0, x1, y1, 0x101010u * (1 + static_cast<std::uint32_t>(rng() % 15))});
    }
    CPixelBuffer plain = Frame(kW, kH), fast = Frame(kW, kH);
    CSoftDC dc(plain);
    std::deque<CPen> pens;
    for (const Line& l : lines) {
      pens.emplace_back().CreatePen(PS_SOLID, width,
                                    RGB(l.rgb >> 16, (l.rgb >> 8) & 0xFF, l.rgb & 0xFF));
      dc.SelectObject(&pens.back());
      dc.MoveTo(l.x0, l.y0);
      dc.LineTo(l.x1, l.y1);
    }
    CReversePaint paint(fast, width);
    for (auto l = lines.rbegin(); l != lines.rend(); ++l)
      paint.Stroke(l->x0, l->y0, l->x1, l->y1, l->rgb);
    std::string first;
    ASSERT_EQ(Mismatches(fast, plain, first), 0) << "pen " << width << "; first at " << first;
    // Whether the painter can still tell that something is left to decide.
    EXPECT_EQ(paint.Done(),
              std::count(plain.pixels.begin(), plain.pixels.end(), kBackground) == 0 &&
                  std::count(fast.pixels.begin(), fast.pixels.end(), kBackground) == 0)
        << "pen " << width;
  }
}

// Once every pixel is decided no earlier line can show: a frame-wide line
// given first covers all, and the lines before it paint nothing.
TEST(PaintOrderTest, NothingIsPaintedOnceEveryPixelIsDecided) {
  CPixelBuffer f = Frame(40, 30);
  CReversePaint paint(f, 90);
  EXPECT_FALSE(paint.Done());
  paint.Stroke(-5, 15, 45, 15, 0x00FF00);
  ASSERT_TRUE(paint.Done());
  paint.Stroke(0, 0, 39, 29, 0xFF0000);
  EXPECT_EQ(std::count(f.pixels.begin(), f.pixels.end(), 0x00FF00u), 40 * 30);

  CPixelBuffer empty = Frame(0, 0);
  CReversePaint none(empty, 3);
  EXPECT_TRUE(none.Done());
  none.Stroke(-10, -10, 10, 10, 0);
}
