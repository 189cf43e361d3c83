// The JEF reader, from byte fixtures (fuzz/seed_builders.h lays the header
// out field by field) and from the corpus.
#include <algorithm>
#include <random>

#include "design/jef.h"
#include "design/thread_charts.h"
#include "fuzz/seed_builders.h"
#include "tests/corpus_checks.h"

class JefReaderTest : public ViewerTest {
 protected:
  // Straight into the reader from a buffer of exactly the file's length:
  // a read past it is a sanitizer finding.
  void LoadExact(const Bytes& bytes) { ReadDirectly("jef", bytes); }
  void Load(const Bytes& bytes) { Read("jef", bytes); }
};

TEST_F(JefReaderTest, StitchesMoveByTheirBytesWithYTurnedOver) {
  // (+5, -5) in the file is (+5, +5) here; 0x80 as the second byte is -128
  // in the file, +128 here; 0x7F and 0x81 are the largest steps.
  Load(JefFile({1}, {0x05, 0xFB, 0x05, 0x80, 0x7F, 0x81, 0x81, 0x7F, 0x80, 0x10}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{5, 5, KIND_STITCH},
                                            {10, 133, KIND_STITCH},
                                            {137, 260, KIND_STITCH},
                                            {10, 133, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nFormat, FORMAT_JEF);
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"JANOME-JEF", "Farben:  1", "Breite:  13.2 mm",
                                                   "H\xC3\xB6he:  25.5 mm", "Stiche: 4"}));
}

TEST_F(JefReaderTest, LongRunsDecodeAsOneStitchAtATime) {
  // Runs of every length around the eight stitches decoded at once, all
  // byte values but the escape first, positions that wrap at 16 bits, and
  // commands between the runs; positions and bounds as a plain walk gives
  // them.
  std::mt19937 rng(21);
  std::vector<unsigned> data;
  std::vector<Record> want;
  int x = 0, y = 0;
  for (int run = 0; run < 400; ++run) {
    const int length = static_cast<int>(rng() % 40);
    for (int i = 0; i < length; ++i) {
      const unsigned dx = run % 10 == 7 ? 0x7F : rng() % 256, dy = rng() % 256;
      if (dx == 0x80) continue;
      data.insert(data.end(), {dx, dy});
      x = static_cast<std::int16_t>(x + static_cast<std::int8_t>(dx));
      y = static_cast<std::int16_t>(y - static_cast<std::int8_t>(dy));
      want.push_back({x, y, KIND_STITCH});
    }
    data.insert(data.end(), {0x80, 0x02, 0x03, 0x04});
    x = static_cast<std::int16_t>(x + 3);
    y = static_cast<std::int16_t>(y - 4);
    want.push_back({x, y, KIND_MOVE});
  }
  data.insert(data.end(), {0x80, 0x10});
  const Bytes file = JefFile({1}, data);
  LoadExact(file);
  EXPECT_EQ(DecodedAfter(2), want);
  Bounds bounds{want[0].x, want[0].x, want[0].y, want[0].y};
  for (const Record& r : want)
    bounds = {std::min(bounds.minX, r.x), std::max(bounds.maxX, r.x), std::min(bounds.minY, r.y),
              std::max(bounds.maxY, r.y)};
  EXPECT_EQ(BoundsOf(dlg), bounds);
  EXPECT_EQ(dlg.m_nStitchCount, static_cast<int>(want.size()));
}

TEST_F(JefReaderTest, CommandsAndTheirLengths) {
  // A colour change without displacement changes the colour only; with one
  // (as some writers put the move to the next stitch there) a move follows.
  Load(JefFile({1, 2, 3}, {0x01, 0x01, 0x80, 0x01, 0x00, 0x00, 0x02, 0x00,
                           0x80, 0x01, 0x05, 0xFB, 0x01, 0x00, 0x80, 0x10}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{1, -1, KIND_STITCH},
                                            {1, -1, KIND_COLOR},
                                            {3, -1, KIND_STITCH},
                                            {3, -1, KIND_COLOR},
                                            {8, 4, KIND_MOVE},
                                            {9, 4, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nColorCount, 3);
  EXPECT_EQ(dlg.m_nStitchCount, 4);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  3");

  // A jump is a move; a zero jump (the trim marker) is kept as a move that
  // goes nowhere; an unknown command takes four bytes and records nothing.
  Load(JefFile({1}, {0x80, 0x02, 0x00, 0x00, 0x80, 0x02, 0x90, 0x10, 0x80, 0x07, 0x11, 0x22,
                     0x05, 0x00, 0x80, 0x10}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{0, 0, KIND_MOVE}, {-112, -16, KIND_MOVE}, {-107, -16, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nStitchCount, 3);

  // Nothing after the end code is read, and data that starts with it has
  // no records whatever the block count says.
  Load(JefFile({1, 1}, {0x01, 0x01, 0x80, 0x10, 0x05, 0x05, 0x80, 0x01, 0x00, 0x00}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{1, -1, KIND_STITCH}}));
  Load(JefFile({4, 5, 6}, {0x80, 0x10, 0x05, 0x05}));
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{}));
  EXPECT_EQ(dlg.m_nColorCount, 1);
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"JANOME-JEF", "Farben:  1", "Breite:  0.0 mm",
                                                   "H\xC3\xB6he:  0.0 mm", "Stiche: 0"}));
}

