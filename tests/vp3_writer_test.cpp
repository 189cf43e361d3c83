// The VP3 writer: the section tree and its lengths, the centred design,
// blocks, threads and records, round trips and the corpus through DST and
// back.
#include "design/thread_charts.h"
#include "export/vp3_writer.h"
#include "fuzz/seed_builders.h"
#include "fuzz/sewing_compare.h"
#include "tests/corpus_checks.h"

namespace {

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) << 24 | b.at(at + 1) << 16 | b.at(at + 2) << 8 | b.at(at + 3);
}
std::int32_t S32(const Bytes& b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }
unsigned U16(const Bytes& b, std::size_t at) { return static_cast<unsigned>(b.at(at) << 8 | b.at(at + 1)); }

// A written file taken apart by its own lengths, which a writer must get
// right.
struct Vp3Parts {
  struct Block {
    std::int32_t startX, startY, shiftX, shiftY;
    unsigned r, g, b;
    std::string catalog, name, brand;
    Bytes records;  // after the marker
  };
  std::string producer;
  std::int32_t extents[4], box[4], width, height;
  std::uint32_t stitchCount;
  unsigned headerBlocks, designBlocks;
  std::vector<Block> blocks;
};

Vp3Parts Parse(const Bytes& f) {
  Vp3Parts p;
  EXPECT_EQ(std::string(f.begin(), f.begin() + 6), std::string("%vsm%\0", 6));
  std::size_t at = 6;
  auto string = [&](bool wide) {
    const unsigned n = U16(f, at);
    std::string s;
    for (unsigned i = 0; i < n; i += wide ? 2 : 1) s += static_cast<char>(f.at(at + 2 + i + (wide ? 1 : 0)));
    at += 2 + n;
    return s;
  };
  auto section = [&](unsigned tag) {  // returns where the section must end
    EXPECT_EQ(f.at(at), 0);
    EXPECT_EQ(f.at(at + 1), tag);
    EXPECT_EQ(f.at(at + 2), 0);
    const std::size_t end = at + 7 + U32(f, at + 3);
    at += 7;
    return end;
  };
  p.producer = string(true);
  EXPECT_EQ(section(2), f.size());
  EXPECT_EQ(string(true), "");
  for (int i = 0; i < 4; ++i, at += 4) p.extents[i] = S32(f, at);
  p.stitchCount = U32(f, at);
  at += 4;
  EXPECT_EQ(f[at], 0);
  p.headerBlocks = f[at + 1];
  EXPECT_EQ(Bytes(f.begin() + static_cast<std::ptrdiff_t>(at + 2), f.begin() + static_cast<std::ptrdiff_t>(at + 5)),
            (Bytes{0x0C, 0, 1}));
  at += 5;
  EXPECT_EQ(section(3), f.size());
  EXPECT_EQ(S32(f, at), 0);  // the centre
  EXPECT_EQ(S32(f, at + 4), 0);
  at += 11;
  for (int i = 0; i < 4; ++i, at += 4) p.box[i] = S32(f, at);
  p.width = S32(f, at), p.height = S32(f, at + 4);
  at += 8;
  EXPECT_EQ(string(true), "");
  // "dd", 4096, 0, 0, 4096, "xxPP", 1, 0 as every sample has them.
  EXPECT_EQ(Bytes(f.begin() + static_cast<std::ptrdiff_t>(at), f.begin() + static_cast<std::ptrdiff_t>(at + 24)),
            (Bytes{0x64, 0x64, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0x78, 0x78, 0x50, 0x50, 1, 0}));
  at += 24;
  EXPECT_EQ(string(true), p.producer);
  p.designBlocks = U16(f, at);
  at += 2;
  while (at < f.size()) {
    const std::size_t end = section(5);
    Vp3Parts::Block b;
    b.startX = S32(f, at), b.startY = S32(f, at + 4);
    EXPECT_EQ(f.at(at + 8), 1);  // one colour
    EXPECT_EQ(f.at(at + 9), 0);
    b.r = f.at(at + 10), b.g = f.at(at + 11), b.b = f.at(at + 12);
    EXPECT_EQ(f.at(at + 16), 5);   // thread type
    EXPECT_EQ(f.at(at + 17), 40);  // weight
    at += 18;
    b.catalog = string(false), b.name = string(false), b.brand = string(false);
    b.shiftX = S32(f, at), b.shiftY = S32(f, at + 4);
    at += 8;
    const std::size_t data = section(1);
    EXPECT_EQ(Bytes(f.begin() + static_cast<std::ptrdiff_t>(at), f.begin() + static_cast<std::ptrdiff_t>(at + 3)),
              (Bytes{0x0A, 0xF6, 0x00}));
    b.records.assign(f.begin() + static_cast<std::ptrdiff_t>(at + 3), f.begin() + static_cast<std::ptrdiff_t>(data));
    EXPECT_EQ(f.at(data), 0);
    EXPECT_EQ(data + 1, end);
    at = end;
    p.blocks.push_back(b);
  }
  EXPECT_EQ(at, f.size());
  return p;
}

}  // namespace

