// Files read by what they are: the reader that the name selects unless the
// content carries another format's signature; a file that cannot be a
// design of its format is reported instead of drawn, and the design shown
// before stays. Every real file still reads as its reader alone reads it.
#include <algorithm>
#include <cstring>

#include "formats/formats.h"
#include "fuzz/design_invariants.h"
#include "platform/png/png_file.h"
#include "tests/brother_fixture.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

// The design that the reader makes of bytes on its own, as every load did
// before the content was looked at.
CDesignSnapshot ReaderAlone(const FormatEntry& reader, const Bytes& bytes) {
  CHeadlessViewer viewer(kMemoryOnly);
  viewer.dlg.m_fileData.SetSize(bytes.size() + 1);
  std::copy(bytes.begin(), bytes.end(), viewer.dlg.m_fileData.data());
  reader.read(viewer.dlg, static_cast<int>(bytes.size()));
  return TakeSnapshot(viewer.dlg, viewer.platform);
}

CDesignSnapshot LoadedAs(const std::string& name, const Bytes& bytes, LoadOutcome expected = LoadOutcome::loaded) {
  CHeadlessViewer viewer(kMemoryOnly);
  EXPECT_EQ(viewer.Load(bytes, name), expected) << name;
  return TakeSnapshot(viewer.dlg, viewer.platform);
}

// A real PNG picture, 40 x 30 pixels of two colours.
Bytes Picture() {
  CPixelBuffer pixels;
  pixels.Resize(40, 30);
  for (std::size_t i = 0; i < pixels.pixels.size(); ++i) pixels.pixels[i] = i % 7 ? 0xFFFFFF : 0x2040C0;
  return EncodePng(pixels);
}

Bytes Text() {
  return ByteBuilder().text("Einkaufsliste:\n- Garn, rot\n- Nadeln 75/11\n- Stickvlies\n").padTo(900, ' ');
}

Bytes Dst(std::initializer_list<unsigned> header = {}) {
  ByteBuilder b;
  b.fill(512, ' ');
  std::size_t at = 0;
  for (unsigned v : header) b.put(at++, v);
  for (int i = 0; i < 20; ++i) b.bytes({i % 2 ? 0x05u : 0xA0u, 0x00, 0x03});
  return b.bytes({0x00, 0x00, 0xF3});
}

const FormatEntry& Row(const char* name) { return *FindFormat(name); }

const FormatEntry* Reader(const char* named, const Bytes& bytes) {
  return ContentReader(Row(named), ByteView(bytes, static_cast<int>(bytes.size())));
}

}  // namespace

TEST(ContentDetectionTest, CorpusFilesLoadAsTheirReaderReadsThem) {
  int files = 0;
  bool mislabelledSeen = false;
  for (const FormatEntry& format : Formats()) {
    for (const auto& path : CorpusFiles(format.name)) {
      ++files;
      const Bytes bytes = ReadFileBytes(path);
      const std::string name = path.filename().string();
      const CDesignSnapshot loaded = LoadedAs(name, bytes);
      if (name == "PEmbroider__PEmbroider_shape_hatching_1.pec") {
        // A PES file under a PEC name: read as the PES it is, no longer as
        // one 822 mm line of the PEC reader.
        mislabelledSeen = true;
        EXPECT_EQ(DescribeDifference(ReaderAlone(Row("pes"), bytes), loaded), "");
        EXPECT_NE(DescribeDifference(ReaderAlone(format, bytes), loaded), "");
        EXPECT_GT(loaded.stitchCount, 1000);
        continue;
      }
      EXPECT_EQ(DescribeDifference(ReaderAlone(format, bytes), loaded), "") << name;
    }
  }
  if (files == 0) GTEST_SKIP() << "corpus folder not present";
  EXPECT_TRUE(mislabelledSeen || CorpusFiles("pec").empty());
}

