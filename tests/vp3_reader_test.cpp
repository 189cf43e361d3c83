// The VP3 reader, from byte fixtures (fuzz/seed_builders.h lays the
// sections out field by field) and from the corpus.
#include <algorithm>
#include <optional>

#include "design/vp3.h"
#include "fuzz/design_invariants.h"
#include "fuzz/seed_builders.h"
#include "tests/corpus_checks.h"

// Where the fixtures' file section starts: after the magic, its 0 byte and
// the producer "Produced by test" in UTF-16.
constexpr std::size_t kFileSection = 6 + 2 + 2 * 16;

class Vp3ReaderTest : public ViewerTest {
 protected:
  // One block at the centre holding the records.
  static Bytes OneBlock(const std::vector<unsigned>& records) {
    Vp3Block block;
    block.records = records;
    return Vp3File({block});
  }
  void Load(const Bytes& bytes) { Read("vp3", bytes); }
  // Straight into the reader from a buffer of exactly the file's length:
  // a read past it is a sanitizer finding.
  void LoadExact(const Bytes& bytes) {
    dlg.m_fileData = bytes;
    ReadVp3(dlg, static_cast<int>(bytes.size()));
  }
};

TEST_F(Vp3ReaderTest, PlainAndLongRecordsTrimsAndOtherCodes) {
  // Plain records with Y as the file has it (down); 0x80 as dy is -128. A
  // long record of (+19, -63) after a stitch is a stitch; with its closing
  // 80 02 or without. A trim records nothing, and a long record after it is
  // a move, as is one longer than 127 units on an axis after a stitch.
  Load(OneBlock({0x05, 0xFB, 0x01, 0x80, 0x80, 0x01, 0x00, 0x13, 0xFF, 0xC1, 0x80, 0x02,
                 0x80, 0x01, 0x00, 0x01, 0x00, 0x01, 0x02, 0x02, 0x80, 0x03, 0x80, 0x01,
                 0x00, 0x13, 0xFF, 0xC1, 0x80, 0x02, 0x01, 0x01, 0x80, 0x01, 0x00, 0x80,
                 0x00, 0x00, 0x80, 0x02, 0x80, 0x07, 0x7F, 0x81}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{5, -5, KIND_STITCH},
                                                  {6, -133, KIND_STITCH},
                                                  {25, -196, KIND_STITCH},
                                                  {26, -195, KIND_STITCH},
                                                  {28, -193, KIND_STITCH},
                                                  {47, -256, KIND_MOVE},
                                                  {48, -255, KIND_STITCH},
                                                  {176, -255, KIND_MOVE},
                                                  {303, -382, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nFormat, FORMAT_VP3);
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"HUSQVARNA-VP3", "Farben:  1", "Breite:  29.8 mm",
                                                   "H\xC3\xB6he:  37.7 mm", "Stiche: 9"}));

  // At the block start a long record is a move, and so are those after a
  // move; a plain stitch ends the travel.
  Load(OneBlock({0x80, 0x01, 0x00, 0x05, 0x00, 0x06, 0x80, 0x02, 0x80, 0x01, 0x00, 0x01, 0x00, 0x01,
                 0x01, 0x00, 0x80, 0x01, 0x00, 0x01, 0x00, 0x01}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{5, 6, KIND_MOVE}, {6, 7, KIND_MOVE}, {7, 7, KIND_STITCH},
                                                  {8, 8, KIND_STITCH}}));

  // A long record cut by the end of its data ends the block; a block of a
  // trim alone has no stitches.
  Load(OneBlock({0x03, 0x04, 0x80, 0x01, 0x00, 0x13, 0xFF}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{3, 4, KIND_STITCH}}));
  Load(OneBlock({0x80, 0x03}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{}));
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0");
}

