// The preview and thumbnail pixels and the block colours, as the paint
// handler draws them.
#include <array>
#include <climits>

#include "framework/frame_surfaces.h"
#include "render/device_context.h"
#include "tests/render_support.h"
#include "tests/test_support.h"

using namespace render_test;

namespace {

struct Step {
  int x, y;
  bool colorChange = false;
};
constexpr Step Color(int x, int y) { return {x, y, true}; }

}  // namespace

class RenderTest : public ViewerTest {
 protected:
  RenderTest() { platform.paintOnRepaint = true; }

  // Builds a design with the reader operations and publishes it, which paints.
  void Design(std::initializer_list<Step> steps, CDesignPublish publish = {}) {
    dlg.BeginDesign(16);
    for (const Step& s : steps) {
      const auto x = static_cast<std::int16_t>(s.x), y = static_cast<std::int16_t>(s.y);
      if (s.colorChange)
        dlg.AddColorChange(x, y);
      else
        dlg.AddStitch(x, y);
    }
    dlg.EndDesign();
    if (publish.format == 0) publish.format = 4;
    dlg.PublishDesign(publish);
  }
  // Brother entries as the blocks' colours, as the DST reader numbers them.
  void BrotherBlocks(std::initializer_list<int> indices) {
    int k = 0;
    for (int i : indices) dlg.m_blockColor[k++] = static_cast<std::uint8_t>(i);
  }
  const CPixelBuffer& Preview() { return platform.ControlPixels(IDC_PREVIEW); }
  const CPixelBuffer& Thumb() { return platform.ControlPixels(IDC_THUMBNAIL); }
  std::uint32_t At(int x, int y) { return Preview().At(x, y); }
  void Paint() { platform.RepaintNow(0); }
};

TEST_F(RenderTest, WithoutDesignBothFramesShowOnlyTheirBackground) {
  Paint();
  EXPECT_TRUE(PaintedBox(Preview()).Empty());
  CPixelBuffer empty;
  empty.Resize(Thumb().width, Thumb().height);
  PaintControlBackground(ControlKind::blackFrame, empty);
  EXPECT_EQ(Thumb().pixels, empty.pixels);
  EXPECT_EQ(Thumb().At(0, 0), kBlack);
  EXPECT_EQ(Thumb().At(5, 5), kDialogFaceRgb);
}

// Frame 300 x 330, design 1000 x 500: an outline in block 0, a vertical
// stroke at X = 250 in block 1 and one at X = 750 in block 2.
class WorkedExampleTest : public RenderTest {
 protected:
  static constexpr std::uint32_t kB = 0x0000E0, kC = 0x008844;  // Brother 2 and 3
  void SetUp() override {
    platform.SetFrameSize(IDC_PREVIEW, 300, 330);
    BrotherBlocks({0, 2, 3});
    Design({{0, 0}, {1000, 0}, {1000, 500}, {0, 500}, {0, 0}, Color(0, 0), {250, 100},
            {250, 400}, Color(250, 400), {750, 400}, {750, 100}});
  }
};

TEST_F(WorkedExampleTest, At100PercentTheDesignCovers300By150Pixels) {
  const Box b = PaintedBox(Preview());
  EXPECT_EQ(b.minX, 0);
  EXPECT_EQ(b.minY, 0);
  EXPECT_EQ(b.maxX, 299);  // x = 1000 lands on 300, just past the frame
  EXPECT_EQ(b.maxY, 150);
  EXPECT_EQ(At(150, 150), kBlack);
  EXPECT_EQ(At(150, 149), kWhite);
  EXPECT_EQ(At(75, 60), kB);
  EXPECT_EQ(At(225, 60), kC);
}

TEST_F(WorkedExampleTest, At125PercentTheWindowExtentIs800By400) {
  dlg.OnZoom125();
  EXPECT_EQ(At(94, 75), kB);   // 250 * 300 / 800 = 93.75
  EXPECT_EQ(At(281, 75), kC);  // 750 * 0.375 = 281.25
  EXPECT_EQ(PaintedBox(Preview()).maxY, 188);  // 500 * 0.375 = 187.5, rounded up
}

