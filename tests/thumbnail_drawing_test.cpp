// The thumbnail's drawing as cairo strokes it: a light thread's edge under
// every line of its block, whether the block is stroked from one path or in
// parts; round ends and joins at the thumbnail's coarser tolerance close to
// those at cairo's own; the thumbnail's colours made straight again.
#include <cmath>
#include <cstring>

#include "picture/coverage_cells.h"
#include "picture/design_drawing.h"
#include "picture/design_pictures.h"
#include "tests/test_support.h"

namespace {

constexpr COLORREF kCream = RGB(250, 245, 225);
constexpr COLORREF kRed = RGB(220, 20, 30);

class ThumbnailDrawingTest : public ViewerTest {
 protected:
  // The design of records, block k in colors[k].
  void LoadColored(const std::vector<Record>& records, const std::vector<COLORREF>& colors) {
    LoadDesign(records, FORMAT_DST);
    dlg.m_bThreadColors = TRUE;
    dlg.m_threads.assign(colors.size(), CThread{});
    for (std::size_t k = 0; k < colors.size(); ++k) dlg.m_threads[k].color = colors[k];
  }

  // The design drawn as a thumbnail draws it, kSize pixels on its larger
  // side, lines 2.5 pixels wide: cairo's premultiplied ARGB words.
  static constexpr int kSize = 200;
  std::vector<std::uint32_t> Draw(int linesPerStroke, double tolerance) {
    const CSewnExtent extent = SewnExtent(dlg);
    const double span = std::max(extent.Width(), extent.Height());
    const double margin = 4, scale = (kSize - 2 * margin) / span;
    origin = static_cast<std::size_t>(std::lround(margin - extent.minY * scale)) * kSize +
             static_cast<std::size_t>(std::lround(margin - extent.minX * scale));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(surface);
    cairo_translate(cr, margin - extent.minX * scale, margin - extent.minY * scale);
    cairo_scale(cr, scale, scale);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
    cairo_set_tolerance(cr, tolerance);
    DrawDesign(cr, dlg, extent,
               {.lineWidth = 2.5 / scale,
                .edgeWidth = 1 / scale,
                .coverageBand = kPixelBand,
                .linesPerStroke = linesPerStroke,
                .mergeTolerance = 0.25 / scale});
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::vector<std::uint32_t> pixels(kSize * kSize);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < kSize; ++y)
      std::memcpy(&pixels[y * kSize], data + y * cairo_image_surface_get_stride(surface), kSize * 4);
    cairo_surface_destroy(surface);
    return pixels;
  }
  std::size_t origin = 0;  // the pixel of the design's (0, 0) in the last drawing

  // Spokes through (0, 0), each one stitch from end to end, so that every
  // later spoke crosses all earlier ones there.
  static std::vector<Record> Star(int spokes, int radius) {
    std::vector<Record> records;
    for (int k = 0; k < spokes; ++k) {
      const double a = k * 3.14159265 / spokes;
      const int x = static_cast<int>(std::lround(radius * std::cos(a)));
      const int y = static_cast<int>(std::lround(radius * std::sin(a)));
      records.push_back({x, y, KIND_MOVE});
      records.push_back({-x, -y, KIND_STITCH});
    }
    return records;
  }
};

// The largest channel difference of two premultiplied pixels, alpha included.
int Difference(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift : {0, 8, 16, 24})
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return most;
}

// An opaque pixel near the light thread's own colour, or one near its edge's.
bool Light(std::uint32_t p) { return (p >> 24) == 0xFF && ((p >> 16) & 0xFF) >= 230; }
bool Dark(std::uint32_t p) { return (p >> 24) == 0xFF && ((p >> 16) & 0xFF) <= 180; }