TEST_F(Vp3ReaderTest, BlocksStartAtTheCentrePlusTheirStart) {
  // The first block where the needle is (no move); the second starts where
  // the first ended; the third elsewhere, with nothing in the data that goes
  // there (a move is inserted); the fourth on the X axis (x = 0, y != 0).
  Vp3Block a, b, c, d;
  a.records = {0x0A, 0x00};
  b.startX = 1000;  // 1 mm right, where a ended
  b.records = {0x00, 0x05};
  c.startX = -2049, c.startY = 3051;  // rounded: -20.5 -> -20, -30.5 -> -31 (Y up)
  c.records = {0x01, 0x01};
  d.startX = 0, d.startY = -2000;
  d.records = {0x01, 0x00};
  Load(Vp3File({a, b, c, d}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{10, 0, KIND_STITCH}, {10, 0, KIND_COLOR},
                                                  {10, 5, KIND_STITCH}, {10, 5, KIND_COLOR},
                                                  {-20, -31, KIND_MOVE}, {-19, -30, KIND_STITCH},
                                                  {-19, -30, KIND_COLOR}, {0, 20, KIND_MOVE},
                                                  {1, 20, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 4);

  // A design centre away from the origin moves every block by it: 01Peacock
  // has (-8.35, -5.90) mm.
  Vp3Block e;
  e.startX = 350, e.startY = -100;
  e.records = {0x02, 0x02};
  Load(Vp3File({e}, -8350, -5900));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{-80, 60, KIND_MOVE}, {-78, 62, KIND_STITCH}}));
  // Halves of 0.1 mm round away from zero on both sides.
  e.startX = 150, e.startY = 150;
  Load(Vp3File({e}));
  EXPECT_EQ(DecodedAfter(2).front(), (Record{2, -2, KIND_MOVE}));
  e.startX = -149, e.startY = -250;
  Load(Vp3File({e}));
  EXPECT_EQ(DecodedAfter(2).front(), (Record{-1, 3, KIND_MOVE}));
}

TEST_F(Vp3ReaderTest, EveryBlockKeepsItsThread) {
  Vp3Block a, b, c, d;
  a.colors = {0x1E77AC};
  a.catalog = "1266", a.name = "Turkish Sea", a.brand = "Madeira Rayon 40";
  b.colors = {};  // no colour: the fallback
  b.catalog = "", b.name = "", b.brand = "";
  c.colors = {0x00FF00, 0x0000FF};  // variegated: the first colour
  c.name = std::string("Gr\xFCn\x01");  // Latin-1, a control byte dropped
  d.name = "Rest";
  for (Vp3Block* k : {&a, &b, &c, &d}) k->records = {0x01, 0x01};
  Load(Vp3File({a, b, c, d}));
  ASSERT_EQ(dlg.m_threads.size(), 4u);
  EXPECT_TRUE(dlg.m_bThreadColors);
  EXPECT_EQ(dlg.m_threads[0].color, RGB(0x1E, 0x77, 0xAC));
  EXPECT_EQ(dlg.m_threads[0].catalog, "1266");
  EXPECT_EQ(dlg.m_threads[0].name, "Turkish Sea");
  EXPECT_EQ(dlg.m_threads[0].brand, "Madeira Rayon 40");
  EXPECT_EQ(dlg.m_threads[0].chart, ThreadChart::none);
  EXPECT_EQ(dlg.m_threads[1].color, kFallbackColor);
  EXPECT_EQ(dlg.m_threads[2].color, RGB(0, 0xFF, 0));
  EXPECT_EQ(dlg.m_threads[2].name, "Gr\xC3\xBCn");
  for (int k = 0; k < 4; ++k) EXPECT_EQ(dlg.BlockColor(k), dlg.m_threads[k].color) << k;
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  4");
}

TEST_F(Vp3ReaderTest, WrongLengthsLoseNoStitches) {
  // Block lengths 25 bytes short (as one writer puts them) and the design
  // and file lengths short too: every block is found right after the one
  // before, by its stitch data's length.
  Vp3Block a, b;
  a.records = {0x01, 0x02, 0x03, 0x04};
  a.lengthShortBy = 25;
  b.records = {0x05, 0x06};
  b.lengthShortBy = 25;
  Bytes file = Vp3File({a, b});
  file[kFileSection + 6] = 0x10;  // the file's length, far too small
  Load(file);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{1, 2, KIND_STITCH}, {4, 6, KIND_STITCH},
                                                  {4, 6, KIND_COLOR}, {0, 0, KIND_MOVE}, {5, 6, KIND_STITCH}}));

  // Where no block follows the 0 byte the design ends; so it does at a
  // string that runs past the end of the file.
  Bytes junk = Vp3File({a, b});
  const Bytes one = Vp3File({a});
  junk.insert(junk.begin() + static_cast<std::ptrdiff_t>(one.size()), 0x77);
  Load(junk);
  EXPECT_EQ(DecodedAfter(2).size(), 2u);
  Vp3Block longName = a;
  longName.name = "Name";
  Bytes cut = Vp3File({longName});
  const auto at = std::search(cut.begin(), cut.end(), longName.name.begin(), longName.name.end());
  ASSERT_NE(at, cut.end());
  *(at - 1) = 0xF0;  // its length now reaches past the end
  Load(cut);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{}));
  EXPECT_TRUE(dlg.m_threads.empty());
}

