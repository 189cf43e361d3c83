// The SEW reader, from byte fixtures: a colour list at the start, stitch
// data from offset 7544 on.
#include <algorithm>
#include <iterator>

#include "tests/test_support.h"

namespace {

constexpr std::size_t kStitchData = 7544;

// A header with the given colour list, then the stitch data bytes.
Bytes Sew(std::initializer_list<unsigned> data, std::initializer_list<unsigned> colors = {}) {
  ByteBuilder b;
  b.u8(static_cast<unsigned>(colors.size())).u8(0xEE);
  for (unsigned c : colors) b.u16le(0xAB00 | c);  // only the low byte is the index
  b.padTo(kStitchData, 0x77);
  b.bytes(data);
  return b;
}

}  // namespace

class SewReaderTest : public ViewerTest {
 protected:
  void Load(const Bytes& bytes) { Read("sew", bytes); }
  std::vector<Record> Decoded() { return DecodedAfter(2); }
  // A fresh buffer of exactly the file's length, so that a read past it is a
  // sanitizer finding.
  void LoadExact(const Bytes& bytes) {
    dlg.m_fileData = bytes;
    dlg.ReadSew(static_cast<int>(bytes.size()));
  }
};

TEST_F(SewReaderTest, StitchesMoveByTheirDisplacementsWithYTurnedOver) {
  Load(Sew({0x05, 0xFB, 0x80, 0x10}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{5, 5, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nStitchCount, 1);
  EXPECT_EQ(BoundsOf(dlg), (Bounds{5, 5, 5, 5}));
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  0.0 mm");
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  0.0 mm");

  // 0x80 in a displacement is +128; 0x81 is -127, 0x7F +127, 0xFF -1.
  Load(Sew({0x01, 0x80, 0x7F, 0x81, 0xFF, 0xFF, 0x81, 0x7F, 0x80, 0x02, 0x80, 0x80, 0x80, 0x10}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -128, KIND_STITCH},
                                            {128, -1, KIND_STITCH},
                                            {127, 0, KIND_STITCH},
                                            {0, -127, KIND_STITCH},
                                            {128, -255, KIND_MOVE}}));
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  12.8 mm");
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  25.5 mm");
}

TEST_F(SewReaderTest, ControlCodesAndTheirLengths) {
  // A colour change takes two bytes: the two zero bytes after it are a
  // stitch without movement.
  Load(Sew({0x80, 0x01, 0x00, 0x00, 0x0A, 0x00, 0x80, 0x10}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_COLOR}, {0, 0, KIND_STITCH}, {10, 0, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 2);
  EXPECT_EQ(dlg.m_nStitchCount, 2);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  2");

  // Moves take four bytes, are their own kind and count like stitches.
  Load(Sew({0x80, 0x02, 0x90, 0x10, 0x80, 0x10}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{-112, -16, KIND_MOVE}}));
  EXPECT_EQ(dlg.m_nStitchCount, 1);
  EXPECT_EQ(BoundsOf(dlg), (Bounds{-112, -112, -16, -16}));

  // 0x05 is a colour change and 0x04 a move as well; every other code skips
  // four bytes, whatever they hold.
  Load(Sew({0x03, 0x04, 0x80, 0x05, 0x80, 0x04, 0x01, 0x01, 0x80, 0x07, 0x11, 0x22, 0x05, 0x00,
            0x80, 0x00, 0x80, 0x02, 0x80, 0x03, 0x80, 0x01, 0x80, 0x80, 0x80, 0x10,
            0x80, 0xFF, 0x05, 0x05, 0x01, 0x00}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{3, -4, KIND_STITCH},
                                            {3, -4, KIND_COLOR},
                                            {4, -5, KIND_MOVE},
                                            {9, -5, KIND_STITCH},
                                            {10, -5, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 2);
  EXPECT_EQ(dlg.m_nStitchCount, 4);

  // The end code stops decoding.
  Load(Sew({0x01, 0x01, 0x80, 0x10, 0x05, 0x05, 0x80, 0x01}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -1, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 1);
}

TEST_F(SewReaderTest, ColourListFillsTheBlockTableAndNotTheCount) {
  Load(Sew({0x80, 0x01, 0x80, 0x10}, {12, 40, 7}));
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 3), (std::vector<int>{12, 40, 7}));
  EXPECT_EQ(dlg.m_nColorCount, 2);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  2");

  // Blocks past a shorter list take index 0, not the colours of the file
  // read before.
  Load(Sew({0x80, 0x01, 0x80, 0x01}, {1}));
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 3), (std::vector<int>{1, 0, 0}));

  // More than 64 colours fill the table and nothing after it.
  ByteBuilder many;
  many.u8(200).u8(0);
  for (unsigned k = 0; k < 200; ++k) many.u16le(k % 80);
  many.padTo(kStitchData).bytes({0x01, 0x01});
  const std::vector<COLORREF> palette(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette));
  Load(many);
  EXPECT_EQ(dlg.m_blockColor[63], 63);
  EXPECT_EQ(std::vector<COLORREF>(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette)),
            palette);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -1, KIND_STITCH}}));
}