class Vp3WriterTest : public ViewerTest {
 protected:
  CEncoded Encode() { return EncodeVp3(dlg, CEncodeRequest{"stem"}); }
  Bytes Written() { return EncodedBytes(EncodeVp3, dlg); }
};

TEST_F(Vp3WriterTest, SectionsOfTheDesignCentredOnItsBox) {
  // Box -100..110 x -50..50: centre (5, 0), 105 and 50 to each side.
  LoadDesign({{100, 50, KIND_STITCH}, {110, 50, KIND_STITCH}, {110, 50, KIND_COLOR}, {-100, -50, KIND_MOVE},
              {-90, -50, KIND_STITCH}},
             FORMAT_DST);
  const Bytes file = Written();
  const Vp3Parts p = Parse(file);
  EXPECT_EQ(p.producer, "Produced by Nadelwerk");
  EXPECT_EQ(std::vector<std::int32_t>(p.extents, p.extents + 4),
            (std::vector<std::int32_t>{10500, 5000, -10500, -5000}));  // right, top, left, bottom; Y up
  EXPECT_EQ(std::vector<std::int32_t>(p.box, p.box + 4), (std::vector<std::int32_t>{-10500, 10500, -5000, 5000}));
  EXPECT_EQ(p.width, 21000);
  EXPECT_EQ(p.height, 10000);
  EXPECT_EQ(p.stitchCount, 6u);  // records and trims
  EXPECT_EQ(p.headerBlocks, 2u);
  EXPECT_EQ(p.designBlocks, 2u);
  ASSERT_EQ(p.blocks.size(), 2u);
  // Block 0 at the centre, its first record the move to the first stitch;
  // block 1 where block 0 ends; each shift the block's travel.
  const Vp3Parts::Block &a = p.blocks[0], &b = p.blocks[1];
  EXPECT_EQ(a.startX, 0);
  EXPECT_EQ(a.startY, 0);
  EXPECT_EQ(a.records, (Bytes{0x80, 0x01, 0x00, 0x5F, 0x00, 0x32, 0x80, 0x02, 0x00, 0x00, 0x0A, 0x00}));
  EXPECT_EQ(a.shiftX, 10500);
  EXPECT_EQ(a.shiftY, -5000);
  EXPECT_EQ(b.startX, 10500);
  EXPECT_EQ(b.startY, -5000);
  EXPECT_EQ(b.records, (Bytes{0x80, 0x01, 0xFF, 0x2E, 0xFF, 0x9C, 0x80, 0x02, 0x0A, 0x00, 0x80, 0x03}));
  EXPECT_EQ(b.shiftX, -20000);
  EXPECT_EQ(b.shiftY, 10000);
  // A design without threads of its own: the colours the preview paints.
  for (int k = 0; k < 2; ++k) {
    const COLORREF c = PreviewBlockColor(dlg, k);
    EXPECT_EQ(RGB(p.blocks[k].r, p.blocks[k].g, p.blocks[k].b), c) << k;
    EXPECT_EQ(p.blocks[k].name, "") << k;
  }

  Read("vp3", file);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{95, 50, KIND_MOVE}, {95, 50, KIND_STITCH}, {105, 50, KIND_STITCH},
                                                  {105, 50, KIND_COLOR}, {-105, -50, KIND_MOVE},
                                                  {-95, -50, KIND_STITCH}}));
}

TEST_F(Vp3WriterTest, StitchesSplitAt127MovesAreLongAndCutFirst) {
  // A 12.7 mm stitch is one plain record, a 12.8 mm one two on its line; a
  // 300 mm move one long record after a trim, read back as a move; a short
  // move too.
  LoadDesign({{0, 0, KIND_STITCH}, {127, 0, KIND_STITCH}, {255, 0, KIND_STITCH}, {255, 3000, KIND_MOVE},
              {256, 3000, KIND_STITCH}, {260, 3004, KIND_MOVE}, {262, 3004, KIND_MOVE}, {262, 3005, KIND_STITCH}},
             FORMAT_DST);
  const Vp3Parts p = Parse(Written());
  ASSERT_EQ(p.blocks.size(), 1u);
  const Bytes tail(p.blocks[0].records.begin() + 8, p.blocks[0].records.end());
  EXPECT_EQ(tail, (Bytes{0x00, 0x00,                                      // the first stitch
                         0x7F, 0x00,                                      // +127
                         0x40, 0x00, 0x40, 0x00,                          // +128 in two
                         0x80, 0x03, 0x80, 0x01, 0x00, 0x00, 0x0B, 0xB8, 0x80, 0x02,  // trim, +3000
                         0x01, 0x00,                                      // stitch
                         0x80, 0x03, 0x80, 0x01, 0x00, 0x04, 0x00, 0x04, 0x80, 0x02,  // trim, short move
                         0x80, 0x01, 0x00, 0x02, 0x00, 0x00, 0x80, 0x02,  // another move: no second trim
                         0x00, 0x01,                                      // stitch
                         0x80, 0x03}));                                   // the closing trim
  const std::vector<SewingStep> source = SewingSteps(dlg);
  Read("vp3", Written());
  EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), 0), "");
}

