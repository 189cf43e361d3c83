// The PEC reader and the PEC section decoder, from byte fixtures.
#include <algorithm>
#include <iterator>

#include "tests/brother_fixture.h"

class PecReaderTest : public ViewerTest {
 protected:
  void Load(const Bytes& bytes) { Read("pec", bytes); }
  void LoadStitches(std::vector<unsigned> stitches) {
    PecSection s;
    s.stitches = std::move(stitches);
    Load(PecFile(s));
  }
  std::vector<Record> Decoded() { return DecodedAfter(2); }
};

TEST_F(PecReaderTest, ShortAndLongFieldsWithTheirSignAndFlags) {
  struct Case {
    std::vector<unsigned> bytes;
    Record record;
  };
  const Case cases[] = {
      {{0x0A, 0x7F}, {10, -1, KIND_STITCH}},
      {{0x3F, 0x40}, {63, -64, KIND_STITCH}},        // short field limits
      {{0x81, 0x00, 0x9F, 0xFF}, {256, -1, KIND_MOVE}},  // 0x10 in Y: a jump
      {{0x87, 0xFF, 0x00}, {2047, 0, KIND_STITCH}},  // long field limits
      {{0x88, 0x00, 0x00}, {-2048, 0, KIND_STITCH}},
      {{0x8F, 0xFF, 0x01}, {-1, 1, KIND_STITCH}},
      {{0xC1, 0x00, 0x00}, {256, 0, KIND_STITCH}},   // bit 6 is no flag
      {{0xA1, 0x00, 0x00}, {256, 0, KIND_MOVE}},     // trim flag in X
      {{0x00, 0xB0, 0x05}, {0, 5, KIND_MOVE}},       // 0xB0 in Y: long field
      {{0xFF, 0x10, 0x00}, {-240, 0, KIND_MOVE}},    // not the end pattern
      {{0xFE, 0x10, 0x00}, {-496, 0, KIND_MOVE}},    // not the colour pattern
      {{0x00, 0xFF, 0x00}, {0, -256, KIND_MOVE}},    // 0xFF 0x00 as Y is no end
      {{0x00, 0xFE, 0xB0}, {0, -336, KIND_MOVE}},    // 0xFE 0xB0 as Y is no colour
  };
  for (const Case& c : cases) {
    std::vector<unsigned> bytes = c.bytes;
    bytes.insert(bytes.end(), {0xFF, 0x00});
    LoadStitches(bytes);
    EXPECT_EQ(Decoded(), std::vector<Record>{c.record}) << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(dlg.m_nStitchCount, 1);
  }
}

TEST_F(PecReaderTest, RunningPositionColourChangesAndEnd) {
  LoadStitches({0xFE, 0xB0, 0x02,  // colour change; third byte skipped
                0x05, 0x05,        // (5, 5)
                0xFE, 0xB0, 0xFF,  // colour change whose third byte looks like an end
                0x90, 0x0A, 0x7E,  // jump (15, 3)
                0x7B, 0x00,        // (10, 3)
                0xFF, 0x00,        // end
                0x05, 0x05});      // after the end: not decoded
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_COLOR},
                                            {5, 5, KIND_STITCH},
                                            {5, 5, KIND_COLOR},
                                            {15, 3, KIND_MOVE},
                                            {10, 3, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 3);
  EXPECT_EQ(dlg.m_nStitchCount, 3);
  EXPECT_EQ(BoundsOf(dlg), (Bounds{5, 15, 3, 5}));
  EXPECT_EQ(dlg.m_nWidth, 10);
  EXPECT_EQ(dlg.m_nHeight, 2);
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 3");

  // End pattern at once: records 0 and 1 and the end record; header texts stay.
  LoadStitches({0xFF, 0x00, 0x05, 0x05});
  EXPECT_EQ(Records().size(), 3u);
  EXPECT_EQ(dlg.m_nStitchCount, 0);
  EXPECT_EQ(dlg.m_nColorCount, 1);
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0");
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  12.3 mm");
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  4.5 mm");
}

