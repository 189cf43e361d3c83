// The SEW writer: header and stitch data against a fixture of the sheet's
// layout, placement, the colour change's padding, thread codes, pictures,
// limits; and the pieces every writer of relative steps splits long steps
// into.
#include "design/thread_charts.h"
#include "export/sew_writer.h"
#include "export/step_split.h"
#include "fuzz/sewing_compare.h"
#include "tests/test_support.h"

namespace {

constexpr std::size_t kData = 0x1D78;

unsigned U16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) {
  return Bytes(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

class SewWriterTest : public ViewerTest {
 protected:
  CEncoded Sew() { return EncodeSew(dlg, {"muster"}); }
  void Fixture() {
    LoadDesign({{0, 0, KIND_STITCH},       // at the start: the placement moves it
                {100, 50, KIND_STITCH},
                {100, 50, KIND_COLOR},
                {400, 50, KIND_STITCH},    // 300: three stitches of 100
                {400, -100, KIND_MOVE},    // -150: two moves of -75
                {410, -90, KIND_STITCH}},
               FORMAT_DST);
  }
  TempDir dir;
};

}  // namespace

TEST_F(SewWriterTest, HeaderAndStitchDataMatchTheSheet) {
  Fixture();
  const Bytes b = Sew().bytes;
  ASSERT_EQ(b.size(), kData + 34);
  EXPECT_EQ(U16(b, 0), 2u);
  // DST blocks take the open chart's colours of PEC 2 and 3: Sola Blue, Peacock Green.
  EXPECT_EQ(U16(b, 2), 61u);
  EXPECT_EQ(U16(b, 4), 49u);
  EXPECT_EQ(Slice(b, 6, 20), Bytes(20, 0));
  for (int k = 0; k < 12; ++k) EXPECT_EQ(U16(b, 0x1A + 2 * k), 1u) << k;
  // Words: opening 2, lead-in move 2, two stitches, the change 2; then
  // three stitches, two moves, a stitch and the end.
  EXPECT_EQ(U16(b, 0x32), 8u);
  EXPECT_EQ(U16(b, 0x34), 9u);
  EXPECT_EQ(Slice(b, 0x36, 20), Bytes(20, 0));
  EXPECT_EQ(Slice(b, 0x4A, 2), (Bytes{0x06, 0x20}));
  for (int k = 0; k < 12; ++k) EXPECT_EQ(Slice(b, 0x10C + 68 * k, 2), (Bytes{0x03, 0x16})) << k;
  for (int k = 0; k < 13; ++k) EXPECT_EQ(Slice(b, 0x43C + 386 * k, 2), (Bytes{0x08, 0x30})) << k;

  // The box centre (205, -20) goes to (175, 99) from the start: the design
  // moves by (-30, 119), so the stream travels there first. Y up in the file.
  ByteBuilder data;
  data.bytes({0x80, 0x02, 0x00, 0x00});        // the opening
  data.bytes({0x80, 0x02, 0xE2, 0x89});        // move (-30, 119), the file's -119
  data.bytes({0x00, 0x00, 0x64, 0xCE});        // the first stitch in place, then (100, 50)
  data.bytes({0x80, 0x01, 0x00, 0x00});
  data.bytes({0x64, 0x00, 0x64, 0x00, 0x64, 0x00});
  data.bytes({0x80, 0x02, 0x00, 0x4B, 0x80, 0x02, 0x00, 0x4B});
  data.bytes({0x0A, 0xF6, 0x80, 0x10});
  EXPECT_EQ(Slice(b, kData, data.size()), data.data());

  const std::vector<SewingStep> source = SewingSteps(dlg);
  Read("sew", b);
  // Our reader takes the change's two zero bytes for a stitch in place.
  EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), 0, /*paddedColorChanges=*/true), "");
  int minX = 99999, maxX = -99999, minY = 99999, maxY = -99999;
  for (const Record& r : DecodedAfter(2)) {
    if (r.kind != KIND_STITCH) continue;
    minX = std::min(minX, r.x), maxX = std::max(maxX, r.x);
    minY = std::min(minY, r.y), maxY = std::max(maxY, r.y);
  }
  EXPECT_EQ((minX + maxX) / 2, 175);
  EXPECT_EQ((minY + maxY) / 2, 99);
  // Read from SEW, the design keeps its place and is written as it was read.
  EXPECT_EQ(Sew().bytes, b);
}