TEST_F(WorkedExampleTest, At200PercentTheRightHalfIsCutUntilScrolled) {
  dlg.OnZoom200();
  EXPECT_EQ(PaintedBox(Preview()).maxY, 300);  // 500 * 0.6
  EXPECT_EQ(At(150, 120), kB);
  EXPECT_EQ(CountRgb(Preview(), kC, 90, 211), 0) << "X = 750 lies at 450, outside";

  dlg.OnHScroll(SB_THUMBPOSITION, 100, dlg.m_pHScrollBar);  // offset 500
  EXPECT_EQ(dlg.m_nOffsetX, 500);
  EXPECT_EQ(At(150, 120), kC);
  EXPECT_EQ(At(100, 240), kC);  // the stroke along Y = 400, now from -150 to 150

  dlg.OnVScroll(SB_THUMBPOSITION, 100, dlg.m_pVScrollBar);  // offset 250
  EXPECT_EQ(At(150, 30), kC);  // Y = 300 - 250
}

TEST_F(WorkedExampleTest, Rotation1At100PercentCovers165By330Pixels) {
  dlg.OnRotate();
  const Box b = PaintedBox(Preview());
  EXPECT_EQ(b.minX, 0);
  EXPECT_EQ(b.maxX, 165);  // (500 - 0) * 0.33
  EXPECT_EQ(b.minY, 0);
  EXPECT_EQ(b.maxY, 329);  // 1000 * 0.33 = 330, cut by the frame
}

// X in -100..300, Y in -50..150 in a 400 x 400 frame: s = 1 in every
// rotation. Block 1 is a 20-unit diagonal from the top-left corner inward.
TEST_F(RenderTest, TheBoundingBoxCornerLandsWhereEachRotationPutsIt) {
  platform.SetFrameSize(IDC_PREVIEW, 400, 400);
  BrotherBlocks({0, 5});
  Design({{-100, -50}, {300, -50}, {300, 150}, {-100, 150}, {-100, -50}, Color(-100, -50),
          {-80, -30}});
  constexpr std::uint32_t kMark = 0xE80000;  // Brother 5
  struct Corner {
    int x, y, dx, dy;
  };
  const Corner corners[4] = {{0, 0, 1, 1}, {200, 0, -1, 1}, {400, 200, -1, -1}, {0, 400, 1, -1}};
  std::vector<std::uint32_t> unturned;
  for (int rotation = 0; rotation < 4; ++rotation) {
    ASSERT_EQ(dlg.m_nRotation, rotation);
    if (rotation == 0) unturned = Preview().pixels;
    const Corner& c = corners[rotation];
    for (int k : {1, 10, 19})
      EXPECT_EQ(At(c.x + k * c.dx, c.y + k * c.dy), kMark) << "rotation " << rotation << " k " << k;
    EXPECT_NE(At(c.x + 20 * c.dx, c.y + 20 * c.dy), kMark) << "end point, rotation " << rotation;
    dlg.OnRotate();
  }
  EXPECT_EQ(Preview().pixels, unturned);
}

TEST_F(RenderTest, EveryPictureStartsWithALineFromTheFrameCorner) {
  // Origin at (100, 100) from the top-left of the bounds, s = 1.
  platform.SetFrameSize(IDC_PREVIEW, 200, 200);
  BrotherBlocks({5});
  Design({{-100, 100}, {100, -100}});  // both lines cross the other diagonal
  EXPECT_EQ(At(0, 0), 0xE80000u);
  EXPECT_EQ(At(50, 50), 0xE80000u);
  EXPECT_EQ(At(99, 99), 0xE80000u);
}

