// The JEF writer: the header of the centred design, the hoop it fits, the
// records and their splits, the thread indices, round trips and the corpus
// through DST and back.
#include "design/jef.h"
#include "design/thread_charts.h"
#include "export/jef_writer.h"
#include "fuzz/sewing_compare.h"
#include "tests/corpus_checks.h"

namespace {

std::int32_t S32(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
                                   static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

std::vector<std::int32_t> Fields(const Bytes& b, std::size_t at, int n) {
  std::vector<std::int32_t> v;
  for (int i = 0; i < n; ++i) v.push_back(S32(b, at + 4 * static_cast<std::size_t>(i)));
  return v;
}

}  // namespace

class JefWriterTest : public ViewerTest {
 protected:
  Bytes Written() { return EncodedBytes(EncodeJef, dlg); }
  // The stitch data of a written file, from its offset to its end.
  static Bytes Data(const Bytes& file) { return Bytes(file.begin() + S32(file, 0), file.end()); }
  // A design with RGB threads, one per block.
  void ThreadDesign(const std::vector<Record>& records, const std::vector<COLORREF>& colors) {
    LoadDesign(records, FORMAT_VP3);
    dlg.m_threads.clear();
    for (COLORREF c : colors) dlg.m_threads.push_back(CThread{.color = c});
    dlg.m_bThreadColors = TRUE;
  }
};

TEST_F(JefWriterTest, HeaderDescribesTheDesignCentredOnItsBox) {
  // Box -200..300 x -150..100: centre (50, -25), 250 and 125 to each side.
  LoadDesign({{-200, 100, KIND_MOVE}, {-200, 100, KIND_STITCH}, {-100, 50, KIND_STITCH},
              {-100, 50, KIND_COLOR}, {300, -150, KIND_MOVE}, {300, -150, KIND_STITCH}},
             FORMAT_DST);
  const Bytes file = Written();
  EXPECT_EQ(S32(file, 0), 116 + 8 * 2);  // stitch offset after both tables
  EXPECT_EQ(S32(file, 4), 0x0A);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 22), "00000000000000");
  EXPECT_EQ(file[22], 0);
  EXPECT_EQ(file[23], 0);
  EXPECT_EQ(S32(file, 24), 2);
  EXPECT_EQ(S32(file, 28) * 2, static_cast<std::int32_t>(Data(file).size()));  // end code included
  EXPECT_EQ(S32(file, 32), 1);  // 50 x 25 mm fits the 50 x 50 mm hoop
  EXPECT_EQ(Fields(file, 36, 4), (std::vector<std::int32_t>{250, 125, 250, 125}));
  EXPECT_EQ(Fields(file, 52, 4), (std::vector<std::int32_t>{300, 425, 300, 425}));   // 110 x 110
  EXPECT_EQ(Fields(file, 68, 4), (std::vector<std::int32_t>{0, 125, 0, 125}));       // 50 x 50
  EXPECT_EQ(Fields(file, 84, 4), (std::vector<std::int32_t>{450, 875, 450, 875}));   // 140 x 200
  EXPECT_EQ(Fields(file, 100, 4), (std::vector<std::int32_t>{450, 875, 450, 875}));  // custom
  EXPECT_EQ(Fields(file, 124, 2), (std::vector<std::int32_t>{13, 13}));
  EXPECT_EQ(Bytes(file.end() - 2, file.end()), (Bytes{0x80, 0x10}));

  // Read back: the same records, moved by the centre.
  Read("jef", file);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{-125, 63, KIND_MOVE}, {-250, 125, KIND_MOVE},
                                                  {-250, 125, KIND_STITCH}, {-150, 75, KIND_STITCH},
                                                  {-150, 75, KIND_COLOR}, {-50, 25, KIND_MOVE},
                                                  {50, -25, KIND_MOVE}, {150, -75, KIND_MOVE},
                                                  {250, -125, KIND_MOVE}, {250, -125, KIND_STITCH}}));
  // The margins of a design larger than a box are -1.
  LoadDesign({{0, 0, KIND_STITCH}, {1200, 30, KIND_STITCH}}, FORMAT_DST);
  const Bytes wide = Written();
  EXPECT_EQ(Fields(wide, 52, 4), (std::vector<std::int32_t>{-1, -1, -1, -1}));
  EXPECT_EQ(Fields(wide, 68, 4), (std::vector<std::int32_t>{-1, -1, -1, -1}));
  EXPECT_EQ(Fields(wide, 84, 4), (std::vector<std::int32_t>{100, 985, 100, 985}));
}