TEST_F(SewWriterTest, PaddingAllowanceCatchesAStitchThatMoves) {
  const std::vector<SewingStep> source = {{KIND_STITCH, 0, 0}, {KIND_COLOR, 0, 0}, {KIND_STITCH, 10, 0}};
  std::vector<SewingStep> written = {{KIND_STITCH, 0, 0}, {KIND_COLOR, 0, 0}, {KIND_STITCH, 0, 0},
                                     {KIND_STITCH, 10, 0}};
  EXPECT_EQ(SewingDifference(source, written, 0, true), "");
  written[2] = {KIND_STITCH, 1, 0};
  EXPECT_NE(SewingDifference(source, written, 0, true), "");
  // Where the source has the stitch in place itself, the file must hold it.
  const std::vector<SewingStep> stays = {{KIND_STITCH, 0, 0}, {KIND_COLOR, 0, 0}, {KIND_STITCH, 0, 0}};
  EXPECT_EQ(SewingDifference(stays, {{KIND_STITCH, 0, 0}, {KIND_COLOR, 0, 0}, {KIND_STITCH, 0, 0}}, 0, true), "");
  EXPECT_NE(SewingDifference(stays, {{KIND_STITCH, 0, 0}, {KIND_COLOR, 0, 0}}, 0, true), "");
}

TEST_F(SewWriterTest, ThreadCodesBySource) {
  const auto codes = [&] {
    const Bytes b = Sew().bytes;
    std::vector<unsigned> out;
    for (unsigned k = 0; k < U16(b, 0); ++k) out.push_back(U16(b, 2 + 2 * k));
    return out;
  };
  LoadDesign({{1, 0, KIND_STITCH}, {1, 0, KIND_COLOR}, {2, 0, KIND_STITCH}, {2, 0, KIND_COLOR}, {3, 0, KIND_STITCH}},
             FORMAT_SEW);
  for (int code : {5, 0, 90}) dlg.m_threads.push_back(ChartThread(ThreadChart::janome, code));
  EXPECT_EQ(codes(), (std::vector<unsigned>{5, 1, 1}));
  // From Brother indices: red -> 33 Burnt Orange, white -> 23 Silver Gray,
  // as the twin files of the samples have them.
  dlg.m_threads.clear();
  for (int index : {5, 29, 29}) dlg.m_threads.push_back(ChartThread(ThreadChart::pec, index));
  dlg.m_nFormat = FORMAT_BROTHER;
  EXPECT_EQ(codes(), (std::vector<unsigned>{33, 23, 23}));
}

TEST_F(SewWriterTest, PicturesShowTheDesignLeftmostPixelInBitSeven) {
  // 141 mm wide, no height: at 3 mm a pixel the 48 x 32 picture holds it
  // in row 16 from column 0 to 47; the last picture shrinks it into 128
  // pixels of one row.
  LoadDesign({{0, 0, KIND_STITCH}, {1410, 0, KIND_STITCH}, {1410, 0, KIND_COLOR}, {0, 0, KIND_STITCH}},
             FORMAT_DST);
  const Bytes b = Sew().bytes;
  const Bytes whole = Slice(b, 0x4C, 192);
  for (int row = 0; row < 32; ++row)
    EXPECT_EQ(Slice(whole, 6 * static_cast<std::size_t>(row), 6), Bytes(6, row == 16 ? 0xFF : 0x00)) << row;
  EXPECT_EQ(Slice(b, 0x17D6, 2), (Bytes{16, 1}));
  EXPECT_EQ(Slice(b, 0x17D8, 16), Bytes(16, 0xFF));
  EXPECT_EQ(b[0x17D8 + 16], 0);
  // Each block's own pictures; slots past the blocks stay blank.
  const auto ink = [&](std::size_t at, std::size_t n) {
    return std::count_if(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n),
                         [](std::uint8_t v) { return v != 0; });
  };
  EXPECT_GT(ink(0x10C + 2, 66), 0);
  EXPECT_GT(ink(0x10C + 68 + 2, 66), 0);
  EXPECT_EQ(ink(0x10C + 2 * 68 + 2, 66), 0);
  EXPECT_GT(ink(0x43C + 386 + 2, 384), 0);
  EXPECT_GT(ink(0x43C + 2 * 386 + 2, 384), 0);
  EXPECT_EQ(ink(0x43C + 3 * 386 + 2, 384), 0);
}

