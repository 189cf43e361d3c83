// The HUS and VIP readers, from files built with the test's encoder
// (tests/hus_fixture.h), and the real files of the corpus.
#include "design/hus_stream.h"
#include "design/thread_charts.h"
#include "tests/hus_fixture.h"
#include "tests/limited_memory.h"

namespace {

constexpr unsigned kStitch = 0x80, kJump = 0x81, kChange = 0x84, kTrim = 0x88, kEnd = 0x90;

// 28 bytes that the decoder expands to 50 million but for the cap: a
// literal, then three blocks of 65,535 copies of 256 bytes each (all codes
// constant, so a token reads no bits).
Bytes Hostile(unsigned literal) {
  BitWriter w;
  auto header = [&w](unsigned tokens, unsigned symbol) {
    w.Put(tokens, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put(symbol, 9).Put(0, 5).Put(0, 5);
  };
  header(1, literal);
  for (int i = 0; i < 3; ++i) header(65535, 509);
  return w.bytes();
}

Bytes HostileHus(std::uint32_t claimed) {
  ByteBuilder middle;
  middle.fill(10).u16le(12);  // name, u16, one thread: White
  return HusContainer(0x00C8AF5B, claimed, 1, middle, Hostile(kStitch), Hostile(1), Hostile(0));
}

}  // namespace

class HusReaderTest : public ViewerTest {
 protected:
  std::vector<Record> Decoded() { return DecodedAfter(2); }
};

TEST_F(HusReaderTest, CommandsStepsAndTheUpwardY) {
  for (bool copies : {false, true}) {
    HusRecords r;
    r.Add(kJump, -10, 20);     // move to (-10, -20): the file's Y points up
    r.Add(kStitch, 5, 3);      // (-5, -23)
    r.Add(kStitch, 0x7F, 0x80);  // +127, -128: (122, 105)
    r.Add(kTrim, 0, 0);        // no record
    r.Add(kChange, 0, 0);      // a colour change where the needle is
    r.Add(kChange, 2, 2);      // a change that also moves: change, then move to (124, 103)
    r.Add(kTrim, -4, 0);       // a trim that moves: move to (120, 103)
    r.Add(kStitch, 0, 0);      // (120, 103) again
    r.Add(kEnd, 0, 0);
    r.Add(kStitch, 9, 9);      // after the end: not decoded
    Read("hus", HusFile(r, {1, 3, 5}, "Stern", copies));
    EXPECT_EQ(Decoded(), (std::vector<Record>{{-10, -20, KIND_MOVE},
                                              {-5, -23, KIND_STITCH},
                                              {122, 105, KIND_STITCH},
                                              {122, 105, KIND_COLOR},
                                              {122, 105, KIND_COLOR},
                                              {124, 103, KIND_MOVE},
                                              {120, 103, KIND_MOVE},
                                              {120, 103, KIND_STITCH}}))
        << copies;
    EXPECT_EQ(dlg.m_nStitchCount, 6);
    EXPECT_EQ(dlg.m_nColorCount, 3);
    EXPECT_EQ(BoundsOf(dlg), (Bounds{-10, 124, -23, 105}));
    EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"HUSQVARNA-HUS", "Farben:  3", "Breite:  13.4 mm",
                                                     "H\xC3\xB6he:  12.8 mm", "Stiche: 6"}));
    EXPECT_EQ(dlg.m_nFormat, FORMAT_HUS);
    EXPECT_EQ(dlg.m_strLabel, "Stern");
    EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  }
  // A command no file has shown ends the design before it.
  HusRecords odd;
  odd.Add(kStitch, 1, 1);
  odd.Add(0x82, 1, 1);
  odd.Add(kStitch, 1, 1);
  Read("hus", HusFile(odd, {1}));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{1, -1, KIND_STITCH}}));
}