TEST_F(Vp3ReaderTest, CutFilesReadAPrefixOfTheWhole) {
  Vp3Block a, b;
  a.records = {0x01, 0x02, 0x80, 0x03, 0x80, 0x01, 0x01, 0x00, 0x00, 0x10, 0x80, 0x02, 0x04, 0x04};
  b.startX = 5000;
  b.records = {0x7F, 0x81, 0x80, 0x03};
  const Bytes whole = Vp3File({a, b});
  LoadExact(whole);
  const std::vector<Record> all = DecodedAfter(2);
  ASSERT_EQ(all.size(), 6u);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    LoadExact(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    const std::vector<Record> part = DecodedAfter(2);
    ASSERT_LE(part.size(), all.size()) << cut;
    EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin())) << "cut at " << cut;
    EXPECT_EQ(FindDesignViolation(dlg, platform, cut), "") << cut;
  }
}

TEST_F(Vp3ReaderTest, AFurtherDesignFollowsTheLastBlock) {
  // Two designs, the second's section straight after the first's blocks:
  // its blocks are read about its own centre.
  Vp3Block a;
  a.records = {0x01, 0x01};
  const Bytes first = Vp3File({a}, 0, 0), second = Vp3File({a}, 10000, 0);
  const std::size_t design = kFileSection + 7 + 2 + 16 + 4 + 5;  // where the design section starts
  Bytes both = first;
  both.insert(both.end(), second.begin() + static_cast<std::ptrdiff_t>(design), second.end());
  Load(both);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{1, 1, KIND_STITCH}, {1, 1, KIND_COLOR},
                                                  {100, 0, KIND_MOVE}, {101, 1, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_threads.size(), 2u);
}

TEST_F(Vp3ReaderTest, PlausibleOnlyWithItsMagic) {
  EXPECT_TRUE(PlausibleVp3(ByteView(Bytes{}, 0)));
  EXPECT_TRUE(PlausibleVp3(ByteView(Bytes{'%', 'v', 's'}, 3)));
  EXPECT_TRUE(PlausibleVp3(ByteView(OneBlock({}), 1000)));
  EXPECT_FALSE(PlausibleVp3(ByteView(Bytes{'%', 'v', 's', 'n', '%'}, 5)));
  EXPECT_FALSE(PlausibleVp3(ByteView(Bytes{'L', 'A', ':'}, 3)));
  ExpectCorpusPlausible("vp3");
}

// The counts and bounds a reader written from the format's description
// alone found in each sample (stitch and long records; blocks; X and Y
// bounds), with the moves that this reader inserts where a block starts
// away from the needle.
TEST_F(Vp3ReaderTest, CorpusFilesDecodeAsTheirDescriptionSays) {
  struct Expected {
    const char* name;
    int records, blockMoves, blocks;
    std::optional<Bounds> bounds;  // where the description gives them
  };
  const Expected expected[] = {
      {"Embroidermodder__Embroidermodder.vp3", 3408, 1, 1, Bounds{-1113, 1112, -257, 257}},
      {"Embroidermodder__shamrockin.vp3", 1474, 1, 1, Bounds{-250, 249, -246, 247}},
      {"Rust-Embroidery-Catalogue__01Peacock.vp3", 45477, 0, 19, Bounds{-993, 826, -580, 698}},
      {"Rust-Embroidery-Catalogue__370655.vp3", 90888, 0, 30, Bounds{-630, 630, -1194, 1194}},
      {"Rust-Embroidery-Catalogue__Bean.vp3", 320, 0, 1, Bounds{-250, 250, -250, 250}},
      {"Rust-Embroidery-Catalogue__Cake_3.vp3", 14941, 19, 19, Bounds{-424, 415, -674, 665}},
      {"Rust-Embroidery-Catalogue__rectangle.vp3", 30, 1, 1, Bounds{-20, 20, -20, 20}},
      {"embroidery-rust__T42-1.vp3", 17753, 0, 1, Bounds{-860, 860, -810, 810}},
      {"PEmbroider__PEmbroider_3dmodel.vp3", 41726, 0, 1, Bounds{-380, 366, -363, 380}},
      {"PEmbroider__PEmbroider_png_image_multicolor.vp3", 7827, 6, 7, std::nullopt},
  };
  SKIP_WITHOUT_CORPUS(CorpusFiles("vp3"));
  for (const Expected& e : expected) {
    Load(CorpusBytes("vp3", e.name));
    EXPECT_EQ(dlg.m_nStitchCount, e.records + e.blockMoves) << e.name;
    EXPECT_EQ(dlg.m_nColorCount, e.blocks) << e.name;
    EXPECT_EQ(dlg.m_threads.size(), static_cast<std::size_t>(e.blocks)) << e.name;
    if (e.bounds) {
      EXPECT_EQ(BoundsOf(dlg), *e.bounds) << e.name;
    }
  }
}

