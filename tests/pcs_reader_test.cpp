// The PCS reader, from byte fixtures: a 70-byte header with the 16-colour
// table and the stitch count, then 9-byte records of absolute positions.
#include <algorithm>
#include <iterator>

#include "tests/test_support.h"

namespace {

constexpr unsigned kUnit = 256;     // one 1/6 mm step in the file's X and Y
constexpr unsigned kColor = 0x03;   // byte 8 of a colour-change record

struct PcsRecord {
  std::int32_t x;
  std::int32_t y;
  unsigned type;  // byte 8
};

PcsRecord Stitch(std::int32_t x, std::int32_t y, unsigned type = 0) { return {x, y, type}; }
// A colour change; bytes 1..7 are filled with noise the reader must ignore.
PcsRecord ColorChange(unsigned index) {
  return {static_cast<std::int32_t>(0x5A5A5A00u | index), 0x12345678, kColor};
}

Bytes Pcs(unsigned stitchCount, std::initializer_list<PcsRecord> records) {
  ByteBuilder b;
  b.u8(2).u8(3).u16le(16);                      // version, hoop, colour count
  for (unsigned i = 0; i < 16; ++i)             // red, green, blue, 0
    b.bytes({0x10 + i, 0x20 + i, 0x30 + i, 0});
  b.u16le(stitchCount);
  for (const PcsRecord& r : records) b.s32le(r.x).s32le(r.y).u8(r.type);
  return b;
}

}  // namespace

class PcsReaderTest : public ViewerTest {
 protected:
  void Load(const Bytes& bytes) { Read("pcs", bytes); }
  std::vector<Record> Decoded() { return DecodedAfter(1); }
  void ExpectEmptyDesign(const std::string& what) {
    EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN}, {END_MARK, END_MARK, KIND_END}}))
        << what;
    EXPECT_EQ(dlg.m_nStitchCount, 0) << what;
    EXPECT_EQ(dlg.m_nColorCount, 1) << what;
    EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  0") << what;
    EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  0.0 mm") << what;
    EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  0.0 mm") << what;
    EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0") << what;
  }
};

TEST_F(PcsReaderTest, PositionsAreRelativeToTheFirstStitchInTruncatedTenths) {
  // The first stitch sits anywhere in the hoop, with a fraction byte.
  const std::int32_t x0 = 16 * kUnit + 0x40, y0 = -300 * kUnit + 0x10;
  Load(Pcs(9, {Stitch(x0, y0),
               Stitch(x0 + 6 * kUnit, y0),       // 1 mm right
               Stitch(x0 + kUnit, y0),           // 10 * 256 / 1536 = 1.67
               Stitch(x0 - kUnit, y0),           // truncates towards zero
               Stitch(x0, y0 + 6 * kUnit),       // 1 mm up becomes -10
               Stitch(x0, y0 - kUnit),           // -(-1)
               Stitch(x0 + 153, y0 - 153),       // 1530 / 1536 is still 0
               Stitch(x0 + 154, y0 + 154),       // 1540 / 1536 = 1
               Stitch(x0 + 600 * kUnit, y0 - 600 * kUnit)}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_STITCH},
                                            {10, 0, KIND_STITCH},
                                            {1, 0, KIND_STITCH},
                                            {-1, 0, KIND_STITCH},
                                            {0, -10, KIND_STITCH},
                                            {0, 1, KIND_STITCH},
                                            {0, 0, KIND_STITCH},
                                            {1, -1, KIND_STITCH},
                                            {1000, 1000, KIND_STITCH}}));
  EXPECT_EQ(BoundsOf(dlg), (Bounds{-1, 1000, -10, 1000}));
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  100.1 mm");
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  101.0 mm");

  // The whole parts 16 and 22 of the raw bytes 00 10 00 00 and 00 16 00 00.
  ByteBuilder raw;
  raw.bytes({0x00, 0x10, 0x00, 0x00, 0, 0, 0, 0, 0x00});
  raw.bytes({0x00, 0x16, 0x00, 0x00, 0, 0, 0, 0, 0x00});
  Bytes file = Pcs(2, {});
  file.insert(file.end(), raw.data().begin(), raw.data().end());
  Load(file);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_STITCH}, {10, 0, KIND_STITCH}}));
}