TEST_F(HusReaderTest, TheShortestStreamDecidesAndTheHeaderGuardsTheRest) {
  HusRecords r;
  for (int i = 0; i < 6; ++i) r.Add(kStitch, 1, 1);
  ByteBuilder middle;
  middle.fill(10).u16le(7);
  const Bytes command = CompressHusStream(r.command), x = CompressHusStream(Bytes(r.x.begin(), r.x.begin() + 4)),
              y = CompressHusStream(r.y);
  Read("hus", HusContainer(0x00C8AF5B, 6, 1, middle, command, x, y));
  EXPECT_EQ(dlg.m_nStitchCount, 4);
  // The header's count caps every stream.
  Read("hus", HusContainer(0x00C8AF5B, 5, 1, middle, command, CompressHusStream(r.x), y));
  EXPECT_EQ(dlg.m_nStitchCount, 5);

  // Offsets (at 20, 24, 28) out of order, or past the file, or a colour list
  // running into the first stream: no records and no colours.
  const Bytes good = HusContainer(0x00C8AF5B, 6, 1, middle, command, CompressHusStream(r.x), y);
  struct Case {
    const char* what;
    std::size_t field;
    std::uint32_t value;
  };
  const std::uint32_t o1 = 32 + 12, o2 = o1 + static_cast<std::uint32_t>(command.size());
  for (const Case& c : {Case{"O1 before the list's end", 20, o1 - 1}, Case{"O2 before O1", 24, o1 - 1},
                        Case{"O3 before O2", 28, o2 - 1}, Case{"O3 past the file", 28, static_cast<std::uint32_t>(good.size() + 1)},
                        Case{"two colours before O1", 8, 2}, Case{"2^32 - 1 colours", 8, 0xFFFFFFFF}}) {
    Bytes bad = good;
    for (int i = 0; i < 4; ++i) bad[c.field + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c.value >> (8 * i));
    // Such a header cannot be a HUS file's: the load reports it. The reader
    // on its own shows no stitch of any of them.
    // A stream past the end is also what a cut file shows: that one loads.
    EXPECT_EQ(CHeadlessViewer::Load(bad, "bad.hus"),
              c.field == 28 && c.value > o2 ? LoadOutcome::loaded : LoadOutcome::unreadable)
        << c.what;
    ReadDirectly("hus", bad);
    EXPECT_EQ(Records().size(), 3u) << c.what;
    EXPECT_TRUE(dlg.m_threads.empty()) << c.what;
    EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0") << c.what;
  }
  // Files shorter than the header.
  for (std::size_t len : {0u, 4u, 31u}) {
    ReadDirectly("hus", Bytes(good.begin(), good.begin() + static_cast<long>(len)));
    EXPECT_EQ(Records().size(), 3u) << len;
  }
}

TEST_F(HusReaderTest, ThreadsFromTheHusqvarnaChart) {
  HusRecords r;
  for (int k = 0; k < 5; ++k) r.Add(kChange, 0, 0);
  Read("hus", HusFile(r, {0, 12, 28, 29}));
  ASSERT_EQ(dlg.m_threads.size(), 4u);
  EXPECT_EQ(dlg.m_threads[0].name, "Black");  // 0 is a thread here, not "no colour"
  EXPECT_EQ(dlg.m_threads[0].catalog, "026");
  EXPECT_EQ(dlg.m_threads[1].color, RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(dlg.m_threads[2].name, "Light Brown");
  EXPECT_EQ(dlg.m_threads[2].color, RGB(0xB5, 0xA5, 0x84));
  EXPECT_EQ(dlg.m_threads[2].brand, "Husqvarna Viking");
  EXPECT_EQ(dlg.m_threads[2].chart, ThreadChart::husqvarna);
  EXPECT_EQ(dlg.m_threads[3].name, "");  // past the chart
  EXPECT_EQ(dlg.m_threads[3].index, 29);
  // The preview paints every block in its thread; blocks past the list in
  // the fallback colour.
  EXPECT_EQ(dlg.m_bThreadColors, TRUE);
  EXPECT_EQ(dlg.m_nColorCount, 6);
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(dlg.BlockColor(k), k < 4 ? dlg.m_threads[static_cast<std::size_t>(k)].color : kFallbackColor) << k;
}

TEST_F(HusReaderTest, VipColoursAndName) {
  HusRecords r;
  r.Add(kStitch, 3, 3);
  ByteBuilder middle;
  middle.fill(10);                        // 32: zero
  middle.s32le(54);                       // 42: the name field at 46 + 8n
  middle.bytes({0x3E, 0x30, 0x2B, 0x44});  // 46: the sheet's vector: #108CFF, 0
  middle.s32le(1);                        // 50: a 1 per colour
  middle.s32le(3).u16le('O').u16le('K').u16le(0);  // 54: three units, NUL last
  Read("vip", HusContainer(0x0190FC5D, 1, 1, middle, CompressHusStream(r.command), CompressHusStream(r.x),
                           CompressHusStream(r.y)));
  ASSERT_EQ(dlg.m_threads.size(), 1u);
  EXPECT_EQ(dlg.m_threads[0].color, RGB(0x10, 0x8C, 0xFF));
  EXPECT_EQ(dlg.m_threads[0].chart, ThreadChart::none);
  EXPECT_EQ(dlg.m_strLabel, "OK");
  EXPECT_EQ(InfoTexts()[0], "PFAFF-VIP");
  EXPECT_EQ(dlg.m_nFormat, FORMAT_VIP);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{3, -3, KIND_STITCH}}));

  // Each byte's key depends on the raw byte before it, across colours.
  const std::vector<std::uint32_t> colors = {0xE3311F, 0xF7F3F7, 0x000000, 0x123456, 0xFFFFFF};
  Read("vip", VipFile(r, colors, u"Gr\u00FC\u00DF \U0001F9F5"));
  ASSERT_EQ(dlg.m_threads.size(), colors.size());
  for (std::size_t k = 0; k < colors.size(); ++k)
    EXPECT_EQ(dlg.m_threads[k].color, FromRgb(colors[k])) << k;
  EXPECT_EQ(dlg.m_strLabel, "Gr\xC3\xBC\xC3\x9F \xF0\x9F\xA7\xB5");  // UTF-8, the surrogate pair joined

  // The key defines 100 colours; the 101st gets the fallback colour.
  Read("vip", VipFile(r, std::vector<std::uint32_t>(101, 0x808080)));
  ASSERT_EQ(dlg.m_threads.size(), 101u);
  EXPECT_EQ(dlg.m_threads[100].color, kFallbackColor);
  EXPECT_EQ(dlg.m_threads[0].color, RGB(0x80, 0x80, 0x80));

  // A name field reaching into the first stream is no name.
  Bytes longName = VipFile(r, {0x102030}, u"abc");
  longName[54] = 5;  // five units where the stream begins after four
  Read("vip", longName);
  EXPECT_EQ(dlg.m_strLabel, "");
  EXPECT_EQ(dlg.m_threads.size(), 1u);
}

