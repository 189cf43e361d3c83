// Every corpus design saved as DST and as PCS and read back, and the
// convert command as a user runs it.
#include <sys/wait.h>

#include <cstdio>

#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

struct Format {
  const char* ext;
  const char* reader;  // the source format
};

const Format kFormats[] = {{"pes", "pes"}, {"pec", "pec"},
                           {"dst", "dst"}, {"pcs", "pcs"},
                           {"sew", "sew"}};

void PrintTo(const Format& f, std::ostream* os) { *os << f.ext; }

bool IsColor(const Record& r) { return r.kind == KIND_COLOR; }

// Colour changes before the last stitch: a PCS reader stops after its
// counted stitches, so trailing changes do not come back.
long ColorsBeforeLastStitch(const std::vector<Record>& r) {
  std::size_t last = 0;
  for (std::size_t i = 1; i + 1 < r.size(); ++i)
    if (!IsColor(r[i])) last = i;
  return std::count_if(r.begin(), r.begin() + static_cast<long>(last), IsColor);
}

}  // namespace

class RoundTripTest : public ViewerTest, public ::testing::WithParamInterface<Format> {
 protected:
  void Load(const Bytes& bytes) { Read(GetParam().reader, bytes); }
  // Saves the loaded design in the format of the extension and returns the
  // file written, empty when the writer refused the design.
  Bytes Save(const char* ext) {
    const std::filesystem::path path = dir.path() / (std::string("rt.") + ext);
    std::filesystem::remove(path);
    CHeadlessViewer::Save(*FindFormat(ext), path.string());
    return std::filesystem::exists(path) ? ReadFileBytes(path) : Bytes{};
  }
  TempDir dir;
};

TEST_P(RoundTripTest, CorpusDesignsSurviveBothWriters) {
  const auto files = CorpusFiles(GetParam().ext);
  SKIP_WITHOUT_CORPUS(files);
  int pcsWritten = 0;
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    const Bytes source = ReadFileBytes(file);
    Load(source);
    if (!dlg.m_bLoaded) GTEST_SKIP() << "no reader for ." << GetParam().ext << " yet";
    const std::vector<Record> src = Records();
    const bool fromPcs = dlg.m_nFormat == 2;

    // DST: every record comes back at its position, a long move as a chain of
    // pieces of its own kind that ends there. Written record 1 follows the
    // reader's own record 1.
    Read("dst", Save("dst"));
    const std::vector<Record> dst = Records();
    std::size_t j = 2;
    for (std::size_t i = 1; i + 1 < src.size(); ++i) {
      const Record& s = src[i];
      const int kind = IsColor(s) ? KIND_COLOR : s.kind == KIND_MOVE ? KIND_MOVE : KIND_STITCH;
      for (int piece = 0; j < dst.size() && piece < 272; ++piece, ++j) {
        ASSERT_EQ(dst[j].kind, kind) << "record " << i;
        if (dst[j].x == s.x && dst[j].y == s.y) break;
      }
      ASSERT_LT(j, dst.size()) << "record " << i;
      ++j;
    }
    ASSERT_EQ(j + 1, dst.size());
    EXPECT_EQ(dst.back().kind, KIND_END);

    // PCS: every stitch and move comes back as what it was, at its position
    // relative to the first one within the rounding to 1/6 mm; designs the
    // writer refuses are left out.
    Load(source);
    const Bytes pcs = Save("pcs");
    if (pcs.empty()) continue;
    ++pcsWritten;
    Read("pcs", pcs);
    const std::vector<Record> back = Records();
    std::vector<Record> want, got;
    for (std::size_t i = 1; i + 1 < src.size(); ++i)
      if (!IsColor(src[i])) want.push_back(src[i]);
    for (std::size_t i = 1; i + 1 < back.size(); ++i)
      if (!IsColor(back[i])) got.push_back(back[i]);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i].kind, want[i].kind == KIND_MOVE ? int{KIND_MOVE} : int{KIND_STITCH}) << "stitch " << i;
      ASSERT_LE(std::abs((got[i].x - got[0].x) - (want[i].x - want[0].x)), 2) << "stitch " << i;
      ASSERT_LE(std::abs((got[i].y - got[0].y) - (want[i].y - want[0].y)), 2) << "stitch " << i;
    }
    EXPECT_EQ(ColorsBeforeLastStitch(back), ColorsBeforeLastStitch(src) + (fromPcs ? 0 : 1));
  }
  RecordProperty("pcs_written", pcsWritten);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTripTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.ext); });

namespace {

Bytes Dst(int stitches, int colorChanges) {
  ByteBuilder b;
  b.fill(512, ' ');
  for (int i = 0; i < colorChanges; ++i) b.bytes({0x00, 0x00, 0xC3});
  for (int i = 0; i < stitches; ++i) b.bytes({i % 2 ? 0x01u : 0x02u, 0x00, 0x03});
  b.bytes({0x00, 0x00, 0xF3});
  return b;
}

}  // namespace

TEST(ConvertCommandTest, WritesRefusesAndConvertsIntoAFolder) {
  TempDir dir;
  const auto at = [&](const std::string& name) { return (dir.path() / name).string(); };
  const std::string small = dir.Write("klein.dst", Dst(3, 1));
  EXPECT_EQ(CliStatus("convert " + small + " " + at("klein.PCS")), 0);
  EXPECT_EQ(ReadFileBytes(at("klein.PCS")).size(), 70u + 9 * 6 + 31);
  EXPECT_EQ(CliStatus("convert " + small + " " + at("k.dst")), 0);
  EXPECT_EQ(ReadFileBytes(at("k.dst")).size(), 512u + 3 * 5 + 3);

  // A refusal creates nothing; a warning goes on.
  EXPECT_EQ(CliStatus("convert " + dir.Write("bunt.dst", Dst(2, 16)) + " " + at("bunt.pcs")), 1);
  EXPECT_FALSE(std::filesystem::exists(at("bunt.pcs")));
  EXPECT_EQ(CliStatus("convert " + dir.Write("lang.dst", Dst(14001, 0)) + " " + at("lang.pcs")), 0);
  EXPECT_TRUE(std::filesystem::exists(at("lang.pcs")));

  EXPECT_EQ(CliStatus("convert " + small + " " + at("x.txt")), 2);
  EXPECT_EQ(CliStatus("convert " + small), 2);
  EXPECT_EQ(CliStatus("convert " + at("fehlt.dst") + " " + at("y.dst")), 1);

  std::filesystem::create_directory(dir.path() / "aus");
  EXPECT_EQ(CliStatus("convert --to pcs -o " + at("aus") + " " + small + " " + at("lang.dst")), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "aus" / "klein.pcs"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "aus" / "lang.pcs"));
  // Two inputs of one name: the second is not written over the first.
  std::filesystem::create_directory(dir.path() / "sub");
  const std::string twin = dir.Write("sub/klein.dst", Dst(40, 0));
  EXPECT_EQ(CliStatus("convert --to dst -o " + at("aus") + " " + small + " " + twin), 1);
  EXPECT_EQ(ReadFileBytes(dir.path() / "aus" / "klein.dst").size(), 512u + 3 * 5 + 3);
}