TEST_F(PecReaderTest, PositionsWrapAtSixteenBits) {
  std::vector<unsigned> bytes;
  for (int i = 0; i < 17; ++i) bytes.insert(bytes.end(), {0x87, 0xFF, 0x00});  // +2047 each
  bytes.insert(bytes.end(), {0xFF, 0x00});
  LoadStitches(bytes);
  const auto records = Decoded();
  ASSERT_EQ(records.size(), 17u);
  EXPECT_EQ(records.back().x, 17 * 2047 - 65536);
  EXPECT_EQ(dlg.m_nMaxX, 16 * 2047);
  EXPECT_EQ(dlg.m_nMinX, 17 * 2047 - 65536);
}

TEST_F(PecReaderTest, VersionTable) {
  const std::pair<std::string, std::string> table[] = {
      {"01", "PE-DESIGN 1.0"}, {"20", "PE-DESIGN 2.0"}, {"25", "PE-DESIGN 2.5"},
      {"30", "PE-DESIGN 3.0"}, {"40", "PE-DESIGN 4.0"}, {"50", "PE-DESIGN 5.0"},
      {"10", "unbekannt"},     {"02", "unbekannt"},     {"60", "unbekannt"},
      {"21", "unbekannt"},     {"  ", "unbekannt"},
  };
  for (const auto& [digits, text] : table) {
    EXPECT_EQ(CViewerDlg::VersionText(digits[0], digits[1]), text) << digits;
    Load(PecFile(PecSection{}, digits));
    EXPECT_EQ(Info(IDC_INFO_FORMAT), text) << digits;
  }
}

TEST_F(PecReaderTest, HeaderColoursSizesThumbnailAndFlags) {
  dlg.m_nRotation = 3;
  dlg.m_bFileColors = TRUE;
  dlg.m_bJanomeColors = TRUE;
  PecSection s;
  s.colors = {7, 1, 13};
  s.width = 1234;
  s.height = 65535;  // unsigned 16-bit
  s.stitches = {0x0A, 0x0A, 0x0A, 0x00, 0xFF, 0x00};  // (10, 10), (20, 10)
  s.thumbnail[0] = 0x01;    // top-left pixel
  s.thumbnail[5] = 0x80;    // rightmost pixel of the top row
  s.thumbnail[6] = 0x02;    // second row
  s.thumbnail[227] = 0xA5;  // last byte
  Load(PecFile(s));
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  3");
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 3), (std::vector<int>{7, 1, 13}));
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  123.4 mm");       // the header's, not the decoded 1.0 mm
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  6553.5 mm");
  EXPECT_EQ(dlg.m_nWidth, 10);
  EXPECT_EQ(dlg.m_bHasThumbnail, TRUE);
  EXPECT_TRUE(std::equal(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail), s.thumbnail.begin()));
  EXPECT_EQ(dlg.m_nFormat, 1);
  EXPECT_EQ(dlg.m_nRotation, 0);
  EXPECT_EQ(dlg.m_bFileColors, FALSE);
  EXPECT_EQ(dlg.m_bJanomeColors, FALSE);
  EXPECT_EQ(dlg.m_bLoaded, TRUE);
  EXPECT_TRUE(platform.notices.empty());

  // Count byte 0 is one colour; the decoded colour changes do not change the text.
  s.colors = {9};
  s.stitches = {0xFE, 0xB0, 0x00, 0xFE, 0xB0, 0x00, 0xFF, 0x00};
  Load(PecFile(s));
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  1");
  EXPECT_EQ(dlg.m_blockColor[0], 9);
  EXPECT_EQ(dlg.m_nColorCount, 3);
}

