// The EXP reader, from byte fixtures: records from byte 0, no header, no end
// code, the file's Y pointing up.
#include <algorithm>

#include "tests/test_support.h"

class ExpReaderTest : public ViewerTest {
 protected:
  void Load(const Bytes& bytes) { Read("exp", bytes); }
  std::vector<Record> Decoded() { return DecodedAfter(2); }
};

TEST_F(ExpReaderTest, StitchesJumpsColourChangesAndTrims) {
  Load(ByteBuilder()
           .bytes({0x05, 0xFB})              // stitch (+5, +5): Y up in the file
           .bytes({0x05, 0x80})              // stitch (+5, +128): dy 0x80 is -128
           .bytes({0x81, 0x7F})              // stitch (-127, -127)
           .bytes({0x80, 0x01, 0x00, 0x00})  // colour change
           .bytes({0x80, 0x04, 0x10, 0xF0})  // jump (+16, +16)
           .bytes({0x80, 0x02, 0x00, 0x81})  // jump of older files (0, +127), not a stitch
           .bytes({0x80, 0x80, 0x07, 0x00})  // trim: no movement, no record
           .bytes({0x80, 0x01, 0x05, 0xFB})  // colour change, then a move (+5, +5)
           .bytes({0x00, 0x00})              // stitch of zero length
           .bytes({0x80, 0x03, 0x01, 0x01})  // unlisted odd code: colour change, then a move (+1, -1)
           .bytes({0x80, 0x10, 0xFE, 0x02})  // unlisted even code: jump (-2, -2)
  );
  EXPECT_EQ(Decoded(), (std::vector<Record>{{5, 5, KIND_STITCH},
                                            {10, 133, KIND_STITCH},
                                            {-117, 6, KIND_STITCH},
                                            {-117, 6, KIND_COLOR},
                                            {-101, 22, KIND_MOVE},
                                            {-101, 149, KIND_MOVE},
                                            {-101, 149, KIND_COLOR},
                                            {-96, 154, KIND_MOVE},
                                            {-96, 154, KIND_STITCH},
                                            {-96, 154, KIND_COLOR},
                                            {-95, 153, KIND_MOVE},
                                            {-97, 151, KIND_MOVE}}));
  EXPECT_EQ(dlg.m_nStitchCount, 9);
  EXPECT_EQ(dlg.m_nColorCount, 4);
  EXPECT_EQ(BoundsOf(dlg), (Bounds{-117, 10, 5, 154}));
}

