// Every written format sews what its source sews: for every source format
// (real designs of the corpus and generated ones) and every format the
// program writes, the file read back holds the source's needle penetrations,
// travels and colour changes and no other, and writing it again gives the
// same bytes.
#include <filesystem>

#include "fuzz/sewing_compare.h"
#include "tests/test_support.h"

namespace {

// PCS keeps whole 1/6 mm: a position may move by up to 2 units.
int ToleranceOf(const FormatEntry& format) { return format.code == FORMAT_PCS ? 2 : 0; }
// Our SEW reader takes the two zero bytes that end a colour change for a stitch.
bool PaddedColorChanges(const FormatEntry& format) { return format.code == FORMAT_SEW; }

class NeedleRecordsTest : public ViewerTest {
 protected:
  // Writes the loaded design as format into the folder; empty when refused.
  Bytes Write(const FormatEntry& format, const std::string& name) {
    const auto path = dir.path() / name;
    std::filesystem::remove(path);
    CHeadlessViewer::Save(format, path.string());
    return std::filesystem::exists(path) ? ReadFileBytes(path) : Bytes{};
  }
  // The source as loaded now, written in every written format, read back
  // and written again.
  void CheckEveryWriter(const std::string& what) {
    const std::vector<SewingStep> source = SewingSteps(dlg);
    for (const FormatEntry& format : Formats()) {
      if (!format.encode) continue;
      SCOPED_TRACE(what + " as " + format.name);
      const Bytes first = Write(format, std::string("first.") + format.name);
      if (first.empty()) {
        ++refused;
        Restore();
        continue;
      }
      Read(format.name, first);
      EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), ToleranceOf(format), PaddedColorChanges(format)), "");
      const Bytes second = Write(format, std::string("second.") + format.name);
      EXPECT_TRUE(first == second) << "a second pass changes the file";
      ++written;
      Restore();
    }
  }
  // Loads the source file again, after a writer's output was read back.
  void Restore() { ASSERT_EQ(CHeadlessViewer::Load(m_source, m_sourceName), LoadOutcome::loaded); }
  void LoadSource(const Bytes& bytes, const std::string& name) {
    m_source = bytes;
    m_sourceName = name;
    ASSERT_EQ(CHeadlessViewer::Load(bytes, name), LoadOutcome::loaded);
  }

  TempDir dir;
  int written = 0, refused = 0;
  Bytes m_source;
  std::string m_sourceName;
};

}  // namespace

TEST_F(NeedleRecordsTest, EveryCorpusDesignThroughEveryWriter) {
  bool any = false;
  for (const FormatEntry& source : Formats()) {
    for (const auto& file : CorpusFiles(source.name)) {
      any = true;
      LoadSource(ReadFileBytes(file), file.filename().string());
      CheckEveryWriter(file.filename().string());
    }
  }
  if (!any) GTEST_SKIP() << "corpus folder not present";
  RecordProperty("written", written);
  RecordProperty("refused", refused);
  EXPECT_GT(written, 0);
}

TEST_F(NeedleRecordsTest, GeneratedDesignsThroughEveryWriterAndBack) {
  // Each design written by a writer of its own format first, so that every
  // source format is one whose reader the writers' output has to survive.
  const std::vector<std::vector<Record>> designs = {
      // The first stitch away from the origin, a long step, a colour change.
      {{30, -40, KIND_STITCH}, {35, -38, KIND_STITCH}, {400, 300, KIND_STITCH}, {400, 300, KIND_COLOR},
       {390, 310, KIND_STITCH}},
      // A lead-in move, a travel of many pieces, stitches after it.
      {{-200, 150, KIND_MOVE}, {-195, 150, KIND_STITCH}, {800, -600, KIND_MOVE}, {805, -600, KIND_STITCH},
       {806, -590, KIND_STITCH}},
      // The first stitch at the origin itself, then short steps both ways.
      {{0, 0, KIND_STITCH}, {5, 5, KIND_STITCH}, {-5, 5, KIND_STITCH}, {-5, 5, KIND_COLOR},
       {-5, 5, KIND_COLOR}, {0, -3, KIND_STITCH}},
  };
  for (std::size_t n = 0; n < designs.size(); ++n) {
    for (const FormatEntry& format : Formats()) {
      if (!format.encode) continue;
      LoadDesign(designs[n], FORMAT_DST);
      const Bytes bytes = Write(format, std::string("gen.") + format.name);
      if (bytes.empty()) continue;
      LoadSource(bytes, std::string("gen.") + format.name);
      CheckEveryWriter("design " + std::to_string(n) + " from " + format.name);
    }
  }
  EXPECT_GT(written, 0);
}

TEST_F(NeedleRecordsTest, NoStitchIsAddedAtTheOrigin) {
  // The three designs the fault was found with: as many penetrations in
  // the DST and PCS files as in the source.
  const char* const names[] = {"Rust-Embroidery-Catalogue__rectangle.pes", "embroidery-rust__OSHLogo.dst",
                               "PEmbroider__pes_v1_trunc.pes"};
  bool any = false;
  for (const char* name : names) {
    const std::string ext = std::filesystem::path(name).extension().string().substr(1);
    for (const auto& file : CorpusFiles(ext)) {
      if (file.filename() != name) continue;
      any = true;
      LoadSource(ReadFileBytes(file), name);
      const auto penetrations = [](const std::vector<SewingStep>& steps) {
        return std::count_if(steps.begin(), steps.end(), [](const SewingStep& s) { return s.kind == KIND_STITCH; });
      };
      const auto want = penetrations(SewingSteps(dlg));
      for (const char* to : {"dst", "pcs"}) {
        Restore();
        const Bytes out = Write(*FindFormat(to), std::string("o.") + to);
        if (out.empty()) continue;  // PCS refuses designs of too many stitches
        Read(to, out);
        // Long steps may be split: only the DST file of the last one has them.
        EXPECT_LE(want, penetrations(SewingSteps(dlg))) << name << " as " << to;
        if (std::string(name) != "PEmbroider__pes_v1_trunc.pes") {
          EXPECT_EQ(want, penetrations(SewingSteps(dlg))) << name << " as " << to;
        }
      }
    }
  }
  if (!any) GTEST_SKIP() << "corpus folder not present";
}