TEST_F(PecReaderTest, LongColourListStopsAtTheTable) {
  const auto palette = std::vector<COLORREF>(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette));
  PecSection s;
  s.colors.clear();
  for (unsigned k = 0; k < 256; ++k) s.colors.push_back(k ^ 0x55);
  Load(PecFile(s));
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  256");
  EXPECT_EQ(dlg.m_blockColor[63], 63 ^ 0x55);
  EXPECT_EQ(std::vector<COLORREF>(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette)), palette);
}

TEST_F(PecReaderTest, TruncatedFilesStopInsideTheirData) {
  PecSection s;
  s.stitches = {0x0A, 0x0A, 0x81, 0x00, 0x82, 0x00, 0xFF, 0x00};
  const Bytes full = PecFile(s);
  const std::size_t data = 540;

  // Cuts inside the long movement drop it; the first stitch stays.
  for (std::size_t extra : {3u, 4u, 5u}) {
    Load(Bytes(full.begin(), full.begin() + static_cast<long>(data + extra)));
    EXPECT_EQ(Decoded(), (std::vector<Record>{{10, 10, KIND_STITCH}})) << extra;
    EXPECT_EQ(dlg.m_bHasThumbnail, FALSE) << extra;  // the picture lay behind the stitches
    EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  12.3 mm");
  }
  // Without the end record the design ends after the last whole movement.
  Load(Bytes(full.begin(), full.begin() + static_cast<long>(data + 6)));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{10, 10, KIND_STITCH}, {266, 522, KIND_STITCH}}));
  // A lone 0xFF or 0xFE at the end is a cut-off long field.
  for (unsigned last : {0xFFu, 0xFEu}) {
    Bytes cut(full.begin(), full.begin() + static_cast<long>(data + 2));
    cut.push_back(static_cast<std::uint8_t>(last));
    Load(cut);
    EXPECT_EQ(Decoded().size(), 1u);
  }

  // A colour change needs only its two pattern bytes; the skipped third may be cut off.
  Bytes colour(full.begin(), full.begin() + static_cast<long>(data + 2));
  colour.push_back(0xFE);
  colour.push_back(0xB0);
  Load(colour);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{10, 10, KIND_STITCH}, {10, 10, KIND_COLOR}}));

  // Headers cut anywhere: nothing outside the file is shown.
  for (std::size_t len : {0u, 5u, 7u, 8u, 56u, 57u, 521u, 529u, 531u, 539u}) {
    Load(Bytes(full.begin(), full.begin() + static_cast<long>(len)));
    EXPECT_EQ(Records().size(), 3u) << len;
    EXPECT_EQ(dlg.m_bHasThumbnail, FALSE) << len;
    EXPECT_EQ(Info(IDC_INFO_FORMAT).empty(), len < 8) << len;
    EXPECT_EQ(Info(IDC_INFO_COLORS).empty(), len <= 56) << len;
    EXPECT_EQ(Info(IDC_INFO_WIDTH).empty(), len < 530) << len;
    EXPECT_EQ(Info(IDC_INFO_HEIGHT).empty(), len < 532) << len;
    EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0") << len;
    EXPECT_EQ(dlg.m_bLoaded, TRUE);
  }

  // A thumbnail offset pointing anywhere, even past 16-bit, is only taken
  // when all 228 bytes lie inside the file.
  Bytes far = full;
  far[522] = 0xFF;
  far[523] = 0xFF;
  far[524] = 0xFF;
  Load(far);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  Bytes last = full;
  last.pop_back();
  Load(last);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  Load(full);
  EXPECT_EQ(dlg.m_bHasThumbnail, TRUE);
}

TEST_F(PecReaderTest, StaleBytesAfterAShorterFileAreNotDecoded) {
  PecSection s;
  s.stitches = {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF, 0x00};
  const Bytes full = PecFile(s);
  Load(full);
  const std::size_t arrays = dlg.m_arrKind.size();
  Load(Bytes(full.begin(), full.begin() + 542));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, 1, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_arrKind.size(), arrays);
}