TEST_F(Vp3WriterTest, ThreadsAndTheirTexts) {
  // A VP3 file's threads come back with their RGB and texts; Latin-1 text
  // is written as its bytes, anything else as '?'.
  Vp3Block a, b;
  a.colors = {0x1E77AC}, a.catalog = "1266", a.name = "Turkish Sea", a.brand = "Sulky Rayon 40";
  b.colors = {0x00FF00}, b.name = "Gr\xFCn";
  a.records = b.records = {0x01, 0x02};
  Read("vp3", Vp3File({a, b}));
  dlg.m_threads[1].brand = "\xE2\x82\xAC \xC3\xA9";  // a euro sign, a space and an e with acute
  const Vp3Parts p = Parse(Written());
  ASSERT_EQ(p.blocks.size(), 2u);
  EXPECT_EQ(p.blocks[0].catalog, "1266");
  EXPECT_EQ(p.blocks[0].name, "Turkish Sea");
  EXPECT_EQ(p.blocks[0].brand, "Sulky Rayon 40");
  EXPECT_EQ(RGB(p.blocks[0].r, p.blocks[0].g, p.blocks[0].b), RGB(0x1E, 0x77, 0xAC));
  EXPECT_EQ(p.blocks[1].name, "Gr\xFCn");
  EXPECT_EQ(p.blocks[1].brand, "? \xE9");
  // Brother threads keep their chart names.
  LoadDesign({{0, 0, KIND_STITCH}, {0, 0, KIND_COLOR}, {5, 5, KIND_STITCH}}, FORMAT_BROTHER);
  dlg.m_threads = {ChartThread(ThreadChart::pec, 5), ChartThread(ThreadChart::pec, 29)};
  const Vp3Parts brother = Parse(Written());
  EXPECT_EQ(brother.blocks[0].name, "Red");
  EXPECT_EQ(brother.blocks[1].name, "White");
  EXPECT_EQ(brother.blocks[1].brand, "Brother");
}

TEST_F(Vp3WriterTest, UpTo255BlocksAndNoMore) {
  for (const int changes : {29, 254, 255}) {
    std::vector<Record> records;
    for (int k = 0; k <= changes; ++k) {
      records.push_back({k, 0, KIND_STITCH});
      if (k < changes) records.push_back({k, 0, KIND_COLOR});
    }
    LoadDesign(records, FORMAT_DST);
    const CEncoded e = Encode();
    if (changes == 255) {
      EXPECT_EQ(e.refusal, "Mehr als 255 Farben, Konvertierung abgebrochen");
      EXPECT_TRUE(e.bytes.empty());
      continue;
    }
    const Vp3Parts p = Parse(e.bytes);
    EXPECT_EQ(p.headerBlocks, static_cast<unsigned>(changes + 1));
    EXPECT_EQ(p.blocks.size(), static_cast<std::size_t>(changes + 1));
    Read("vp3", e.bytes);
    EXPECT_EQ(dlg.m_nColorCount, changes + 1);
  }
}

TEST_F(Vp3WriterTest, RoundTripsGiveTheSameRecordsAndTheSameBytes) {
  // Far apart in 16 bits: moves beyond one long record are split.
  LoadDesign({{-32000, 100, KIND_MOVE}, {-32000, 100, KIND_STITCH}, {32000, -100, KIND_MOVE}, {32000, -90, KIND_STITCH},
              {32000, -90, KIND_COLOR}, {31990, -90, KIND_STITCH}},
             FORMAT_DST);
  const std::vector<SewingStep> source = SewingSteps(dlg);
  const Bytes first = Written();
  Read("vp3", first);
  EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), 0), "");
  EXPECT_TRUE(Written() == first);
}

TEST_F(Vp3WriterTest, StepsTakeTheShorterWayRoundSixteenBits) {
  // From -30000 to +30000 is 5536 units the other way round, as a reader
  // adds the steps up in 16 bits: the stitch is split along that way. (Read
  // back, the pieces cross the 16-bit edge, and the box is another one.)
  LoadDesign({{-30000, 0, KIND_STITCH}, {30000, 10, KIND_STITCH}, {-29000, 0, KIND_MOVE}, {-29000, 5, KIND_STITCH}},
             FORMAT_PCS);
  const std::vector<SewingStep> source = SewingSteps(dlg);
  Read("vp3", Written());
  const std::vector<SewingStep> back = SewingSteps(dlg);
  EXPECT_EQ(SewingDifference(source, back, 0), "");
  EXPECT_LT(back.size(), 60u);
}

TEST_F(Vp3WriterTest, CorpusFilesThroughDstAndBackKeepWhatTheySew) {
  ExpectRoundTripThrough("dst", "vp3", "Mehr als 255 Farben");
}