TEST_F(JefWriterTest, TheSmallestHoopThatHoldsTheDesignUnturned) {
  struct Case {
    int w, h, code;
  };
  for (const Case& c : {Case{500, 500, 1}, Case{501, 10, 0}, Case{1100, 1100, 0}, Case{1110, 100, 3},
                        Case{1260, 1100, 3}, Case{1270, 100, 2}, Case{1260, 1101, 2}, Case{1300, 1200, 2},
                        Case{100, 1900, 2}, Case{1500, 100, 4}, Case{2000, 2000, 4}, Case{0, 0, 1}}) {
    LoadDesign({{0, 0, KIND_STITCH}, {c.w, c.h, KIND_STITCH}}, FORMAT_DST);
    EXPECT_EQ(S32(Written(), 32), c.code) << c.w << " x " << c.h;
  }
  // No hoop holds it: refused, naming the size, and nothing is saved.
  for (const auto& [w, h, size] : {std::tuple{2100, 1000, "210.0 x 100.0 mm"}, std::tuple{2001, 5, "200.1 x 0.5 mm"},
                                   std::tuple{5, 2001, "0.5 x 200.1 mm"}}) {
    LoadDesign({{0, 0, KIND_STITCH}, {w, h, KIND_STITCH}}, FORMAT_DST);
    const CEncoded e = EncodeJef(dlg, {});
    EXPECT_TRUE(e.bytes.empty());
    EXPECT_EQ(e.refusal, std::string("Design ") + size +
                             " passt in keinen Janome-Rahmen (h\xC3\xB6" "chstens 200.0 x 200.0 mm), "
                             "Konvertierung abgebrochen");
  }
  TempDir dir;
  const std::string path = (dir.path() / "big.jef").string();
  EXPECT_EQ(Save(*FindFormat("jef"), path), SaveOutcome::refused);
  EXPECT_FALSE(std::filesystem::exists(path));
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_NE(platform.messages.back().find("0.5 x 200.1 mm"), std::string::npos);
}

TEST_F(JefWriterTest, StepsLongerThan127AreSplitOnTheirLine) {
  // From the centre: a 127-unit stitch is one record, a 128-unit one a jump
  // and the stitch; a move of (+1000, -30) eight jumps of at most 127.
  LoadDesign({{-500, 0, KIND_STITCH}, {-373, 0, KIND_STITCH}, {-245, 0, KIND_STITCH},
              {755, -30, KIND_MOVE}, {755, -30, KIND_COLOR}, {755, -30, KIND_MOVE}, {500, 15, KIND_STITCH}},
             FORMAT_DST);
  const Bytes data = Data(Written());
  // Centre (127, -7): the first stitch lies (-627, +7) away, five jumps.
  // The pieces end at j/5 of it, rounded: X -125, -126, ..., Y 1, 2, ... (the
  // file's Y points up).
  const Bytes leadIn = {0x80, 0x02, 0x83, 0xFF, 0x80, 0x02, 0x82, 0xFE, 0x80, 0x02, 0x83, 0xFF,
                        0x80, 0x02, 0x82, 0xFE, 0x80, 0x02, 0x83, 0xFF};
  const Bytes rest = {
      0x00, 0x00,                                                      // the stitch where the jumps end
      0x7F, 0x00,                                                      // +127
      0x80, 0x02, 0x40, 0x00, 0x40, 0x00,                              // +128: jump +64, stitch +64
  };
  ASSERT_GE(data.size(), 20u + rest.size());
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 20), leadIn);
  EXPECT_EQ(Bytes(data.begin() + 20, data.begin() + 20 + static_cast<std::ptrdiff_t>(rest.size())), rest);
  // Every jump within 127 per axis, and the moves add up exactly: read back,
  // the positions are the design's less the centre.
  Read("jef", Written());
  const std::vector<Record> back = DecodedAfter(2);
  int jumps = 0;
  Record at{0, 0, KIND_STITCH};
  for (const Record& r : back) {
    EXPECT_LE(std::abs(r.x - at.x), 127);
    EXPECT_LE(std::abs(r.y - at.y), 127);
    jumps += r.kind == KIND_MOVE;
    at = r;
  }
  EXPECT_EQ(jumps, 5 + 1 + 8 + 3);
  const auto changeAt = std::find_if(back.begin(), back.end(), [](const Record& r) { return r.kind == KIND_COLOR; });
  ASSERT_NE(changeAt, back.end());
  EXPECT_EQ(*changeAt, (Record{628, -23, KIND_COLOR}));
  EXPECT_EQ(back.back(), (Record{373, 22, KIND_STITCH}));
  EXPECT_EQ(Bytes(data.end() - 2, data.end()), (Bytes{0x80, 0x10}));
}