TEST_F(SewWriterTest, LimitsRefuseBeforeAnythingIsWritten) {
  std::vector<Record> records;
  for (int k = 0; k < 12; ++k) records.insert(records.end(), {{k, 0, KIND_STITCH}, {k, 0, KIND_COLOR}});
  records.push_back({50, 5, KIND_STITCH});
  LoadDesign(records, FORMAT_DST);
  const std::string path = (dir.path() / "x.sew").string();
  EXPECT_EQ(Save(*FindFormat("sew"), path), SaveOutcome::refused);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Mehr als 12 Farben, Konvertierung abgebrochen"});
  EXPECT_FALSE(std::filesystem::exists(path));

  // A block of more words than its count can say.
  const auto oneBlock = [&](int stitches) {
    dlg.BeginDesign(stitches + 4);
    for (int i = 0; i < stitches; ++i) dlg.AddStitch(static_cast<std::int16_t>(i % 2), 0);
    dlg.EndDesign();
    dlg.m_bLoaded = TRUE;
    dlg.m_nFormat = FORMAT_SEW;
  };
  oneBlock(65533);  // the opening 2, the stitches, the end 1: one word too many
  EXPECT_TRUE(Sew().Refused());
  oneBlock(65532);
  const CEncoded fits = Sew();
  ASSERT_FALSE(fits.Refused());
  EXPECT_EQ(U16(fits.bytes, 0x32), 65535u);
}

TEST(StepSplit, PiecesLieOnTheLineAddUpAndStayWithinTheRecord) {
  for (const int limit : {127, 2047}) {
    for (const auto& [dx, dy] : std::vector<std::pair<int, int>>{
             {0, 0}, {127, -127}, {128, 0}, {-2200, -100}, {2460, 1}, {-32768, 32767}, {301, -299}, {-255, 3}}) {
      std::vector<std::pair<int, int>> pieces;
      const int n = SplitStep(dx, dy, limit, [&](int px, int py) { pieces.emplace_back(px, py); });
      ASSERT_EQ(n, static_cast<int>(pieces.size()));
      EXPECT_EQ(n, StepPieces(dx, dy, limit));
      int x = 0, y = 0;
      for (int i = 0; i < n; ++i) {
        EXPECT_LE(std::abs(pieces[i].first), limit);
        EXPECT_LE(std::abs(pieces[i].second), limit);
        x += pieces[i].first;
        y += pieces[i].second;
        // Within half a unit of the exact point i/n along the step.
        EXPECT_LE(std::abs(x * n - dx * (i + 1.0)), n / 2.0 + 0.01);
        EXPECT_LE(std::abs(y * n - dy * (i + 1.0)), n / 2.0 + 0.01);
      }
      EXPECT_EQ(x, dx);
      EXPECT_EQ(y, dy);
      if (std::max(std::abs(dx), std::abs(dy)) > limit) {
        EXPECT_GT(n, 1);
      }
    }
  }
  // Halves round up: 5 in two pieces is 3, then 2.
  std::vector<int> xs;
  SplitStep(5, 0, 3, [&](int px, int) { xs.push_back(px); });
  EXPECT_EQ(xs, (std::vector<int>{3, 2}));
}
