// Every real design file of the corpus, every 1/16 cut of it and copies with
// bytes flipped (fixed seed) load into a sound design, through the same load
// path and checks as the fuzz targets; under the sanitizer build this also
// proves that no read leaves the file's bytes.
#include <random>

#include "fuzz/design_invariants.h"
#include "platform/headless/headless_viewer.h"
#include "tests/test_support.h"

namespace {

constexpr int kCuts = 16;
constexpr int kFlippedCopies = 6;

class CorpusSweepTest : public ::testing::TestWithParam<const char*> {
 protected:
  // Loads bytes into the long-lived dialog and into a fresh one: both must
  // hold a sound design, and the same one.
  void Check(const Bytes& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    const std::string name = std::string("sweep.") + GetParam();
    ASSERT_EQ(used.Load(bytes, name), LoadOutcome::loaded);
    EXPECT_EQ(FindDesignViolation(used.dlg, used.platform), "");
    CHeadlessViewer fresh(kMemoryOnly);
    ASSERT_EQ(fresh.Load(bytes, name), LoadOutcome::loaded);
    EXPECT_EQ(DescribeDifference(TakeSnapshot(fresh.dlg, fresh.platform), TakeSnapshot(used.dlg, used.platform)),
              "");
  }

  CHeadlessViewer used{kMemoryOnly};
};

}  // namespace

TEST_P(CorpusSweepTest, WholeCutAndFlippedFilesLoadSoundly) {
  const auto files = CorpusFiles(GetParam());
  SKIP_WITHOUT_CORPUS(files);
  std::mt19937 rng(20261208);
  for (const auto& path : files) {
    const Bytes bytes = ReadFileBytes(path);
    const std::string file = path.filename().string();
    Check(bytes, file);
    EXPECT_GT(used.dlg.m_nStitchCount, 0) << file << " decodes no stitches";
    for (int k = kCuts - 1; k >= 0; --k) {
      const std::size_t cut = bytes.size() * static_cast<std::size_t>(k) / kCuts;
      Check(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)),
            file + " cut to " + std::to_string(cut) + " bytes");
    }
    if (bytes.empty()) continue;
    std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int copy = 0; copy < kFlippedCopies; ++copy) {
      Bytes flipped = bytes;
      // From a single byte up to one in four: header fields and stitch data alike.
      const std::size_t flips = copy == 0 ? 1 : 1 + bytes.size() / (32u >> (copy % 4));
      for (std::size_t f = 0; f < flips; ++f) flipped[at(rng)] = static_cast<std::uint8_t>(value(rng));
      Check(flipped, file + " with " + std::to_string(flips) + " bytes changed, copy " + std::to_string(copy));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, CorpusSweepTest, ::testing::Values("dst", "pec", "pes", "pcs", "sew"),
                         [](const auto& info) { return std::string(info.param); });