TEST_F(JefWriterTest, ThreadIndicesFromTheChartNeverTwiceInARow) {
  // A Janome file keeps its indices, 73..78 included.
  const std::vector<Record> blocks = {{0, 0, KIND_STITCH}, {0, 0, KIND_COLOR}, {5, 0, KIND_STITCH},
                                      {5, 0, KIND_COLOR}, {9, 0, KIND_STITCH}};
  LoadDesign(blocks, FORMAT_JEF);
  dlg.m_threads = {ChartThread(ThreadChart::janome, 12), ChartThread(ThreadChart::janome, 78),
                   ChartThread(ThreadChart::janome, 0)};
  dlg.m_bThreadColors = TRUE;
  // Index 0 names no thread: its fallback colour (black) gives 1.
  EXPECT_EQ(JefThreadIndices(dlg, 3), (std::vector<int>{12, 78, 1}));
  EXPECT_EQ(Fields(Written(), 116, 3), (std::vector<int>{12, 78, 1}));

  // RGB threads take the nearest chart colour, from 1..72 only; two blocks
  // of one colour get the nearest and the second nearest.
  ThreadDesign(blocks, {RGB(0xFF, 0x00, 0x00), RGB(0xFF, 0xE5, 0x05), RGB(0xFF, 0xE5, 0x05)});
  const std::vector<int> indices = JefThreadIndices(dlg, 3);
  EXPECT_EQ(indices[0], 10);  // Red, exactly
  const auto chart = JanomeChart();
  EXPECT_EQ(indices[1], NearestChartIndex(chart, 1, 72, RGB(0xFF, 0xE5, 0x05)));
  EXPECT_EQ(indices[2], NearestChartIndex(chart, 1, 72, RGB(0xFF, 0xE5, 0x05), indices[1]));
  EXPECT_NE(indices[1], indices[2]);
  for (int i : indices) EXPECT_TRUE(i >= 1 && i <= 72) << i;

  // A Janome file with one index twice in a row: the second block changes.
  LoadDesign(blocks, FORMAT_JEF);
  dlg.m_threads = {ChartThread(ThreadChart::janome, 5), ChartThread(ThreadChart::janome, 5),
                   ChartThread(ThreadChart::janome, 5)};
  dlg.m_bThreadColors = TRUE;
  const std::vector<int> same = JefThreadIndices(dlg, 3);
  EXPECT_EQ(same[0], 5);
  EXPECT_NE(same[1], 5);
  EXPECT_EQ(same[2], 5);

  // Blocks past the file's threads, and a DST design without any, take the
  // preview's colours; still never the same index twice in a row.
  LoadDesign({{0, 0, KIND_STITCH}, {0, 0, KIND_COLOR}, {0, 0, KIND_COLOR}, {0, 0, KIND_COLOR}, {1, 1, KIND_STITCH}},
             FORMAT_DST);
  const std::vector<int> dst = JefThreadIndices(dlg, 4);
  for (std::size_t k = 1; k < dst.size(); ++k) EXPECT_NE(dst[k], dst[k - 1]) << k;
}

TEST_F(JefWriterTest, RoundTripsGiveTheSameRecordsAndTheSameBytes) {
  LoadDesign({{30, -40, KIND_STITCH}, {35, -38, KIND_STITCH}, {400, 300, KIND_STITCH}, {400, 300, KIND_MOVE},
              {400, 300, KIND_COLOR}, {-390, 310, KIND_MOVE}, {-389, 310, KIND_STITCH}, {-389, 310, KIND_STITCH}},
             FORMAT_DST);
  const std::vector<SewingStep> source = SewingSteps(dlg);
  const Bytes first = Written();
  Read("jef", first);
  EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), 0), "");
  EXPECT_EQ(dlg.m_nColorCount, 2);
  EXPECT_TRUE(Written() == first);
}

TEST_F(JefWriterTest, CorpusFilesThroughDstAndBackKeepWhatTheySew) {
  ExpectRoundTripThrough("dst", "jef", "passt in keinen Janome-Rahmen");
}
