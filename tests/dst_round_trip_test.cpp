// DST to DST is a round trip: the same records and the design's name in LA:
// on every pass; a design whose records ST: cannot count is refused; the
// writers ask for their output's memory once.
#include <string>

#include "export/dst_writer.h"
#include "export/pcs_writer.h"
#include "tests/test_support.h"

namespace {

class DstRoundTripTest : public ViewerTest {
 protected:
  Bytes SaveAs(const char* format, const std::string& name) {
    const auto path = dir.path() / name;
    CHeadlessViewer::Save(*FindFormat(format), path.string());
    return std::filesystem::exists(path) ? ReadFileBytes(path) : Bytes{};
  }
  static std::string Field(const Bytes& file, std::size_t from, std::size_t length) {
    return std::string(file.begin() + static_cast<long>(from), file.begin() + static_cast<long>(from + length));
  }
  // Stitches at 0 and 2047 in turn after one at the start: each step takes
  // 17 records of at most 121, so ST: = 1 + 1 + 17 x steps.
  void LongSteps(int steps) {
    std::vector<Record> records{{0, 0, KIND_STITCH}};
    for (int i = 0; i < steps; ++i) records.push_back({i % 2 ? 0 : 2047, 0, KIND_STITCH});
    LoadDesign(records, FORMAT_PCS);
  }
  TempDir dir;
};

}  // namespace

// Real DST files through the DST writer, twice: no stitch added at the
// origin, the header's name kept, the second pass byte for byte the first.
TEST_F(DstRoundTripTest, CorpusFilesKeepTheirRecordsAndName) {
  const auto files = CorpusFiles("dst");
  SKIP_WITHOUT_CORPUS(files);
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const Bytes source = ReadFileBytes(path);
    ASSERT_EQ(CHeadlessViewer::Load(source, path.filename().string()), LoadOutcome::loaded);
    const std::vector<Record> records = Records();
    const std::string label = dlg.m_strLabel;
    const Bytes first = SaveAs("dst", "eins.dst");
    Read("dst", first);
    EXPECT_EQ(Records(), records);
    // A header without a name gets the file's stem.
    const std::string name = label.empty() ? DefaultSaveName(path.filename().string()) : label;
    EXPECT_EQ(Field(first, 3, 16), SingleByteLabel(name, 16));
    EXPECT_EQ(SaveAs("dst", "zwei.dst"), first);
    if (path.filename() == "embroidery-rust__fit_for_a_king.dst") {
      EXPECT_EQ(dlg.m_nStitchCount, 6661);
      EXPECT_EQ(Field(first, 0, 10), "LA:FIT FOR");
    }
  }
}

// A design without a name of its own takes the file's stem, in 16
// single-byte characters.
TEST_F(DstRoundTripTest, WithoutALabelTheStemNamesTheDesign) {
  LoadDesign({{10, 0, KIND_STITCH}}, FORMAT_PCS);
  dlg.m_strLoadedName = "Blume.pcs";
  EXPECT_EQ(Field(SaveAs("dst", "a.dst"), 0, 20), "LA:Blume           \r");
  dlg.m_strLoadedName = "Gr\xC3\xBC" "ne Wiese am Bachufer.pes";
  EXPECT_EQ(Field(SaveAs("dst", "b.dst"), 0, 20), "LA:Gr__ne Wiese am \r");
  dlg.m_strLabel = "Rose";
  EXPECT_EQ(Field(SaveAs("dst", "c.dst"), 0, 20), "LA:Rose            \r");
}

TEST_F(DstRoundTripTest, MoreRecordsThanStCountsAreRefused) {
  const int most = (9'999'999 - 2) / 17;
  LongSteps(most);
  const CEncoded fits = EncodeDst(dlg, {"lang"});
  ASSERT_FALSE(fits.Refused());
  EXPECT_EQ(Field(fits.bytes, 20, 11), "ST:" + std::to_string(2 + 17 * most) + "\r");
  EXPECT_EQ(fits.bytes.size(), 512u + 3u * (1 + 17 * static_cast<std::size_t>(most)) + 3u);  // ST: is one more
  // The output's memory asked for once: nothing to spare from doubling.
  EXPECT_EQ(fits.bytes.capacity(), fits.bytes.size());

  LongSteps(most + 1);
  const CEncoded over = EncodeDst(dlg, {"lang"});
  EXPECT_EQ(over.refusal, "Mehr als 9999999 Stiche, Konvertierung abgebrochen");
  EXPECT_TRUE(over.bytes.empty());
  EXPECT_TRUE(SaveAs("dst", "lang.dst").empty());
  EXPECT_EQ(platform.messages.back(), over.refusal);
}

TEST_F(DstRoundTripTest, PcsAsksForItsMemoryOnce) {
  LongSteps(20'000);
  const CEncoded pcs = EncodePcs(dlg, {"lang"});
  ASSERT_FALSE(pcs.Refused()) << pcs.refusal;
  EXPECT_EQ(pcs.bytes.capacity(), pcs.bytes.size());
}