TEST_F(ThumbnailDrawingTest, ALightThreadsEdgeLiesUnderAllItsLinesInOnePathAndInParts) {
  LoadColored(Star(24, 500), {kCream});
  const std::vector<std::uint32_t> whole = Draw(0, 0.75);  // one path: edge and line from it
  const std::vector<std::uint32_t> parts = Draw(5, 0.75);  // the edges of all parts first
  // Where all spokes cross, the thread shows, not its edge.
  const std::uint32_t centre = whole[origin];
  EXPECT_TRUE(Light(centre)) << std::hex << centre;
  int light = 0, flipped = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    light += Light(whole[i]);
    // An edge drawn over an earlier line turns the thread's pixels dark.
    flipped += (Light(whole[i]) && Dark(parts[i])) || (Dark(whole[i]) && Light(parts[i]));
  }
  EXPECT_GT(light, 1000);
  EXPECT_EQ(flipped, 0);
  // A dark thread has no edge: nothing darker than it, however it is stroked.
  LoadColored(Star(24, 500), {kRed});
  for (std::uint32_t p : Draw(5, 0.75)) ASSERT_TRUE((p >> 24) == 0 || ((p >> 16) & 0xFF) <= 220) << std::hex << p;
}

TEST_F(ThumbnailDrawingTest, EndsAndJoinsAtTheThumbnailsToleranceStayCloseToCairosOwn) {
  // A spiral of short stitches (joins at every turn), broken runs (ends)
  // and a zigzag column, in two colours.
  std::vector<Record> records{{0, 0, KIND_MOVE}};
  for (int i = 0; i < 400; ++i) {
    const double a = i * 0.15, r = 40 + i * 1.1;
    records.push_back({static_cast<int>(std::lround(r * std::cos(a))), static_cast<int>(std::lround(r * std::sin(a))),
                       i % 37 == 0 ? KIND_MOVE : KIND_STITCH});
  }
  records.push_back({0, 0, KIND_COLOR});
  records.push_back({-500, 520, KIND_MOVE});
  for (int i = 0; i < 100; ++i) records.push_back({-500 + i * 10, i % 2 ? 560 : 520, KIND_STITCH});
  LoadColored(records, {kRed, RGB(20, 90, 200)});
  const std::vector<std::uint32_t> coarse = Draw(1024, kThumbnailTolerance);
  const std::vector<std::uint32_t> fine = Draw(1024, 0.1);  // cairo's default
  int drawn = 0, apart = 0, far = 0;
  long long sum = 0;
  for (std::size_t i = 0; i < fine.size(); ++i) {
    drawn += (fine[i] >> 24) != 0;
    const int d = Difference(coarse[i], fine[i]);
    sum += d;
    apart += d > 48;
    far += d > 96;
  }
  ASSERT_GT(drawn, 5000);
  // Edge pixels move by a level or two on the whole, a few of them by up to
  // a third; none changes from line to ground, as some do with a pen of
  // four corners (a tolerance of the line's width).
  EXPECT_LT(static_cast<double>(sum) / drawn, 1.5);
  EXPECT_LE(apart, drawn / 100);
  EXPECT_EQ(far, 0);
}

TEST_F(ThumbnailDrawingTest, ThumbnailColoursAreStraightWhereverTheyAreSeeThrough) {
  LoadColored(Star(9, 500), {kRed});
  CPixelBuffer picture;
  ASSERT_TRUE(DrawDesignThumbnail(dlg, 256, picture));
  int partial = 0, opaque = 0;
  for (std::uint32_t p : picture.pixels) {
    const std::uint32_t transparency = p >> 24;
    if (transparency == 0xFF) {
      EXPECT_EQ(p, 0xFF000000u);  // nothing drawn: no colour either
      continue;
    }
    if (transparency == 0) {
      ++opaque;
      EXPECT_EQ(p, 0xDC141Eu);
      continue;
    }
    // A seen-through edge keeps the thread's colour, up to the rounding
    // of cairo's premultiplied channels at that opacity.
    ++partial;
    const int alpha = 255 - static_cast<int>(transparency);
    const int slack = 1 + 255 / alpha;
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 220, slack) << std::hex << p;
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 20, slack) << std::hex << p;
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 30, slack) << std::hex << p;
  }
  EXPECT_GT(opaque, 500);
  EXPECT_GT(partial, 200);
}

}  // namespace
