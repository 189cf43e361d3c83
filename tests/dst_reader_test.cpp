// The DST reader, from byte fixtures: a 512-byte header and 3-byte records.
#include "tests/test_support.h"

namespace {

Bytes Dst(std::initializer_list<std::array<unsigned, 3>> records, bool end = true) {
  ByteBuilder b;
  b.fill(512, ' ');
  for (const auto& r : records) b.bytes({r[0], r[1], r[2]});
  if (end) b.bytes({0x00, 0x00, 0xF3});
  return b;
}

}  // namespace

class DstReaderTest : public ViewerTest {
 protected:
  void Load(const Bytes& bytes) { Read("dst", bytes); }
  Record Last() {
    auto r = Records();
    return r[r.size() - 2];
  }
};

TEST_F(DstReaderTest, EachBitCarriesItsWeightAndDirection) {
  struct Case {
    std::array<unsigned, 3> record;
    int x, y;
  };
  const Case cases[] = {
      {{0x01, 0x00, 0x03}, 1, 0},    {{0x02, 0x00, 0x03}, -1, 0},  {{0x04, 0x00, 0x03}, 9, 0},
      {{0x08, 0x00, 0x03}, -9, 0},   {{0x10, 0x00, 0x03}, 0, 9},   {{0x20, 0x00, 0x03}, 0, -9},
      {{0x40, 0x00, 0x03}, 0, 1},    {{0x80, 0x00, 0x03}, 0, -1},  {{0x00, 0x01, 0x03}, 3, 0},
      {{0x00, 0x02, 0x03}, -3, 0},   {{0x00, 0x04, 0x03}, 27, 0},  {{0x00, 0x08, 0x03}, -27, 0},
      {{0x00, 0x10, 0x03}, 0, 27},   {{0x00, 0x20, 0x03}, 0, -27}, {{0x00, 0x40, 0x03}, 0, 3},
      {{0x00, 0x80, 0x03}, 0, -3},   {{0x00, 0x00, 0x07}, 81, 0},  {{0x00, 0x00, 0x0B}, -81, 0},
      {{0x00, 0x00, 0x13}, 0, 81},   {{0x00, 0x00, 0x23}, 0, -81},
      {{0x03, 0x00, 0x03}, 0, 0},    // both unit bits of X cancel
      {{0x05, 0x05, 0x07}, 121, 0},  {{0xA0, 0xA0, 0x23}, 0, -121},
      {{0x5A, 0x5A, 0x1B}, -121, 121},
  };
  for (const Case& c : cases) {
    Load(Dst({c.record}));
    EXPECT_EQ(Last(), (Record{c.x, c.y, KIND_STITCH}))
        << std::hex << c.record[0] << " " << c.record[1] << " " << c.record[2];
  }
}

TEST_F(DstReaderTest, RecordTypesComeFromTheThirdByte) {
  Load(Dst({{0x01, 0x00, 0x03},
            {0x00, 0x00, 0x83},   // jump without movement: kept as a move
            {0x05, 0x00, 0xC3},   // colour change: movement bits ignored
            {0x01, 0x00, 0x43},   // 0x40 alone: a stitch
            {0x01, 0x00, 0xE3},   // any 0xC0..0xFF but 0xF3: colour change
            {0x01, 0x00, 0xFF},
            {0x04, 0x00, 0x87}}));  // a jump moves like a stitch
  EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN},
                                            {0, 0, KIND_STITCH},
                                            {1, 0, KIND_STITCH},
                                            {1, 0, KIND_MOVE},
                                            {1, 0, KIND_COLOR},
                                            {2, 0, KIND_STITCH},
                                            {2, 0, KIND_COLOR},
                                            {2, 0, KIND_COLOR},
                                            {92, 0, KIND_MOVE},
                                            {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(dlg.m_nStitchCount, 4);
  EXPECT_EQ(dlg.m_nColorCount, 4);
  EXPECT_EQ(dlg.m_nMaxX, 92);
  EXPECT_EQ(dlg.m_nMinX, 1);
}

TEST_F(DstReaderTest, EndCodeStopsDecodingWithoutMoving) {
  ByteBuilder b;
  b.fill(512).bytes({0x01, 0x00, 0x03, 0x12, 0x34, 0xF3, 0x01, 0x00, 0x03});
  Load(b);
  EXPECT_EQ(Records().size(), 4u);
  EXPECT_EQ(dlg.m_nStitchCount, 1);
  EXPECT_EQ(dlg.m_nMaxX, 1);
}