TEST_F(SewReaderTest, ShortFilesGiveTheEmptyDesign) {
  const Bytes header = Sew({}, {9, 8, 7, 6});
  for (std::size_t len : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{100},
                          kStitchData - 1, kStitchData, kStitchData + 1}) {
    std::fill(std::begin(dlg.m_blockColor), std::end(dlg.m_blockColor), 0xCC);
    Bytes file(header.begin(), header.begin() + static_cast<long>(std::min(len, header.size())));
    file.resize(len, 0x01);
    LoadExact(file);
    const std::string what = "length " + std::to_string(len);
    EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH},
                                              {END_MARK, END_MARK, KIND_END}}))
        << what;
    EXPECT_EQ(dlg.m_nStitchCount, 0) << what;
    EXPECT_EQ(dlg.m_nColorCount, 1) << what;
    EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  0.0 mm") << what;
    EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  0.0 mm") << what;
    EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0") << what;
    // Colour slots past the file's end read as 0, and so do blocks past the list.
    const std::vector<int> expected = {len > 2 ? 9 : 0, len > 4 ? 8 : 0, len > 6 ? 7 : 0,
                                       len > 8 ? 6 : 0, 0};
    EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 5), expected) << what;
  }
}

TEST_F(SewReaderTest, RecordsCutOffByTheEndAreDropped) {
  // A stitch without its second byte.
  LoadExact(Sew({0x01, 0x02, 0x03}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -2, KIND_STITCH}}));
  // A control code without its second byte.
  LoadExact(Sew({0x01, 0x02, 0x80}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -2, KIND_STITCH}}));
  // A move with one or both displacement bytes missing.
  LoadExact(Sew({0x01, 0x02, 0x80, 0x02, 0x05}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -2, KIND_STITCH}}));
  LoadExact(Sew({0x01, 0x02, 0x80, 0x04}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -2, KIND_STITCH}}));
  // A skipped code whose bytes run past the end, and a colour change as the
  // last two bytes: no end code is needed.
  LoadExact(Sew({0x01, 0x02, 0x80, 0x09, 0x05}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -2, KIND_STITCH}}));
  LoadExact(Sew({0x01, 0x02, 0x80, 0x01}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -2, KIND_STITCH}, {1, -2, KIND_COLOR}}));
}

TEST_F(SewReaderTest, PositionsWrapAtSixteenBits) {
  // 256 moves of +128 reach 32768, which is stored as -32768.
  Bytes file = Sew({});
  for (int i = 0; i < 256; ++i) file.insert(file.end(), {0x80, 0x02, 0x80, 0x00});
  Load(file);
  const auto records = Decoded();
  ASSERT_EQ(records.size(), 256u);
  EXPECT_EQ(records.back(), (Record{-32768, 0, KIND_MOVE}));
  EXPECT_EQ(dlg.m_nMaxX, 128 * 255);
  EXPECT_EQ(dlg.m_nMinX, -32768);
}

TEST_F(SewReaderTest, FlagsAndTexts) {
  dlg.m_bHasThumbnail = TRUE;
  dlg.m_bFileColors = TRUE;
  dlg.m_fileColors[3] = 0x123456;
  dlg.OnRotate();
  Load(Sew({0x14, 0x0A, 0x80, 0x01, 0x80, 0x04, 0x00, 0xD8, 0x80, 0x05, 0x80, 0x10}, {5, 6, 7}));
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"JANOME-SEW", "Farben:  3", "Breite:  0.0 mm",
                                                    "H\xC3\xB6he:  4.0 mm", "Stiche: 2"}));
  EXPECT_EQ(dlg.m_nFormat, 8);
  EXPECT_EQ(dlg.m_bJanomeColors, TRUE);
  EXPECT_EQ(dlg.m_bFileColors, FALSE);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  EXPECT_EQ(dlg.m_nRotation, 0);
  EXPECT_EQ(dlg.m_bLoaded, TRUE);
  EXPECT_EQ(dlg.m_fileColors[3], 0x123456u);
}

TEST_F(SewReaderTest, ShorterSecondFileStopsAtItsOwnEnd) {
  Load(Sew({0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00}));
  const std::size_t buffer = dlg.m_fileData.size();
  Load(Sew({0x7F, 0x00}));
  EXPECT_EQ(dlg.m_fileData.size(), buffer);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{127, 0, KIND_STITCH}}));
}