TEST_F(ExpReaderTest, ShortAndCutFilesEndBeforeTheLastWholeRecord) {
  const std::vector<Record> none;
  Load({});
  EXPECT_EQ(Decoded(), none);
  Load({0x05});  // a lone byte
  EXPECT_EQ(Decoded(), none);
  Load({0x80, 0x04, 0x10});  // a jump cut by the end of the file
  EXPECT_EQ(Decoded(), none);
  Load({0x03, 0x04, 0x80, 0x01, 0x00});  // a stitch, then a cut colour change
  EXPECT_EQ(Decoded(), (std::vector<Record>{{3, -4, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 1);
  // An old end-of-file mark after whole records is no record.
  Load({0x03, 0x04, 0x80, 0x04, 0x01, 0x01, 0x1A});
  EXPECT_EQ(Decoded(), (std::vector<Record>{{3, -4, KIND_STITCH}, {4, -5, KIND_MOVE}}));
  // All zero bytes: zero-length stitches, each a record.
  Load(Bytes(8, 0));
  EXPECT_EQ(Decoded(), std::vector<Record>(4, {0, 0, KIND_STITCH}));
}

TEST_F(ExpReaderTest, PositionsWrapAtSixteenBits) {
  ByteBuilder b;
  for (int i = 0; i < 259; ++i) b.bytes({0x7F, 0x00});  // 259 x 127 = 32893
  Load(b);
  EXPECT_EQ(Decoded().back(), (Record{32893 - 65536, 0, KIND_STITCH}));
  EXPECT_EQ(dlg.m_nMaxX, 127 * 258);
}

TEST_F(ExpReaderTest, BlocksInThePreviewColoursInfoAndFlags) {
  // A design with colours of its own before: none of them may stay.
  Read("xxx", ByteBuilder().padTo(0x27).u16le(1).padTo(0x100).bytes({0x7F, 0x7F, 0, 0, 0, 0, 0, 1, 2, 3}));
  ASSERT_EQ(dlg.m_bThreadColors, TRUE);
  dlg.m_bHasThumbnail = TRUE;
  Load(ByteBuilder()
           .bytes({0x0A, 0x00, 0x80, 0x01, 0x00, 0x00})   // stitch (+10, 0), colour change
           .bytes({0x00, 0x9C, 0x80, 0x01, 0x00, 0x00}));  // stitch (0, +100), colour change
  EXPECT_EQ(dlg.m_nFormat, FORMAT_EXP);
  EXPECT_EQ(dlg.m_nColorCount, 3);
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 3), (std::vector<int>{2, 3, 4}));
  EXPECT_TRUE(dlg.m_threads.empty());
  EXPECT_EQ(dlg.m_bThreadColors, FALSE);
  EXPECT_EQ(dlg.m_bFileColors, FALSE);
  EXPECT_EQ(dlg.m_bJanomeColors, FALSE);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(dlg.BlockColor(k), dlg.m_brotherPalette[k + 2]) << k;
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"MELCO-EXP", "Farben:  3", "Breite:  0.0 mm",
                                                    "H\xC3\xB6he:  10.0 mm", "Stiche: 2"}));

  // More blocks than the table: the table is filled, the rest stays unharmed.
  ByteBuilder many;
  for (int i = 0; i < 100; ++i) many.bytes({0x80, 0x01, 0x00, 0x00});
  Load(many);
  EXPECT_EQ(dlg.m_nColorCount, 101);
  EXPECT_EQ(dlg.m_blockColor[63], 65);
  EXPECT_EQ(InfoTexts()[4], "Stiche: 0");
}

// The counts and bounds the format sheet's independent reader gives for the
// seven sample files.
TEST_F(ExpReaderTest, CorpusFilesGiveTheSheetsCountsAndBounds) {
  struct Expected {
    const char* name;
    KindCounts counts;  // stitches, jumps, colour changes
    Bounds bounds;
  };
  const Expected table[] = {
      {"Embroidermodder__Embroidermodder.exp", {3407, 61, 0}, {-1113, 1112, -257, 257}},
      {"Embroidermodder__Star.exp", {2550, 5, 1}, {-295, 296, -311, 312}},
      {"Embroidermodder__shamrockin.exp", {1473, 4, 0}, {-250, 249, -246, 247}},
      {"PEmbroider__PEmbroider_bitmap_image_2.exp", {2100, 1, 1}, {-191, 199, -221, 231}},
      {"Rust-Embroidery-Catalogue__Bean.exp", {320, 2, 1}, {-250, 250, -250, 250}},
      {"Rust-Embroidery-Catalogue__Cake_3.exp", {14922, 150, 18}, {-419, 420, -669, 670}},
      {"Rust-Embroidery-Catalogue__rectangle.exp", {29, 2, 0}, {-20, 20, -20, 20}},
  };
  const auto files = CorpusFiles("exp");
  SKIP_WITHOUT_CORPUS(files);
  for (const Expected& e : table) {
    const auto path = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.filename() == e.name; });
    ASSERT_NE(path, files.end()) << e.name;
    Load(ReadFileBytes(*path));
    EXPECT_EQ(CountKinds(Decoded()), e.counts) << e.name;
    EXPECT_EQ(BoundsOf(dlg), e.bounds) << e.name;
  }
}