TEST_F(DstReaderTest, FileWithoutEndRecordEndsAtItsLastWholeRecord) {
  Load(Dst({{0x01, 0x00, 0x03}, {0x01, 0x00, 0x03}, {0x01, 0x00, 0x03}}, false));
  auto records = Records();
  ASSERT_EQ(records.size(), 6u);  // n decoded records, end record at n + 2
  EXPECT_EQ(records[5].kind, KIND_END);

  // A cut-off last record (one or two bytes) is dropped.
  for (int extra : {1, 2}) {
    Bytes cut = Dst({{0x01, 0x00, 0x03}}, false);
    cut.insert(cut.end(), static_cast<std::size_t>(extra), 0x05);
    Load(cut);
    EXPECT_EQ(Records().size(), 4u) << extra;
  }
}

TEST_F(DstReaderTest, HeaderOnlyAndTinyFilesGiveTheEmptyDesign) {
  for (std::size_t len : {0u, 1u, 5u, 6u, 100u, 512u}) {
    ViewerTest::Read("dst", Bytes(len, 0x23));
    EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH},
                                              {END_MARK, END_MARK, KIND_END}}))
        << len;
    EXPECT_EQ(dlg.m_nColorCount, 1);
    EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"TAJIMA", "Farben:  1", "Breite:  0.0 mm",
                                                      "H\xC3\xB6he:  0.0 mm", "Stiche: 0"}))
        << len;
  }
}

TEST_F(DstReaderTest, PositionsWrapAtSixteenBits) {
  // 271 moves of +121 reach 32791, which is stored as -32745.
  ByteBuilder b;
  b.fill(512);
  for (int i = 0; i < 271; ++i) b.bytes({0x05, 0x05, 0x07});
  Load(b);
  EXPECT_EQ(Last().x, 32791 - 65536);
  EXPECT_EQ(dlg.m_nMaxX, 121 * 270);
  EXPECT_EQ(dlg.m_nMinX, 32791 - 65536);
}

TEST_F(DstReaderTest, BlockColoursInfoTextsAndFlags) {
  dlg.m_bHasThumbnail = TRUE;
  dlg.m_bFileColors = TRUE;
  Load(Dst({{0x05, 0x05, 0x07}, {0x00, 0x00, 0xC3}, {0xA0, 0xA0, 0x23}, {0x00, 0x00, 0xC3},
            {0x00, 0x00, 0xC3}}));
  EXPECT_EQ(dlg.m_nColorCount, 4);
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 4), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"TAJIMA", "Farben:  4", "Breite:  0.0 mm",
                                                    "H\xC3\xB6he:  12.1 mm", "Stiche: 2"}));
  EXPECT_EQ(dlg.m_nWidth, 0);
  EXPECT_EQ(dlg.m_nHeight, 121);
  EXPECT_EQ(dlg.m_nFormat, 4);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  EXPECT_EQ(dlg.m_bFileColors, FALSE);
  EXPECT_EQ(dlg.m_bLoaded, TRUE);

  // (121, 0), (121, -1), (120, -1): the first stitch is where X starts.
  Load(Dst({{0x05, 0x05, 0x07}, {0x80, 0x00, 0x03}, {0x02, 0x00, 0x03}}));
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  0.1 mm");
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  0.1 mm");
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 3");
}

TEST_F(DstReaderTest, MoreThanSixtyFourBlocksStayInsideTheColourTable) {
  ByteBuilder b;
  b.fill(512);
  for (int i = 0; i < 100; ++i) b.bytes({0x00, 0x00, 0xC3});
  Load(b);
  EXPECT_EQ(dlg.m_nColorCount, 101);
  EXPECT_EQ(dlg.m_blockColor[63], 65);
}

TEST_F(DstReaderTest, KeepsTheRotationOtherReadsReset) {
  dlg.OnRotate();
  dlg.OnRotate();
  Load(Dst({{0x01, 0x00, 0x03}}));
  EXPECT_EQ(dlg.m_nRotation, 2);
}

TEST_F(DstReaderTest, ShorterSecondFileKeepsTheBufferAndStopsAtItsEnd) {
  Load(Dst({{0x01, 0x00, 0x03}, {0x01, 0x00, 0x03}, {0x01, 0x00, 0x03}}, false));
  const std::size_t buffer = dlg.m_fileData.size();
  const std::size_t arrays = dlg.m_arrKind.size();
  // The second file has no end record; the stale records of the first file
  // that still sit in the buffer after it must not be decoded.
  Load(Dst({{0x02, 0x00, 0x03}}, false));
  EXPECT_EQ(dlg.m_fileData.size(), buffer);
  EXPECT_EQ(dlg.m_arrKind.size(), arrays);
  EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH},
                                            {-1, 0, KIND_STITCH}, {END_MARK, END_MARK, KIND_END}}));
}