TEST_F(JefReaderTest, BlocksTakeTheJanomeChartAndOddIndicesTheFallback) {
  // Index 0, 79, -5 and 1000 name no thread; a block past the table has none.
  const std::vector<int> indices = {12, 0, 79, -5, 1000, 78};
  std::vector<unsigned> data;
  for (int k = 0; k < 7; ++k) data.insert(data.end(), {0x01, 0x00, 0x80, 0x01, 0x00, 0x00});
  data.insert(data.end(), {0x01, 0x00});
  Load(JefFile(indices, data));
  EXPECT_TRUE(dlg.m_bThreadColors);
  EXPECT_FALSE(dlg.m_bJanomeColors);
  ASSERT_EQ(dlg.m_threads.size(), indices.size());
  EXPECT_EQ(dlg.m_nColorCount, 8);
  for (std::size_t k = 0; k < indices.size(); ++k) {
    EXPECT_EQ(dlg.m_threads[k].chart, ThreadChart::janome) << k;
    EXPECT_EQ(dlg.m_threads[k].index, indices[k]) << k;
  }
  EXPECT_EQ(dlg.m_threads[0].name, "Blue");
  EXPECT_EQ(dlg.m_threads[0].catalog, "207");
  EXPECT_EQ(dlg.BlockColor(0), RGB(0x0B, 0x2F, 0x84));
  EXPECT_EQ(dlg.BlockColor(5), RGB(0xE3, 0xAC, 0x81));  // 78, Bamboo
  for (int k : {1, 2, 3, 4, 6, 7}) EXPECT_EQ(dlg.BlockColor(k), kFallbackColor) << k;
}

TEST_F(JefReaderTest, TheStitchOffsetIsFollowedAndOddHeadersKeepToTheFile) {
  const std::vector<unsigned> data = {0x03, 0x04, 0x80, 0x10};
  // JEF+: a block between the tables and the stitches, which the offset skips.
  Bytes plus = JefFile({7}, data, 300);
  std::fill(plus.begin() + 124, plus.begin() + 300, 0x80);
  Load(plus);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{3, -4, KIND_STITCH}}));

  // The length field is not trusted: the records run to the end code.
  Bytes wrongLength = JefFile({7}, {0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x80, 0x10});
  PutS32(wrongLength, 28, 1);
  Load(wrongLength);
  EXPECT_EQ(DecodedAfter(2).size(), 3u);

  // An offset into the header or past the end gives no stitches. One into
  // the header cannot be a JEF file at all: the load reports it.
  for (unsigned start : {0u, 4u, 115u, 200u, 0xFFFFFFF0u}) {
    Bytes bad = JefFile({7}, data);
    PutS32(bad, 0, static_cast<std::int32_t>(start));
    LoadExact(bad);
    EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{})) << start;
    EXPECT_EQ(dlg.m_threads.size(), 1u) << start;
    EXPECT_EQ(CHeadlessViewer::Load(bad, "bad.jef"), start < 116 ? LoadOutcome::unreadable : LoadOutcome::loaded)
        << start;
  }

  // A block count far beyond the file takes the table entries inside it;
  // a negative one takes none. Neither table fits before the stitches: the
  // load reports the file.
  Bytes blocks = JefFile({3, 4}, data);
  PutS32(blocks, 24, 10000);
  LoadExact(blocks);
  EXPECT_EQ(dlg.m_threads.size(), (blocks.size() - 116) / 4);
  EXPECT_EQ(dlg.m_threads[1].index, 4);
  EXPECT_EQ(CHeadlessViewer::Load(blocks, "blocks.jef"), LoadOutcome::unreadable);
  PutS32(blocks, 24, -1000);
  LoadExact(blocks);
  EXPECT_TRUE(dlg.m_threads.empty());
  EXPECT_EQ(dlg.BlockColor(0), kFallbackColor);
  EXPECT_EQ(CHeadlessViewer::Load(blocks, "blocks.jef"), LoadOutcome::unreadable);
}

