// The whole-design picture of the thumbnailer: size and aspect, the pen kept
// inside the picture, block colours, moves not drawn, designs with nothing
// to draw.
#include <set>

#include "render/design_picture.h"
#include "render/device_context.h"
#include "tests/test_support.h"

namespace {

constexpr std::uint32_t kBackground = 0xFF000000u;

bool Painted(const CPixelBuffer& p, int x, int y) { return p.At(x, y) != kBackground; }

bool RowPainted(const CPixelBuffer& p, int y) {
  for (int x = 0; x < p.width; ++x)
    if (Painted(p, x, y)) return true;
  return false;
}

bool ColumnPainted(const CPixelBuffer& p, int x) {
  for (int y = 0; y < p.height; ++y)
    if (Painted(p, x, y)) return true;
  return false;
}

std::set<std::uint32_t> Colors(const CPixelBuffer& p) {
  std::set<std::uint32_t> colors;
  for (std::uint32_t v : p.pixels)
    if (v != kBackground) colors.insert(v);
  return colors;
}

}  // namespace

class DesignPictureTest : public ViewerTest {
 protected:
  bool Draw(int size) { return DrawDesignPicture(dlg, dlg.Palettes(), size, kBackground, picture); }
  CPixelBuffer picture;
};

TEST_F(DesignPictureTest, LargerSideFillsTheSizeAndThePenStaysInside) {
  // A 400 x 200 frame: top and right side in block 0, bottom and left in block 1.
  LoadDesign({{400, 0, KIND_STITCH}, {400, 200, KIND_STITCH}, {400, 200, KIND_COLOR},
              {0, 200, KIND_STITCH}, {0, 0, KIND_STITCH}},
             FORMAT_BROTHER);
  dlg.m_blockColor[0] = 5;   // #E80000
  dlg.m_blockColor[1] = 14;  // #00D800
  for (int size : {128, 256, 97}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(Draw(size));
    const int pen = DesignPicturePenWidth(size);
    EXPECT_EQ(picture.width, size);
    // 200 units at (size - pen) / 400 pixels a unit, plus the pen.
    EXPECT_EQ(picture.height, (2 * 200 * (size - pen) + 400) / 800 + pen);
    EXPECT_TRUE(RowPainted(picture, 0));
    EXPECT_TRUE(RowPainted(picture, picture.height - 1));
    EXPECT_TRUE(ColumnPainted(picture, 0));
    EXPECT_TRUE(ColumnPainted(picture, picture.width - 1));
    EXPECT_FALSE(Painted(picture, size / 2, picture.height / 2));
    EXPECT_EQ(picture.At(size / 2, 0), ColorRefToRgb(dlg.BlockColor(0)));
    EXPECT_EQ(picture.At(size / 2, picture.height - 1), ColorRefToRgb(dlg.BlockColor(1)));
    EXPECT_EQ(Colors(picture), (std::set<std::uint32_t>{0xE80000, 0x00D800}));
  }
}

TEST_F(DesignPictureTest, MovesPlaceTheNeedleWithoutDrawing) {
  // Two sewn pieces on one line with a move between them, and a last move
  // far down that must not make the picture taller.
  LoadDesign({{100, 0, KIND_STITCH}, {300, 0, KIND_MOVE}, {400, 0, KIND_STITCH},
              {400, 1000, KIND_MOVE}},
             FORMAT_SEW);
  ASSERT_TRUE(Draw(256));
  EXPECT_EQ(picture.width, 256);
  EXPECT_EQ(picture.height, DesignPicturePenWidth(256));
  EXPECT_TRUE(ColumnPainted(picture, 10));
  EXPECT_TRUE(ColumnPainted(picture, 245));
  for (int x = 80; x < 176; ++x) EXPECT_FALSE(ColumnPainted(picture, x)) << x;
}

TEST_F(DesignPictureTest, ShortStitchesJoinIntoAnUnbrokenLine) {
  // 2000 stitches of one unit each: many fall on one pixel, none may leave a gap.
  dlg.BeginDesign(2100);
  for (int i = 1; i <= 2000; ++i) dlg.AddStitch(static_cast<std::int16_t>(i), static_cast<std::int16_t>(i));
  dlg.EndDesign();
  dlg.m_bLoaded = TRUE;
  ASSERT_TRUE(Draw(128));
  ASSERT_EQ(picture.width, 128);
  ASSERT_EQ(picture.height, 128);
  // Along the diagonal, every column has a painted pixel within a pen's reach.
  for (int x = 0; x < 128; ++x) {
    bool near = false;
    for (int y = std::max(0, x - 2); y <= std::min(127, x + 2); ++y) near |= Painted(picture, x, y);
    EXPECT_TRUE(near) << x;
  }
}

TEST_F(DesignPictureTest, DesignsWithNothingSewnDrawNothing) {
  picture.Resize(4, 4);
  LoadDesign({}, FORMAT_DST);  // only records 0 and 1, both at the origin
  EXPECT_FALSE(Draw(128));
  EXPECT_EQ(picture.width, 0);
  EXPECT_TRUE(picture.pixels.empty());

  LoadDesign({{100, 0, KIND_MOVE}, {200, 50, KIND_MOVE}}, FORMAT_SEW);
  EXPECT_FALSE(Draw(128));

  LoadDesign({{0, 0, KIND_STITCH}, {0, 0, KIND_COLOR}, {0, 0, KIND_STITCH}}, FORMAT_DST);
  EXPECT_FALSE(Draw(128));

  CHeadlessViewer fresh;  // nothing loaded at all
  EXPECT_FALSE(DrawDesignPicture(fresh.dlg, fresh.dlg.Palettes(), 128, kBackground, picture));
}

TEST_F(DesignPictureTest, StraightLinesAreAsThickAsThePen) {
  LoadDesign({{-500, 0, KIND_STITCH}, {700, 0, KIND_STITCH}}, FORMAT_DST);
  for (int size : {1, 2, 128, 2048}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(Draw(size));
    EXPECT_EQ(picture.width, size);
    EXPECT_EQ(picture.height, std::min(size, DesignPicturePenWidth(size)));
  }
}
