// The PCS writer: units, hoop and centring, colour tables by source format,
// the records, and the colour and stitch-count rules.
#include "export/pcs_writer.h"
#include "tests/test_support.h"

namespace {

std::int32_t S32(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                   static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Record j of a written file (the front colour record included).
struct PcsRecord {
  std::int32_t x, y;
  int type, index;
};
PcsRecord RecordAt(const Bytes& b, int j) {
  const std::size_t at = 70 + 9 * static_cast<std::size_t>(j);
  return {S32(b, at), S32(b, at + 4), b[at + 8], b[at]};
}

Bytes Entry(const Bytes& b, int e) { return Bytes(b.begin() + 4 + 4 * e, b.begin() + 8 + 4 * e); }

}  // namespace

class PcsWriterTest : public ViewerTest {
 protected:
  void Design(std::initializer_list<Record> records, int format = 4) {
    LoadDesign(records, format);
  }
  Bytes Save() {
    const std::string path = (dir.path() / "out.pcs").string();
    std::filesystem::remove(path);
    platform.saveAnswers.push_back({true, path});
    dlg.OnSavePcs();
    platform.saveAnswers.clear();
    return std::filesystem::exists(path) ? ReadFileBytes(path) : Bytes{};
  }
  TempDir dir;
};

TEST_F(PcsWriterTest, UnitsRoundToSixthsOfAMillimetre) {
  const std::pair<int, std::int32_t> cases[] = {
      {0, 0},          {1, 0x100},        {2, 0x100},        {3, 0x200},  {100, 0x3C00},
      {450, 0x10E00},  {800, 0x1E000},    {1150, 0x2B200},   {-1, -0x100}, {-2, -0x200},
      {-100, -0x3C00}, {-5, -0x300},  // -3.0 exactly
  };
  for (const auto& [d, v] : cases) EXPECT_EQ(PcsUnits(d), v) << d;
}

TEST_F(PcsWriterTest, HoopChoiceAndCentring) {
  // The first stitch at the origin is the design's top-left corner.
  struct Case {
    int w, h, hoop, offX, offY;
  };
  for (const Case& c : {Case{800, 600, 2, 0, 100}, Case{801, 600, 3, 174, 275},
                        Case{1150, 600, 3, 0, 275}, Case{1151, 600, 3, 0, 0}}) {
    Design({{0, 0, KIND_STITCH}, {c.w, c.h, KIND_STITCH}});
    const Bytes file = Save();
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file[1], c.hoop) << c.w;
    EXPECT_EQ(RecordAt(file, 1).x, PcsUnits(c.offX)) << c.w;
    EXPECT_EQ(RecordAt(file, 1).y, PcsUnits(c.h + c.offY)) << c.w;
  }
  // 600 x 500 in the 80 mm square: left edge 60, top 390, bottom 90 (1/6 mm).
  Design({{0, 0, KIND_STITCH}, {600, 500, KIND_STITCH}});
  const Bytes file = Save();
  EXPECT_EQ(RecordAt(file, 1).x, 60 * 256);
  EXPECT_EQ(RecordAt(file, 1).y, 390 * 256);
  EXPECT_EQ(RecordAt(file, 2).y, 90 * 256);
}

TEST_F(PcsWriterTest, LayoutFrontColourRecordAndMoves) {
  dlg.m_strLoadedName = "Blume.PES";
  Design({{10, 0, KIND_STITCH}, {10, 0, KIND_COLOR}, {40, 0, KIND_MOVE}, {40, 6, KIND_STITCH}});
  const Bytes file = Save();
  EXPECT_EQ(platform.saveRequests.back().defaultName, "Blume");
  EXPECT_EQ(platform.saveRequests.back().defaultExt, "PCS");
  EXPECT_EQ(platform.saveRequests.back().filter, "Pfaff-Home (*.pcs)|*.pcs");
  ASSERT_EQ(file.size(), 70u + 9 * 6 + 13 + 18);
  EXPECT_EQ(file[0], 0x32);
  EXPECT_EQ(file[2] | file[3] << 8, 16);
  EXPECT_EQ(file[68] | file[69] << 8, 4);  // colour records not counted, the move is
  EXPECT_EQ(RecordAt(file, 0).type, 0x03);
  EXPECT_EQ(RecordAt(file, 0).index, 0);
  EXPECT_EQ(RecordAt(file, 3).type, 0x03);
  EXPECT_EQ(RecordAt(file, 3).index, 1);
  // The first stitch lies away from the origin: a move there comes first.
  EXPECT_EQ(RecordAt(file, 1).type, 0x04);
  EXPECT_EQ(RecordAt(file, 2).type, 0x00);
  EXPECT_EQ(RecordAt(file, 2).x, RecordAt(file, 1).x);
  EXPECT_EQ(RecordAt(file, 4).type, 0x04);  // the move, at its position
  EXPECT_EQ(RecordAt(file, 4).x - RecordAt(file, 1).x, 18 * 256);
  // 6 tenths down: Y 403 -> 242 and 397 -> 238 sixths, rounded at each end.
  EXPECT_EQ(RecordAt(file, 5).y - RecordAt(file, 4).y, -4 * 256);
  EXPECT_EQ(Bytes(file.end() - 31, file.end() - 18), Bytes(13, 0));
  EXPECT_EQ(std::string(file.end() - 18, file.end()), std::string("NADELWERK 1.0.5\r\n\0", 18));
}