TEST_F(JefReaderTest, CutFilesEndTheDesignBeforeTheCutRecord) {
  const Bytes whole = JefFile({1, 2}, {0x01, 0x02, 0x80, 0x02, 0x10, 0x10, 0x80, 0x01, 0x00, 0x00, 0x05, 0x05});
  const std::vector<Record> all = {{1, -2, KIND_STITCH}, {17, -18, KIND_MOVE}, {17, -18, KIND_COLOR},
                                   {22, -23, KIND_STITCH}};
  // Cut inside each record: only the whole records before it are read.
  const std::size_t start = 132;
  const std::size_t kept[] = {0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 4};
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    LoadExact(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    const std::size_t n = cut < start ? 0 : kept[cut - start];
    EXPECT_EQ(DecodedAfter(2), std::vector<Record>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n)))
        << "cut at " << cut;
    EXPECT_EQ(dlg.m_threads.size(), std::min<std::size_t>(2, cut < 116 ? 0 : (cut - 116) / 4)) << cut;
  }
}

TEST_F(JefReaderTest, PlausibleOnlyWhereTheTablesFitBeforeTheStitches) {
  EXPECT_TRUE(PlausibleJef(ByteView(Bytes{}, 0)));
  EXPECT_TRUE(PlausibleJef(ByteView(JefFile({1, 2}, {0x80, 0x10}), 200)));
  EXPECT_TRUE(PlausibleJef(ByteView(JefFile({1, 2}, {0x80, 0x10}, 400), 500)));
  // A stitch offset inside the header, or tables that run into the stitches.
  EXPECT_FALSE(PlausibleJef(ByteView(Bytes{0x40, 0x00, 0x00, 0x00}, 4)));
  Bytes overlapping = JefFile({1, 2}, {0x80, 0x10});
  PutS32(overlapping, 24, 3);
  EXPECT_FALSE(PlausibleJef(ByteView(overlapping, 200)));
  PutS32(overlapping, 24, -1);
  EXPECT_FALSE(PlausibleJef(ByteView(overlapping, 200)));
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  png.resize(64, 'x');
  EXPECT_FALSE(PlausibleJef(ByteView(png, 64)));
  ExpectCorpusPlausible("jef");
}

// The counts and bounds a reader written from the format's description
// alone found in each sample (stitches, moves, colour changes; X and Y
// bounds). PEmbroider_bitmap_image_2 has one move more: its colour change
// carries the move to the next stitch.
TEST_F(JefReaderTest, CorpusFilesDecodeAsTheirDescriptionSays) {
  struct Expected {
    const char* name;
    int stitches, moves, changes;
    Bounds bounds;
  };
  const Expected expected[] = {
      {"Embroidermodder__Embroidermodder.jef", 3407, 31, 0, {-1113, 1112, -257, 257}},
      {"Embroidermodder__Star.jef", 2540, 3, 1, {-295, 296, -311, 312}},
      {"Embroidermodder__shamrockin.jef", 1473, 3, 0, {-250, 249, -246, 247}},
      {"Rust-Embroidery-Catalogue__Bear_Mask_5x7_Hoop.jef", 9681, 122, 4, {-469, 469, -848, 847}},
      {"Rust-Embroidery-Catalogue__Cake_3.jef", 14940, 182, 18, {-424, 415, -674, 665}},
      {"Rust-Embroidery-Catalogue__rectangle.jef", 29, 2, 0, {-20, 20, -20, 20}},
      {"Rust-Embroidery-Catalogue__SyntheticLarge.jef", 15, 0, 0, {-50, 750, -50, 250}},
      {"Rust-Embroidery-Catalogue__Bean.jef", 320, 2, 1, {-250, 250, -250, 250}},
      {"PEmbroider__PEmbroider_bitmap_image_2.jef", 2099, 5, 1, {-191, 199, -221, 230}},
  };
  SKIP_WITHOUT_CORPUS(CorpusFiles("jef"));
  for (const Expected& e : expected) {
    Load(CorpusBytes("jef", e.name));
    const std::vector<Record> records = DecodedAfter(2);
    auto count = [&](int kind) { return std::count_if(records.begin(), records.end(), [&](const Record& r) { return r.kind == kind; }); };
    EXPECT_EQ(count(KIND_STITCH), e.stitches) << e.name;
    EXPECT_EQ(count(KIND_MOVE), e.moves) << e.name;
    EXPECT_EQ(count(KIND_COLOR), e.changes) << e.name;
    EXPECT_EQ(BoundsOf(dlg), e.bounds) << e.name;
    EXPECT_EQ(dlg.m_nColorCount, e.changes + 1) << e.name;
  }
}