TEST_F(HusReaderTest, StreamsThatClaimABillionStitchesOrNeverEndAreBoundedByTheHeader) {
  // A claim above the readers' limit is refused before anything is expanded.
  for (std::uint32_t claimed : {1'000'000'000u, hus::kMaxRecords + 1}) {
    Read("hus", HostileHus(claimed));
    EXPECT_EQ(Records().size(), 3u) << claimed;
    EXPECT_EQ(dlg.m_threads.size(), 1u);  // the colours still count
  }
  // At the limit, three streams that would give 50 million bytes each stop
  // at the claimed count.
  Read("hus", HostileHus(hus::kMaxRecords));
  EXPECT_EQ(dlg.m_nStitchCount, static_cast<int>(hus::kMaxRecords));
  EXPECT_EQ(Records().size(), hus::kMaxRecords + 3);
  EXPECT_LE(dlg.m_arrKind.size(), std::size_t{hus::kMaxRecords} + 3);
  EXPECT_EQ(dlg.m_arrX[hus::kMaxRecords + 1], static_cast<std::int16_t>(hus::kMaxRecords));  // +1 a record
  Read("hus", HostileHus(1000));
  EXPECT_EQ(Records().size(), 1003u);
}

TEST_F(HusReaderTest, RunningOutOfMemoryKeepsTheDesignShown) {
  HusRecords small;
  small.Add(kStitch, 4, 4);
  Read("hus", HusFile(small, {3}));
  const auto before = Records();
  HusRecords big;
  for (int i = 0; i < 200'000; ++i) big.Add(kStitch, i % 7 - 3, i % 5 - 2);
  const Bytes file = HusFile(big, {12, 1});
  {
    // The file, and not the streams and records it expands to.
    CMemoryLimit limit(file.size() + 300'000);
    EXPECT_EQ(CHeadlessViewer::Load(file, "gross.hus"), LoadOutcome::fileError);
  }
  EXPECT_EQ(Records(), before);
  ASSERT_EQ(dlg.m_threads.size(), 1u);
  EXPECT_EQ(dlg.m_threads[0].index, 3);
  EXPECT_EQ(dlg.m_bLoaded, TRUE);
  Read("hus", file);
  EXPECT_EQ(dlg.m_nStitchCount, 200'000);
}

// The real files: every stream gives exactly N bytes and then its end
// token; the decoded design fits the header's extents and colour count.
TEST_F(HusReaderTest, CorpusFilesAgreeWithTheirHeaders) {
  auto files = CorpusFiles("hus");
  const auto vip = CorpusFiles("vip");
  files.insert(files.end(), vip.begin(), vip.end());
  SKIP_WITHOUT_CORPUS(files);
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const Bytes bytes = ReadFileBytes(path);
    const ByteView file(bytes, static_cast<int>(bytes.size()));
    const std::uint32_t n = file.u32le(4);
    const std::uint32_t starts[4] = {file.u32le(20), file.u32le(24), file.u32le(28), static_cast<std::uint32_t>(bytes.size())};
    for (int s = 0; s < 3; ++s) {
      CArray<std::uint8_t> out;
      EXPECT_EQ(hus::ExpandStream(bytes.data() + starts[s], starts[s + 1] - starts[s], n + 1, out), hus::StreamStop::endToken);
      EXPECT_EQ(out.size(), n);
      if (s == 0) {
        EXPECT_EQ(out[n - 1], kEnd);
      }
    }
    Read(path.extension() == ".hus" ? "hus" : "vip", bytes);
    EXPECT_EQ(dlg.m_nColorCount, static_cast<int>(file.u32le(8)));
    EXPECT_EQ(dlg.m_threads.size(), file.u32le(8));
    const auto extent = [&](int at) { return static_cast<std::int16_t>(file.u16le(at)); };
    EXPECT_EQ(BoundsOf(dlg), (Bounds{extent(16), extent(12), -extent(14), -extent(18)}));
  }
}