TEST(ContentDetectionTest, TheContentChoosesAmongTheRows) {
  const Bytes pes = PesFile({PecSection{}}), pec = PecFile(PecSection{});
  // A signature of another row takes the file to that row.
  EXPECT_EQ(Reader("pec", pes), &Row("pes"));
  EXPECT_EQ(Reader("dst", pes), &Row("pes"));
  EXPECT_EQ(Reader("pes", pec), &Row("pec"));
  EXPECT_EQ(Reader("pec", pec), &Row("pec"));
  // PEC files of other version digits than "#PEC0001" still are PEC files.
  EXPECT_EQ(Reader("pec", PecFile(PecSection{}, "20")), &Row("pec"));
  // Empty files are read by the name's reader, as always.
  for (const FormatEntry& f : Formats()) EXPECT_EQ(Reader(f.name, {}), &f) << f.name;

  // PES requires its signature; PEC files start with "#PEC".
  EXPECT_EQ(Reader("pes", Text()), nullptr);
  EXPECT_EQ(Reader("pes", Bytes(12, 0)), nullptr);
  EXPECT_EQ(Reader("pes", ByteBuilder().text("#PE")), nullptr);
  EXPECT_EQ(Reader("pec", Text()), nullptr);
  EXPECT_EQ(Reader("pec", ByteBuilder().text("#PEX0001").padTo(600)), nullptr);

  // DST: a header of blanks, zeros, text lines and bytes of any code page
  // is one; a control byte no header line holds is not.
  EXPECT_EQ(Reader("dst", Dst()), &Row("dst"));
  EXPECT_EQ(Reader("dst", Dst({'L', 'A', ':', 0xC4, 'r', 0, 0, '\r', '\n', '\t', 0x1A})), &Row("dst"));
  EXPECT_EQ(Reader("dst", ByteBuilder().fill(700, 0)), &Row("dst"));
  EXPECT_EQ(Reader("dst", ByteBuilder().text("LA:kurz")), &Row("dst"));
  EXPECT_EQ(Reader("dst", Picture()), nullptr);
  EXPECT_EQ(Reader("dst", Dst({'L', 'A', ':', 0x01})), nullptr);
  EXPECT_EQ(Reader("dst", Dst({'L', 'A', ':', 0x7F})), nullptr);
  Bytes late = Dst();
  late[511] = 0x1B;
  EXPECT_EQ(Reader("dst", late), nullptr);
  late[511] = ' ';
  late[512] = 0x1B;  // a record byte: anything goes
  EXPECT_EQ(Reader("dst", late), &Row("dst"));
}

class UnreadableFileTest : public ViewerTest {
 protected:
  void Choose(const std::string& path) {
    platform.openAnswers.push_back({path, BaseName(path)});
    dlg.OnBrowse();
  }
  TempDir dir;
};

// The hostile files of the window: a text named .pes, a PNG named .dst.
TEST_F(UnreadableFileTest, IsReportedAndTheDesignBeforeStays) {
  Choose(dir.Write("herz.dst", Dst()));
  ASSERT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  const CDesignSnapshot shown = TakeSnapshot(dlg, platform);
  const std::string text = dir.Write("notiz.pes", Text()), png = dir.Write("bild.dst", Picture());
  for (const std::string& path : {text, png}) {
    platform.notices.clear();
    Choose(path);
    EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::unreadable) << path;
    EXPECT_EQ(platform.notices, std::vector<std::string>{path + " enth\xC3\xA4lt kein lesbares Stickmuster."});
    EXPECT_EQ(DescribeDifference(shown, TakeSnapshot(dlg, platform)), "") << path;
    EXPECT_EQ(Info(IDC_FILENAME), BaseName(path));  // the name shows the choice, as for any other failure
  }
  // Dropped, the same.
  CDropPackage drop({png});
  dlg.OnDropFiles(&drop);
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::unreadable);
  EXPECT_EQ(DescribeDifference(shown, TakeSnapshot(dlg, platform)), "");

  // A PES file named .pec is read as the PES it is.
  PecSection section;
  section.stitches = {0x0A, 0x00, 0x00, 0x0A, 0xFF, 0x00};
  Choose(dir.Write("falsch.pec", PesFile({section})));
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(DescribeDifference(ReaderAlone(Row("pes"), PesFile({section})), TakeSnapshot(dlg, platform)), "");
}

TEST(UnreadableFileCliTest, ExitsWithTheMessage) {
  TempDir dir;
  const std::string text = dir.Write("notiz.pes", Text()), png = dir.Write("bild.dst", Picture());
  for (const std::string& command : {"info " + text, "dump " + png, "convert " + png + " " + dir.path().string() + "/x.pcs",
                                     "render " + text + " " + dir.path().string() + "/x.png"}) {
    const CliRun run = RunCliErrors(command);
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_NE(run.out.find(" holds no readable embroidery design.\n"), std::string::npos) << run.out;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.pcs"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.png"));
}