TEST_F(RenderTest, BlockColoursFollowTheColourSource) {
  platform.SetFrameSize(IDC_PREVIEW, 300, 100);
  // Three horizontal strokes, one per block, at Y = 10, 50 and 90; s = 1 and
  // the bounds start at Y = 10, so they land on rows 0, 40 and 80.
  auto strokes = [&](CDesignPublish publish) {
    Design({{0, 10}, {300, 10}, Color(300, 10), {300, 50}, {0, 50}, Color(0, 50), {0, 90},
            {300, 90}},
           publish);
    return std::array<std::uint32_t, 3>{At(150, 0), At(150, 40), At(150, 80)};
  };

  // PCS: block 0 black, block k the file colour named by the k-th change.
  dlg.m_fileColors[2] = RGB(0x12, 0x34, 0x56);
  dlg.m_fileColors[7] = RGB(0xAB, 0xCD, 0xEF);
  dlg.m_blockColor[0] = 7;
  dlg.m_blockColor[1] = 2;
  CDesignPublish pcs;
  pcs.format = 2;
  pcs.fileColors = TRUE;
  EXPECT_EQ(strokes(pcs), (std::array<std::uint32_t, 3>{kBlack, 0xABCDEF, 0x123456}));

  // SEW: the Janome palette, block 0 from entry 0.
  BrotherBlocks({12, 10, 3});
  CDesignPublish sew;
  sew.format = 8;
  sew.janomeColors = TRUE;
  EXPECT_EQ(strokes(sew), (std::array<std::uint32_t, 3>{0x0000FF, 0xFF0000, 0xFFFF00}));

  // PES/PEC/DST: the Brother palette.
  BrotherBlocks({39, 61, 1});
  EXPECT_EQ(strokes({}), (std::array<std::uint32_t, 3>{0x808080, 0xC4FF8E, 0x480090}));
}

TEST_F(RenderTest, DstBlocksAreDrawnInBrotherEntries2To4) {
  ByteBuilder b;
  b.fill(512, ' ');
  b.bytes({0x00, 0x00, 0x07,    // +81 in X
           0x00, 0x00, 0xC3,    // colour change
           0x00, 0x00, 0x13,    // +81 in Y (downward on screen), twice
           0x00, 0x00, 0x13,
           0x00, 0x00, 0xC3,    // colour change
           0x00, 0x00, 0x2B,    // -81 in X and in Y
           0x00, 0x00, 0xF3});  // end
  platform.SetFrameSize(IDC_PREVIEW, 200, 200);  // s = 200 / 162
  Read("dst", b);
  EXPECT_EQ(At(50, 0), 0x0000E0u);
  EXPECT_EQ(At(100, 100), 0x008844u);  // X = 81 lands on 100
  EXPECT_EQ(At(50, 150), 0xB8B8FFu);   // the diagonal from (100, 200) to (0, 100)
}

TEST_F(RenderTest, AColourChangeDrawsNoLineAndKeepsThePosition) {
  platform.SetFrameSize(IDC_PREVIEW, 200, 100);  // s = 1
  BrotherBlocks({5, 2});
  dlg.BeginDesign(8);
  dlg.AddStitch(0, 0);
  dlg.AddStitch(100, 0);
  dlg.AddStitch(100, 100);
  // A colour record whose position disagrees: it must be neither drawn to
  // nor moved to.
  dlg.StoreRecord(0, 50, KIND_COLOR);
  dlg.AddStitch(50, 50);
  dlg.EndDesign();
  dlg.PublishDesign({});
  EXPECT_EQ(At(100, 50), 0xE80000u);
  EXPECT_EQ(At(50, 75), kWhite);  // on a line to the colour record's point
  EXPECT_EQ(At(25, 50), kWhite);  // on a line from it
  EXPECT_EQ(At(99, 99), 0x0000E0u);  // the new block starts at the last point
  EXPECT_EQ(At(75, 75), 0x0000E0u);
}

TEST_F(RenderTest, PenWidthIsOneLogicalUnit) {
  struct Case {
    int frame;     // square frame, design 100 x 100, so s = frame / 100
    int expected;  // rows covered by a horizontal line
  };
  for (const Case c : {Case{30, 1}, Case{140, 1}, Case{200, 2}, Case{300, 3}, Case{800, 8}}) {
    platform.SetFrameSize(IDC_PREVIEW, c.frame, c.frame);
    Design({{0, 0}, {0, 100}, {0, 50}, {100, 50}});
    const int column = c.frame * 3 / 4;
    int rows = 0;
    for (int y = 0; y < c.frame; ++y) rows += At(column, y) != kWhite;
    EXPECT_EQ(rows, c.expected) << "frame " << c.frame;
    EXPECT_NE(At(column, c.frame / 2), kWhite) << "frame " << c.frame;
  }
}

