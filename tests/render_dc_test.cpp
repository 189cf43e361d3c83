// The software device context on its own: mapping, clipping and the
// pixels of its lines.
#include <random>

#include "render/device_context.h"
#include "tests/render_support.h"
#include "tests/test_support.h"

using namespace render_test;

// A line cut by the clip area paints exactly the pixels of the uncut line
// inside it: draw each line in a large buffer and again, shifted, in a small
// one, for both pen kinds.
TEST(SoftDcTest, ClippedLinesMatchTheUncutLine) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> coord(-150, 650);
  constexpr int kOx = 200, kOy = 150, kW = 120, kH = 90;
  for (int penWidth : {0, 3, 4}) {
    for (int n = 0; n < 400; ++n) {
      const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
      CPixelBuffer big, small;
      big.Resize(1200, 1200);
      small.Resize(kW, kH);
      CPen pen;
      pen.CreatePen(PS_SOLID, penWidth, RGB(255, 0, 0));
      CSoftDC bigDc(big), smallDc(small);
      bigDc.SelectObject(&pen);
      smallDc.SelectObject(&pen);
      // The big buffer is shifted by 300 so that no line leaves it.
      bigDc.MoveTo(x0 + 300, y0 + 300);
      bigDc.LineTo(x1 + 300, y1 + 300);
      smallDc.MoveTo(x0 - kOx, y0 - kOy);
      smallDc.LineTo(x1 - kOx, y1 - kOy);
      int mismatches = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          mismatches += small.At(x, y) != big.At(x + kOx + 300, y + kOy + 300);
      ASSERT_EQ(mismatches, 0) << "pen " << penWidth << " line (" << x0 << "," << y0 << ")-("
                               << x1 << "," << y1 << ")";
    }
  }
}

TEST(SoftDcTest, ThinLinesLeaveTheEndPointAndPaintEveryStep) {
  CPixelBuffer f;
  f.Resize(20, 20);
  CSoftDC dc(f);
  std::fill(f.pixels.begin(), f.pixels.end(), kWhite);
  dc.MoveTo(2, 3);
  dc.LineTo(12, 7);  // 10 steps in x
  EXPECT_EQ(CountRgb(f, kBlack), 10);
  EXPECT_EQ(f.At(2, 3), kBlack);
  EXPECT_EQ(f.At(12, 7), kWhite);
  EXPECT_EQ(f.At(11, 7), kBlack);
  dc.LineTo(12, 7);  // zero length: nothing
  EXPECT_EQ(CountRgb(f, kBlack), 10);
}

TEST(SoftDcTest, TheClipRegionLimitsDrawing) {
  CPixelBuffer f;
  f.Resize(40, 40);
  std::fill(f.pixels.begin(), f.pixels.end(), kWhite);
  CSoftDC dc(f);
  CRgn region;
  region.CreateRectRgn(10, 10, 30, 20);
  dc.SelectClipRgn(&region);
  dc.SelectStockObject(BLACK_BRUSH);
  dc.Rectangle(-5, -5, 100, 100);
  const Box b = PaintedBox(f);
  EXPECT_EQ(b.minX, 10);
  EXPECT_EQ(b.maxX, 29);
  EXPECT_EQ(b.minY, 10);
  EXPECT_EQ(b.maxY, 19);
  EXPECT_EQ(CountRgb(f, kBlack), 200);
}

TEST(SoftDcTest, IsotropicMappingUsesTheSmallerScaleAndRoundsToNearest) {
  CPixelBuffer f;
  f.Resize(300, 330);
  CSoftDC dc(f);
  dc.SetMapMode(MM_ISOTROPIC);
  dc.SetWindowExt(1000, 500);
  dc.SetViewportExt(300, 330);
  EXPECT_EQ(dc.LogicalToDevice(1000), 300);
  EXPECT_EQ(dc.LogicalToDevice(5), 2);     // 1.5 rounds up
  EXPECT_EQ(dc.LogicalToDevice(-5), -1);   // -1.5 rounds up too
  EXPECT_EQ(dc.LogicalToDevice(4), 1);     // 1.2
  EXPECT_EQ(dc.LogicalToDevice(32767), 9830);
  EXPECT_EQ(dc.LogicalToDevice(-32768), -9830);
  EXPECT_EQ(dc.LogicalToDevice(3'000'005), 900'002);  // outside the fast range: 900001.5
  // Every value agrees with the exact rational rounding.
  dc.SetWindowExt(977, 1013);
  dc.SetViewportExt(263, 331);
  for (int v = -70000; v <= 70000; v += 7) {
    const long long n = 2LL * v * 263 + 977, d = 2LL * 977;
    const long long expected = n >= 0 ? n / d : -((-n + d - 1) / d);
    ASSERT_EQ(dc.LogicalToDevice(v), expected) << v;
  }
}