TEST_F(PcsReaderTest, DifferencesWrapAtThirtyTwoBitsWithoutOverflow) {
  // INT32_MAX - INT32_MIN wraps to -1, and -10 / 1536 truncates to 0.
  // (2^28 + 15360) * 10 wraps to -1610459136; / 1536 gives -1048476, whose
  // low 16 bits are 100. In Y the same difference downwards gives +1048476,
  // turned over to -1048476: again 100.
  const std::int32_t d = (1 << 28) + 15360;
  Load(Pcs(3, {Stitch(INT32_MIN, 0), Stitch(INT32_MAX, 0), Stitch(INT32_MIN + d, -d)}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_STITCH}, {0, 0, KIND_STITCH},
                                            {100, 100, KIND_STITCH}}));
}

TEST_F(PcsReaderTest, ColourChangesAndTheStitchCountLimit) {
  const std::int32_t u = kUnit * 6;  // 1 mm
  const auto records = {ColorChange(3), Stitch(0, 0), Stitch(u, 0), Stitch(u, u),
                        ColorChange(7), Stitch(2 * u, u), Stitch(2 * u, 2 * u)};
  Load(Pcs(5, records));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_COLOR},
                                            {0, 0, KIND_STITCH},
                                            {10, 0, KIND_STITCH},
                                            {10, -10, KIND_STITCH},
                                            {10, -10, KIND_COLOR},  // at the stitch before it
                                            {20, -10, KIND_STITCH},
                                            {20, -20, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_blockColor[0], 3);
  EXPECT_EQ(dlg.m_blockColor[1], 7);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  2");
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 5");
  EXPECT_EQ(dlg.m_nColorCount, 3);
  EXPECT_EQ(dlg.m_nStitchCount, 5);

  // Three stitches: decoding stops before the second colour change.
  Load(Pcs(3, records));
  EXPECT_EQ(Records().size(), 6u);
  EXPECT_EQ(Records()[5].kind, KIND_END);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  1");
  EXPECT_EQ(dlg.m_nColorCount, 2);
  EXPECT_EQ(dlg.m_nStitchCount, 3);

  // A count larger than the file: every record is decoded.
  Load(Pcs(60000, records));
  EXPECT_EQ(Decoded().size(), 7u);
  EXPECT_EQ(dlg.m_nStitchCount, 5);

  // A count of 0 decodes nothing, not even a leading colour change.
  Load(Pcs(0, records));
  ExpectEmptyDesign("count 0");
}

TEST_F(PcsReaderTest, ColourChangesBeforeTheFirstStitchLieAtTheOrigin) {
  // The first stitch is far from the file's origin; it still becomes (0, 0).
  Load(Pcs(2, {ColorChange(1), ColorChange(2), Stitch(5000 * kUnit, -5000 * kUnit),
               Stitch(5006 * kUnit, -5000 * kUnit)}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_COLOR},
                                            {0, 0, KIND_COLOR},
                                            {0, 0, KIND_STITCH},
                                            {10, 0, KIND_STITCH}}));
  // Colour changes do not widen the bounds.
  EXPECT_EQ(BoundsOf(dlg), (Bounds{0, 10, 0, 0}));

  // Without any stitch no origin is taken.
  Load(Pcs(4, {ColorChange(1), ColorChange(2)}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_COLOR}, {0, 0, KIND_COLOR}}));
  EXPECT_EQ(dlg.m_nStitchCount, 0);
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  0.0 mm");
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  2");
}

TEST_F(PcsReaderTest, ByteEightMakesAColourChangeAMoveOrAStitch) {
  // 0x03 a colour change, 0x04 a move, every other value a stitch. A move
  // takes the origin when it comes first, widens the bounds and counts
  // against the header's number like a stitch.
  const std::int32_t mm = 6 * kUnit;
  Load(Pcs(7, {Stitch(5 * mm, 0, 0x04), Stitch(6 * mm, 0, 0x00), Stitch(7 * mm, 0, 0x01),
               Stitch(99 * mm, 0, 0x03),  // colour index = low byte of X, 0
               Stitch(-5 * mm, 2 * mm, 0x04), Stitch(8 * mm, 0, 0x02), Stitch(9 * mm, 0, 0x83),
               Stitch(10 * mm, 0, 0xFF),
               Stitch(11 * mm, 0, 0x04)}));  // past the header's seven
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_MOVE},
                                            {10, 0, KIND_STITCH},
                                            {20, 0, KIND_STITCH},
                                            {20, 0, KIND_COLOR},
                                            {-100, -20, KIND_MOVE},
                                            {30, 0, KIND_STITCH},
                                            {40, 0, KIND_STITCH},
                                            {50, 0, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_blockColor[0], 0);
  EXPECT_EQ(dlg.m_nColorCount, 2);
  EXPECT_EQ(dlg.m_nStitchCount, 7);
  EXPECT_EQ(BoundsOf(dlg), (Bounds{-100, 50, -20, 0}));
  EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite:  15.0 mm");
  EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he:  2.0 mm");
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 7");
}

