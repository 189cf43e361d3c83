// Every real design file of the corpus, every 1/16 cut of it and copies with
// bytes flipped (fixed seed) load into a sound design, through the same load
// path and checks as the fuzz targets; under the sanitizer build this also
// proves that no read leaves the file's bytes. Real files must also decode
// to something: stitches, the five texts, colours their table holds; and a
// cut decodes the whole file's records up to where its data stops.
#include <algorithm>
#include <random>

#include "fuzz/design_invariants.h"
#include "platform/headless/headless_viewer.h"
#include "tests/test_support.h"

namespace {

constexpr int kCuts = 16;
constexpr int kFlippedCopies = 6;

using Records = std::vector<CDesignSnapshot::Rec>;

// Entries of the table that the file's own colour indices name; 0 for DST,
// whose block colours the reader makes up.
int NamedColorTable(const CViewerDlg& dlg) {
  if (dlg.m_bFileColors) return kFileColorEntries;
  if (dlg.m_bJanomeColors) return kJanomePaletteEntries;
  return dlg.m_nFormat == FORMAT_BROTHER ? kBrotherColors : 0;
}

class CorpusSweepTest : public ::testing::TestWithParam<const char*> {
 protected:
  // Loads bytes into the long-lived dialog and into a fresh one: both must
  // hold a sound design, and the same one. Returns its records. Changed
  // bytes may make a file that cannot be of its format (a control byte in
  // a DST header, a PES without "#PES"): reported, with the design before
  // still shown.
  Records Check(const Bytes& bytes, const std::string& what, bool mayBeRefused = false) {
    SCOPED_TRACE(what);
    const std::string name = std::string("sweep.") + GetParam();
    const CDesignSnapshot before = TakeSnapshot(used.dlg, used.platform);
    const LoadOutcome outcome = used.Load(bytes, name);
    refused = mayBeRefused && outcome == LoadOutcome::unreadable;
    if (refused) {
      EXPECT_EQ(DescribeDifference(before, TakeSnapshot(used.dlg, used.platform)), "");
      return before.records;
    }
    EXPECT_EQ(outcome, LoadOutcome::loaded);
    EXPECT_EQ(FindDesignViolation(used.dlg, used.platform, bytes.size()), "");
    EXPECT_EQ(used.dlg.m_nFormat, FindFormat(GetParam())->code);
    CHeadlessViewer fresh(kMemoryOnly);
    EXPECT_EQ(fresh.Load(bytes, name), LoadOutcome::loaded);
    const CDesignSnapshot design = TakeSnapshot(used.dlg, used.platform);
    EXPECT_EQ(DescribeDifference(TakeSnapshot(fresh.dlg, fresh.platform), design), "");
    return design.records;
  }

  void ExpectRealDesign(const std::string& file) {
    const CViewerDlg& dlg = used.dlg;
    EXPECT_GT(dlg.m_nStitchCount, 0) << file << " decodes no stitches";
    for (int id : kInfoFieldIds) EXPECT_NE(used.Info(id), "") << file << " field " << id;
    // Block k's index; a PCS design's blocks start after its first change.
    const int table = NamedColorTable(dlg), first = dlg.m_bFileColors ? 1 : 0;
    for (int k = first; table && k < std::min(dlg.m_nColorCount, kBlockColorEntries + first); ++k)
      EXPECT_LT(dlg.m_blockColor[k - first], table) << file << " block " << k;
  }

  CHeadlessViewer used{kMemoryOnly};
  bool refused = false;  // the last Check's file was reported, not read
};

// A cut this short may end inside a format's header, which then cannot be
// told from other bytes (the longest, DST's, is 512 bytes).
constexpr std::size_t kHeaderCut = 512;

}  // namespace

TEST_P(CorpusSweepTest, WholeCutAndFlippedFilesLoadSoundly) {
  const auto files = CorpusFiles(GetParam());
  SKIP_WITHOUT_CORPUS(files);
  std::mt19937 rng(20261208);
  int thumbnails = 0;
  for (const auto& path : files) {
    const Bytes bytes = ReadFileBytes(path);
    const std::string file = path.filename().string();
    const Records whole = Check(bytes, file);
    ExpectRealDesign(file);
    thumbnails += used.dlg.m_bHasThumbnail;
    // Stacked parts move with the parts after them, so only their cuts may
    // differ from the whole design.
    const bool stacked = used.Info(IDC_INFO_COLORS).starts_with("Teile:");
    // Every reader starts a design at its first stitch or move.
    const auto start = std::find_if(whole.begin() + 1, whole.end(),
                                    [](const auto& r) { return r.kind == KIND_STITCH || r.kind == KIND_MOVE; });
    if (!stacked && start != whole.end()) {
      EXPECT_TRUE(start->x == 0 && start->y == 0) << file;
    }
    for (int k = kCuts - 1; k >= 0; --k) {
      const std::size_t cut = bytes.size() * static_cast<std::size_t>(k) / kCuts;
      const std::string what = file + " cut to " + std::to_string(cut) + " bytes";
      const Records part =
          Check(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)), what, cut < kHeaderCut);
      if (stacked || refused) continue;
      ASSERT_LE(part.size(), whole.size()) << what;
      EXPECT_TRUE(std::equal(part.begin(), part.end() - 1, whole.begin())) << what;
    }
    if (bytes.empty()) continue;
    std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int copy = 0; copy < kFlippedCopies; ++copy) {
      Bytes flipped = bytes;
      // From a single byte up to one in four: header fields and stitch data alike.
      const std::size_t flips = copy == 0 ? 1 : 1 + bytes.size() / (32u >> (copy % 4));
      for (std::size_t f = 0; f < flips; ++f) flipped[at(rng)] = static_cast<std::uint8_t>(value(rng));
      Check(flipped, file + " with " + std::to_string(flips) + " bytes changed, copy " + std::to_string(copy),
            true);
    }
  }
  // Some writers leave a Brother file's thumbnail offset blank, not all.
  if (FindFormat(GetParam())->code == FORMAT_BROTHER) {
    EXPECT_GT(thumbnails, 0);
  }
}

// Every format of the table; those without corpus files skip.
std::vector<const char*> TableFormatNames() {
  std::vector<const char*> names;
  for (const FormatEntry& f : Formats()) names.push_back(f.name);
  return names;
}

INSTANTIATE_TEST_SUITE_P(Formats, CorpusSweepTest, ::testing::ValuesIn(TableFormatNames()),
                         [](const auto& info) { return std::string(info.param); });