// A design a tenth of a millimetre across is scaled until its pen is as
// wide as the frame (s = 262): every stitch paints the rows within 131
// pixels of the line half a pixel above row 0, and the last block's colour
// is what shows.
TEST_F(RenderTest, AFrameWidePenShowsTheBandOfTheLastBlock) {
  platform.SetFrameSize(IDC_PREVIEW, 262, 330);
  BrotherBlocks({5, 2});
  Design({{0, 0}, {1, 0}, {0, 0}, {1, 0}, Color(1, 0), {0, 0}, {1, 0}, {0, 0}});
  EXPECT_EQ(CountRgb(Preview(), 0x0000E0), 262 * 131);
  EXPECT_EQ(CountRgb(Preview(), kWhite), 262 * (330 - 131));
}

TEST_F(RenderTest, LinesPastTheFrameAreCutAtItsEdges) {
  platform.SetFrameSize(IDC_PREVIEW, 50, 40);
  Design({{0, 0}, {1000, 800}, {0, 800}});
  dlg.OnZoom300();  // s = 0.15: the picture is 150 x 120, the frame 50 x 40
  const Box b = PaintedBox(Preview());
  EXPECT_EQ(b.maxX, 49);
  EXPECT_EQ(b.maxY, 39);
  EXPECT_EQ(At(49, 39), kBlack);  // the diagonal runs on through the corner
}

TEST_F(RenderTest, DegenerateDesignsPaintWithoutTrouble) {
  platform.SetFrameSize(IDC_PREVIEW, 300, 330);
  // Zero width: scaled by its height alone, it fills the frame's height.
  Design({{0, 0}, {0, 500}});
  EXPECT_EQ(PaintedBox(Preview()).maxY, 329);
  EXPECT_EQ(PaintedBox(Preview()).maxX, 0);
  // Zero height at 300 %: the extent of the height is 0 as well.
  Design({{0, 0}, {200, 0}});
  dlg.OnZoom300();
  EXPECT_EQ(At(299, 0), kBlack);
  dlg.OnZoom100();
  // No stitch at all: width and height -2000; one unit per pixel, and the
  // line from the corner to the origin leaves only the corner pixel.
  Design({});
  ASSERT_EQ(dlg.m_nWidth, -2000);
  const Box b = PaintedBox(Preview());
  EXPECT_EQ(b.maxX, 0);
  EXPECT_EQ(b.maxY, 0);
  for (int rotation = 1; rotation < 4; ++rotation) dlg.OnRotate();
}