TEST_F(PcsReaderTest, FileColoursFlagsAndTexts) {
  dlg.m_bHasThumbnail = TRUE;
  dlg.m_bJanomeColors = TRUE;
  dlg.OnRotate();
  Load(Pcs(2, {ColorChange(15), Stitch(0, 0), Stitch(-3 * 6 * kUnit, 25 * 6 * kUnit)}));
  for (unsigned i = 0; i < 16; ++i)
    EXPECT_EQ(dlg.m_fileColors[i], RGB(0x10 + i, 0x20 + i, 0x30 + i)) << i;
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"PFAFF-PCS", "Farben:  1", "Breite:  3.0 mm",
                                                    "H\xC3\xB6he:  25.0 mm", "Stiche: 2"}));
  EXPECT_EQ(dlg.m_nFormat, 2);
  EXPECT_EQ(dlg.m_bFileColors, TRUE);
  EXPECT_EQ(dlg.m_bJanomeColors, FALSE);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  EXPECT_EQ(dlg.m_nRotation, 0);
  EXPECT_EQ(dlg.m_bLoaded, TRUE);
}

TEST_F(PcsReaderTest, ShortFilesTakeMissingHeaderFieldsAsZero) {
  const Bytes full = Pcs(1, {Stitch(0, 0)});
  for (std::size_t len : {0u, 1u, 7u, 8u, 12u, 67u, 68u, 69u, 70u}) {
    std::fill(std::begin(dlg.m_fileColors), std::end(dlg.m_fileColors), 0xDEADBEEF);
    // A fresh buffer of exactly len bytes: a read past it is a sanitizer finding.
    dlg.m_fileData.assign(full.begin(), full.begin() + static_cast<long>(len));
    dlg.ReadPcs(static_cast<int>(len));
    ExpectEmptyDesign("length " + std::to_string(len));
    for (std::size_t i = 0; i < 16; ++i) {
      const bool inside = 4 + 4 * i + 4 <= len;
      EXPECT_EQ(dlg.m_fileColors[i], inside ? RGB(0x10 + i, 0x20 + i, 0x30 + i) : 0u)
          << len << " entry " << i;
    }
  }
}

TEST_F(PcsReaderTest, CutOffLastRecordIsDropped) {
  const Bytes whole = Pcs(3, {Stitch(0, 0), Stitch(6 * kUnit, 0), Stitch(12 * kUnit, 0)});
  for (std::size_t missing = 1; missing < 9; ++missing) {
    Bytes cut(whole.begin(), whole.end() - static_cast<long>(missing));
    dlg.m_fileData = cut;
    dlg.ReadPcs(static_cast<int>(cut.size()));
    EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_STITCH}, {10, 0, KIND_STITCH}})) << missing;
  }
}

TEST_F(PcsReaderTest, MoreThanSixtyFourColourChangesStayInsideTheTable) {
  std::vector<PcsRecord> records;
  for (unsigned i = 0; i < 100; ++i) records.push_back(ColorChange(i % 16));
  records.push_back(Stitch(0, 0));
  Bytes file = Pcs(1, {});
  for (const PcsRecord& r : records) {
    ByteBuilder b;
    b.s32le(r.x).s32le(r.y).u8(r.type);
    file.insert(file.end(), b.data().begin(), b.data().end());
  }
  const std::vector<COLORREF> palette(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette));
  Load(file);
  EXPECT_EQ(dlg.m_nColorCount, 101);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  100");
  EXPECT_EQ(dlg.m_blockColor[63], 63 % 16);
  // The palette follows the block table in the dialog; nothing spilled into it.
  EXPECT_EQ(std::vector<COLORREF>(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette)),
            palette);
  EXPECT_EQ(Records()[101], (Record{0, 0, KIND_STITCH}));
}

TEST_F(PcsReaderTest, ShorterSecondFileStopsAtItsOwnEnd) {
  Load(Pcs(5, {Stitch(0, 0), Stitch(6 * kUnit, 0), Stitch(12 * kUnit, 0), Stitch(18 * kUnit, 0)}));
  const std::size_t arrays = dlg.m_arrKind.size();
  // The stale records of the first file still sit in the buffer after it.
  Load(Pcs(5, {Stitch(0, 0), Stitch(-6 * kUnit, 0)}));
  EXPECT_EQ(dlg.m_arrKind.size(), arrays);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{0, 0, KIND_STITCH}, {-10, 0, KIND_STITCH}}));
}