TEST_F(PcsWriterTest, MovesReadBackAsMovesAndStitchesAsStitches) {
  // Positions in whole halves of a millimetre survive the 1/6 mm units.
  Design({{0, 0, KIND_MOVE}, {30, 0, KIND_STITCH}, {30, 0, KIND_COLOR}, {330, 120, KIND_MOVE},
          {335, 125, KIND_STITCH}});
  const Bytes file = Save();
  EXPECT_EQ(file[68] | file[69] << 8, 4);  // two moves, two stitches
  Read("pcs", file);
  EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN},
                                            {0, 0, KIND_COLOR},  // the one put in front
                                            {0, 0, KIND_MOVE},
                                            {30, 0, KIND_STITCH},
                                            {30, 0, KIND_COLOR},
                                            {330, 120, KIND_MOVE},
                                            {335, 125, KIND_STITCH},
                                            {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(dlg.m_nStitchCount, 4);
}

TEST_F(PcsWriterTest, ColourTablesBySourceFormat) {
  // Brother: entry k takes the thread colour of block k; unassigned or
  // out-of-table indices are black.
  const COLORREF five = dlg.m_brotherPalette[5], nine = dlg.m_brotherPalette[9];
  ASSERT_NE(five, nine);
  Design({{1, 1, 1}, {1, 1, KIND_COLOR}, {2, 2, 1}, {2, 2, KIND_COLOR}, {3, 3, 1}, {3, 3, KIND_COLOR},
          {4, 4, 1}},
         1);
  const std::uint8_t brother[] = {5, 62, 9, 200};
  std::copy(std::begin(brother), std::end(brother), dlg.m_blockColor);
  Bytes file = Save();
  const auto rgb = [](COLORREF c) {
    return Bytes{static_cast<std::uint8_t>(GetRValue(c)), static_cast<std::uint8_t>(GetGValue(c)),
                 static_cast<std::uint8_t>(GetBValue(c)), 0};
  };
  EXPECT_EQ(Entry(file, 0), rgb(five));
  EXPECT_EQ(Entry(file, 1), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Entry(file, 2), rgb(nine));
  EXPECT_EQ(Entry(file, 3), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Entry(file, 4), (Bytes{0, 255, 255, 0}));  // defaults beyond the blocks
  EXPECT_EQ(Entry(file, 15), (Bytes{255, 255, 255, 0}));
  EXPECT_EQ(RecordAt(file, 5).index, 2);

  // DST: the defaults, whatever the block table holds.
  dlg.m_nFormat = 4;
  file = Save();
  EXPECT_EQ(Entry(file, 0), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Entry(file, 3), (Bytes{0, 128, 128, 0}));
  EXPECT_EQ(RecordAt(file, 3).index, 1);

  // PCS: its own table and indices, no added record; indices of blocks past
  // the 64-entry table fall back to 0.
  for (int e = 0; e < 16; ++e) dlg.m_fileColors[e] = RGB(e, 2 * e, 3 * e);
  dlg.m_bFileColors = TRUE;
  Design({{0, 0, KIND_COLOR}, {5, 5, KIND_STITCH}}, 2);
  for (int i = 0; i < 65; ++i) dlg.AddColorChange(5, 5);
  dlg.AddStitch(6, 6);
  dlg.EndDesign();
  std::fill(std::begin(dlg.m_blockColor), std::end(dlg.m_blockColor), 7);
  dlg.m_blockColor[0] = 3;
  file = Save();
  EXPECT_EQ(Entry(file, 11), (Bytes{11, 22, 33, 0}));
  EXPECT_EQ(RecordAt(file, 0).type, 0x03);  // the design's own colour record comes first
  EXPECT_EQ(RecordAt(file, 0).index, 3);
  EXPECT_EQ(RecordAt(file, 1).type, 0x04);  // the move to the first stitch
  EXPECT_EQ(RecordAt(file, 3).index, 7);
  EXPECT_EQ(RecordAt(file, 65).index, 7);   // block 63
  EXPECT_EQ(RecordAt(file, 66).index, 0);   // block 64: past the table
}

TEST_F(PcsWriterTest, ColourStitchAndCountRules) {
  auto designWithColors = [&](int colors, int format) {
    Design({{1, 1, KIND_STITCH}}, format);
    for (int i = 1; i < colors; ++i) dlg.AddColorChange(1, 1);
    dlg.EndDesign();
  };
  const std::string tooManyColors = "Mehr als 16 Farben, Konvertierung abgebrochen";
  designWithColors(16, 4);
  EXPECT_FALSE(Save().empty());
  designWithColors(17, 4);
  EXPECT_TRUE(Save().empty());
  EXPECT_EQ(platform.messages.back(), tooManyColors);
  const std::size_t asked = platform.saveRequests.size();
  designWithColors(40, 2);  // a PCS design is never refused for its colours
  EXPECT_FALSE(Save().empty());
  EXPECT_EQ(platform.saveRequests.size(), asked + 1);

  platform.messages.clear();
  dlg.m_nStitchCount = 14000;
  EXPECT_FALSE(Save().empty());
  EXPECT_TRUE(platform.messages.empty());
  dlg.m_nStitchCount = 14001;
  EXPECT_FALSE(Save().empty());
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Warnung: Mehr als 14000 Stiche "});

  // 65535 stitch records fit the count field; one more is refused.
  Design({});
  for (int i = 1; i < 65535; ++i) dlg.AddStitch(static_cast<std::int16_t>(i % 7), 0);
  dlg.EndDesign();
  Bytes file = Save();
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file[68] | file[69] << 8, 65535);
  dlg.AddStitch(3, 3);
  dlg.EndDesign();
  platform.messages.clear();
  EXPECT_TRUE(Save().empty());
  EXPECT_EQ(platform.messages.back(), "Mehr als 65535 Stiche, Konvertierung abgebrochen");
}