TEST_F(RenderTest, MissingPaletteEntriesGiveTheFallbackColour) {
  dlg.m_brotherPalette[62] = RGB(1, 2, 3);  // slots without an entry
  dlg.m_brotherPalette[63] = RGB(1, 2, 3);
  BrotherBlocks({61, 62, 63, 255});
  EXPECT_EQ(dlg.BlockColor(0), RGB(0xC4, 0xFF, 0x8E));
  EXPECT_EQ(dlg.BlockColor(1), kFallbackColor);
  EXPECT_EQ(dlg.BlockColor(2), kFallbackColor);
  EXPECT_EQ(dlg.BlockColor(3), kFallbackColor);
  dlg.m_blockColor[63] = 5;
  EXPECT_EQ(dlg.BlockColor(63), RGB(0xE8, 0, 0));
  EXPECT_EQ(dlg.BlockColor(64), kFallbackColor);  // past m_blockColor
  EXPECT_EQ(dlg.BlockColor(1000), kFallbackColor);

  dlg.m_bJanomeColors = TRUE;
  BrotherBlocks({79, 76, 80});
  EXPECT_EQ(dlg.BlockColor(0), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(dlg.BlockColor(1), RGB(0xB4, 0xD9, 0xE7));
  EXPECT_EQ(dlg.BlockColor(2), kFallbackColor);

  dlg.m_bFileColors = TRUE;
  dlg.m_fileColors[15] = RGB(9, 8, 7);
  dlg.m_fileColors[5] = RGB(4, 5, 6);
  BrotherBlocks({15, 16});
  EXPECT_EQ(dlg.BlockColor(0), RGB(0, 0, 0));
  EXPECT_EQ(dlg.BlockColor(1), RGB(9, 8, 7));
  EXPECT_EQ(dlg.BlockColor(2), kFallbackColor);
  EXPECT_EQ(dlg.BlockColor(64), RGB(4, 5, 6));  // the 64th change: m_blockColor[63] = 5
  EXPECT_EQ(dlg.BlockColor(65), kFallbackColor);
}

TEST_F(RenderTest, ManyColourBlocksNeverReadPastTheTable) {
  platform.SetFrameSize(IDC_PREVIEW, 100, 100);
  for (auto& c : dlg.m_blockColor) c = 200;
  dlg.m_blockColor[0] = 5;
  dlg.BeginDesign(8);
  dlg.AddStitch(0, 0);
  for (int k = 0; k < 100; ++k) {
    dlg.AddColorChange(static_cast<std::int16_t>(k), 0);
    dlg.AddStitch(static_cast<std::int16_t>(k + 1), 50);
  }
  dlg.EndDesign();
  dlg.PublishDesign({});
  EXPECT_EQ(At(99, 50), ColorRefToRgb(kFallbackColor));
}

TEST_F(RenderTest, ThumbnailBitsAreDrawnLeastSignificantFirst) {
  dlg.m_thumbnail[0] = 0x81;           // row 0, columns 0 and 7
  dlg.m_thumbnail[37 * 6 + 5] = 0x80;  // row 37, column 47
  CDesignPublish pec;
  pec.format = 1;
  pec.hasThumbnail = TRUE;
  Design({{0, 0}}, pec);
  const CPixelBuffer& t = Thumb();
  ASSERT_EQ(t.width, 105);
  ASSERT_EQ(t.height, 100);
  const int x0 = (105 - 96) / 2, y0 = (100 - 76) / 2;
  EXPECT_EQ(t.At(0, 0), kBlack);  // the border
  EXPECT_EQ(t.At(104, 99), kBlack);
  EXPECT_EQ(t.At(1, 1), kWhite);  // the field
  for (int dy = 0; dy < 2; ++dy)
    for (int dx = 0; dx < 2; ++dx) {
      EXPECT_EQ(t.At(x0 + dx, y0 + dy), kBlack);
      EXPECT_EQ(t.At(x0 + 14 + dx, y0 + dy), kBlack);
      EXPECT_EQ(t.At(x0 + 94 + dx, y0 + 74 + dy), kBlack);
    }
  EXPECT_EQ(t.At(x0 + 2, y0), kWhite);
  EXPECT_EQ(t.At(x0 + 12, y0), kWhite);
  EXPECT_EQ(t.At(x0, y0 + 2), kWhite);
  // Border plus 3 squares of 4 pixels.
  EXPECT_EQ(CountRgb(t, kBlack), 2 * 105 + 2 * 98 + 12);

  // A frame smaller than the picture cuts it at its edges.
  platform.SetFrameSize(IDC_THUMBNAIL, 60, 50);
  std::fill(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail), 0xFF);
  Paint();
  EXPECT_EQ(CountRgb(Thumb(), kWhite), 0);
  EXPECT_EQ(Thumb().At(30, 25), kBlack);
}

TEST_F(RenderTest, TheThumbnailGoesWithADesignThatHasNone) {
  CDesignPublish pec;
  pec.hasThumbnail = TRUE;
  dlg.m_thumbnail[0] = 1;
  Design({{0, 0}}, pec);
  Design({{0, 0}, {10, 10}});
  EXPECT_EQ(Thumb().At(1, 1), kDialogFaceRgb);
}

class IconicPlatform : public CHeadlessPlatform {
 public:
  bool IsIconic() override { return true; }
  CRect DialogClientRect() override { return {0, 0, 441, 373}; }
  void EraseIconBackground() override { erased = true; }
  void DrawIcon(int x, int y) override {
    iconX = x;
    iconY = y;
  }
  bool erased = false;
  int iconX = -1, iconY = -1;
};

TEST(RenderIconicTest, MinimisedOnlyTheIconIsDrawn) {
  IconicPlatform platform;
  platform.paintOnRepaint = false;
  CViewerDlg dlg(platform);
  platform.Create(dlg);
  dlg.m_bLoaded = TRUE;
  dlg.m_bHasThumbnail = TRUE;
  CPixelBuffer& preview = platform.ControlPixels(IDC_PREVIEW);
  std::fill(preview.pixels.begin(), preview.pixels.end(), 0x123456u);
  dlg.OnPaint();
  EXPECT_TRUE(platform.erased);
  EXPECT_EQ(platform.iconX, (441 - 32 + 1) / 2);
  EXPECT_EQ(platform.iconY, (373 - 32 + 1) / 2);
  EXPECT_EQ(preview.At(0, 0), 0x123456u);
}
