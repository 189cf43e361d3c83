// Choosing and loading files: the reader table, the one read into the grow-only
// buffer, drops, cancels and the file-error report.
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "formats/formats.h"
#include "tests/brother_fixture.h"
#include "tests/limited_memory.h"
#include "tests/phc_fixture.h"
#include "tests/test_support.h"

namespace {

Bytes DstWithStitches(int n) {
  ByteBuilder b;
  b.fill(512, ' ');
  for (int i = 0; i < n; ++i) b.bytes({0x01, 0x00, 0x03});
  b.bytes({0x00, 0x00, 0xF3});
  return b;
}

}  // namespace

TEST(ReaderTableTest, ChoosesByUpperCasedTextInTableOrder) {
  auto reader = [](const std::string& text) {
    const FormatEntry* entry = FindReader(text);
    return entry ? std::string(entry->extension) : std::string("none");
  };
  EXPECT_EQ(reader("ROSE.PES"), ".PES");
  EXPECT_EQ(reader("rose.pes"), ".PES");
  EXPECT_EQ(reader("Rose.PeS"), ".PES");
  EXPECT_EQ(reader("blume.pes.dst"), ".PES");  // .PES comes first in the table
  EXPECT_EQ(reader("x.pec"), ".PEC");
  EXPECT_EQ(reader("x.dst"), ".DST");
  EXPECT_EQ(reader("x.Pcs"), ".PCS");
  EXPECT_EQ(reader("x.sew"), ".SEW");
  EXPECT_EQ(reader(".dst"), "none");  // a match at the first character does not count
  EXPECT_EQ(reader("x.dsx"), "none");
  EXPECT_EQ(reader("x.d\xC3\xA4st"), "none");
}

TEST(FileErrorTest, MessagesNameThePathOrAnUnnamedFile) {
  EXPECT_EQ(FileErrorMessage({FileCause::fileNotFound, "/a/b.dst"}), "/a/b.dst wurde nicht gefunden.");
  EXPECT_EQ(FileErrorMessage({FileCause::accessDenied, "x"}), "Zugriff auf x wurde verwehrt.");
  EXPECT_EQ(FileErrorMessage({FileCause::endOfFile, ""}),
            "Es wurde versucht, auf eine Stelle hinter dem Ende von eine unbenannte Datei zuzugreifen.");
  EXPECT_EQ(FileErrorMessage({FileCause::removeCurrentDir, "d"}),
            "Das Verzeichnis d konnte nicht entfernt werden, da es das aktuelle Verzeichnis ist. ");
  EXPECT_EQ(FileCauseFromErrno(ENOENT), FileCause::fileNotFound);
  EXPECT_EQ(FileCauseFromErrno(EACCES), FileCause::accessDenied);
  EXPECT_EQ(FileCauseFromErrno(ENOTDIR), FileCause::badPath);
  EXPECT_EQ(FileCauseFromErrno(ENAMETOOLONG), FileCause::badPath);
  EXPECT_EQ(FileCauseFromErrno(ENOSPC), FileCause::diskFull);
  EXPECT_EQ(FileCauseFromErrno(EIO), FileCause::hardIO);
  EXPECT_EQ(FileCauseFromErrno(12345), FileCause::genericException);
}

class FileLoadingTest : public ViewerTest {
 protected:
  void Choose(const std::string& path, const std::string& name) {
    platform.openAnswers.push_back({path, name});
    dlg.OnBrowse();
  }
  TempDir dir;
};

TEST_F(FileLoadingTest, BrowseOffersEveryMakersFilterAndLoadsTheChoice) {
  const std::string path = dir.Write("herz.dst", DstWithStitches(3));
  Choose(path, "herz.dst");
  ASSERT_EQ(platform.openRequests.size(), 1u);
  EXPECT_EQ(platform.openRequests[0].filter,
            "Design Files (*.*)|*.pes;*.pec;*.pcs;*.dst;*.sew;*.jef;*.vp3;*.exp;*.xxx;*.hus;*.vip;*.phc;*.phb|"
            "Brother (PES/PEC/PHC/PHB)|*.pes;*.pec;*.phc;*.phb|Tajima (*.dst)|*.dst|Pfaff (PCS/VIP)|*.pcs;*.vip|"
            "Janome (SEW/JEF)|*.sew;*.jef|Husqvarna (VP3/HUS)|*.vp3;*.hus|Melco (*.exp)|*.exp|"
            "Singer (*.xxx)|*.xxx||");
  EXPECT_EQ(platform.openRequests[0].filterIndex, 1);
  EXPECT_EQ(platform.openRequests[0].initialDir, ".");
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(Info(IDC_FILENAME), "herz.dst");
  EXPECT_EQ(dlg.m_strLoadedPath, path);
  EXPECT_EQ(dlg.m_nStitchCount, 3);
  EXPECT_EQ(dlg.m_fileData.size(), 512u + 12u + 1u);  // file length plus one
}

TEST_F(FileLoadingTest, CancelEmptiesTheNameButKeepsTheDesign) {
  Choose(dir.Write("a.dst", DstWithStitches(2)), "a.dst");
  dlg.OnBrowse();  // no scripted answer: cancelled
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::cancelled);
  EXPECT_EQ(dlg.m_strLoadedName, "");
  EXPECT_EQ(dlg.m_strLoadedPath, "");
  EXPECT_EQ(Info(IDC_FILENAME), "");
  EXPECT_EQ(dlg.m_nStitchCount, 2);
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 2");
}

TEST_F(FileLoadingTest, UnknownExtensionRunsNoReader) {
  Choose(dir.Write("a.dst", DstWithStitches(2)), "a.dst");
  Choose(dir.Write("b.txt", DstWithStitches(5)), "b.txt");
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::noReader);
  EXPECT_EQ(Info(IDC_FILENAME), "b.txt");
  EXPECT_EQ(dlg.m_nStitchCount, 2);
  EXPECT_TRUE(platform.notices.empty());
}

TEST_F(FileLoadingTest, BufferOnlyGrowsAndShorterFilesReuseIt) {
  Choose(dir.Write("big.dst", DstWithStitches(50)), "big.dst");
  const std::size_t size = dlg.m_fileData.size();
  Choose(dir.Write("small.dst", DstWithStitches(1)), "small.dst");
  EXPECT_EQ(dlg.m_fileData.size(), size);
  EXPECT_EQ(dlg.m_nStitchCount, 1);
  // An empty file reads nothing and still runs its reader with length 0.
  Choose(dir.Write("leer.dst", {}), "leer.dst");
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(dlg.m_nStitchCount, 0);
  EXPECT_EQ(Records().size(), 3u);
}

TEST_F(FileLoadingTest, DropTakesTheFirstFileAndItsNameChoosesTheReader) {
  std::filesystem::create_directory(dir.path() / "alt.pes");
  const std::string first = dir.Write("alt.pes/herz.dst", DstWithStitches(4));
  const std::string second = dir.Write("zwei.dst", DstWithStitches(7));
  CDropPackage drop({first, second, second});
  dlg.OnDropFiles(&drop);
  EXPECT_TRUE(drop.Finished());
  EXPECT_EQ(dlg.m_strLoadedPath, first);
  EXPECT_EQ(dlg.m_strLoadedName, "herz.dst");
  EXPECT_EQ(Info(IDC_FILENAME), "herz.dst");
  EXPECT_EQ(dlg.m_nFormat, 4);  // read as DST although the folder says .pes
  EXPECT_EQ(dlg.m_nStitchCount, 4);
}

TEST_F(FileLoadingTest, LongDroppedPathsAreNotCut) {
  std::filesystem::path deep = dir.path();
  for (int i = 0; i < 6; ++i) deep /= std::string(50, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  const std::string path = (deep / "lang.dst").string();
  ASSERT_GT(path.size(), 254u);
  { std::ofstream(path, std::ios::binary).write(" ", 1); }
  CDropPackage drop({path});
  dlg.OnDropFiles(&drop);
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(dlg.m_strLoadedPath, path);
}

TEST_F(FileLoadingTest, FileErrorsAreReportedAndLeaveTheDesign) {
  Choose(dir.Write("a.dst", DstWithStitches(2)), "a.dst");
  const std::string missing = (dir.path() / "fehlt.dst").string();
  Choose(missing, "fehlt.dst");
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::fileError);
  ASSERT_EQ(platform.notices.size(), 1u);
  EXPECT_EQ(platform.notices[0], missing + " wurde nicht gefunden.");
  EXPECT_EQ(dlg.m_strLoadedName, "fehlt.dst");  // the names keep the choice
  EXPECT_EQ(dlg.m_nStitchCount, 2);

  std::filesystem::create_directory(dir.path() / "ordner.dst");
  const std::string folder = (dir.path() / "ordner.dst").string();
  Choose(folder, "ordner.dst");
  EXPECT_EQ(platform.notices.back(), "Zugriff auf " + folder + " wurde verwehrt.");

  const std::string badPath = dir.Write("datei", {1}) + "/x.dst";
  Choose(badPath, "x.dst");
  EXPECT_EQ(platform.notices.back(), badPath + " enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe.");
  EXPECT_EQ(dlg.m_nStitchCount, 2);
}

TEST_F(FileLoadingTest, FileLockedByAnotherProgramIsASharingViolation) {
  const std::string path = dir.Write("gesperrt.dst", DstWithStitches(1));
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  Choose(path, "gesperrt.dst");
  ::close(fd);
  ASSERT_EQ(platform.notices.size(), 1u);
  EXPECT_EQ(platform.notices[0],
            "Eine Zugriffsverletzung ist w\xC3\xA4hrend des Zugriffs auf " + path + " aufgetreten.");
}

namespace {

// A file system whose files deliver fewer bytes than their length.
class ShortReadFiles : public IFileSystem {
 public:
  class File : public CInputFile {
   public:
    std::uint64_t GetLength() override { return 600; }
    std::size_t Read(void*, std::size_t n) override { return n / 2; }
    void Close() override {}
  };
  std::unique_ptr<CInputFile> OpenForRead(const std::string&) override {
    return std::make_unique<File>();
  }
  void WriteWholeFile(const std::string&, const std::uint8_t*, std::size_t) override {}
};

}  // namespace

TEST_F(FileLoadingTest, ShortReadIsAnErrorAndDecodesNothing) {
  Choose(dir.Write("a.dst", DstWithStitches(2)), "a.dst");
  ShortReadFiles files;
  platform.files = &files;
  Choose("/irgendwo/kurz.dst", "kurz.dst");
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::fileError);
  ASSERT_EQ(platform.notices.size(), 1u);
  EXPECT_EQ(platform.notices[0],
            "Es wurde versucht, auf eine Stelle hinter dem Ende von eine unbenannte Datei zuzugreifen.");
  EXPECT_EQ(dlg.m_nStitchCount, 2);
}

// A load that cannot get its memory, for the file or for the records, shows
// the generic report and leaves the previous design exactly as it was.
TEST_F(FileLoadingTest, RunningOutOfMemoryKeepsThePreviousDesign) {
  Choose(dir.Write("a.dst", DstWithStitches(2)), "a.dst");
  const std::vector<Record> before = Records();
  const std::string infoBefore = Info(IDC_INFO_STITCHES);
  const std::string big = dir.Write("gross.dst", DstWithStitches(40'000));  // 120 KB

  struct Case {
    const char* what;
    std::size_t budget;
  };
  // Too little for the file; enough for the file and X but not Y.
  for (const Case& c : {Case{"file", 64u << 10}, Case{"records", 300u << 10}}) {
    platform.notices.clear();
    {
      CMemoryLimit limit(c.budget);
      Choose(big, "gross.dst");
    }
    EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::fileError) << c.what;
    ASSERT_EQ(platform.notices.size(), 1u) << c.what;
    EXPECT_EQ(platform.notices[0], "Ein unbekannter Fehler ist beim Zugriff auf " + big + " aufgetreten.");
    EXPECT_EQ(Records(), before) << c.what;
    EXPECT_EQ(dlg.m_arrX.size(), dlg.m_arrKind.size());
    EXPECT_EQ(dlg.m_arrY.size(), dlg.m_arrKind.size());
    EXPECT_EQ(dlg.m_nStitchCount, 2);
    EXPECT_EQ(dlg.m_bLoaded, TRUE);
    EXPECT_EQ(Info(IDC_INFO_STITCHES), infoBefore);
  }
  // With memory again the same file loads.
  Choose(big, "gross.dst");
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(dlg.m_nStitchCount, 40'000);
}

// The readers that take colours and a picture from the file's header ask for
// the records' memory before they touch either. Each case on a fresh viewer:
// arrays grown by an earlier case would not run out.
class OutOfMemoryKeepsColoursTest : public FileLoadingTest {
 protected:
  // 60,000 short stitches (120 KB) in other colours and another picture.
  static PecSection Large() {
    PecSection large;
    large.colors = {20, 30, 40};
    large.stitches.assign(120'000, 0x01);
    large.stitches.insert(large.stitches.end(), {0xFF, 0x00});
    large.thumbnail = std::vector<unsigned>(228, 0xF0);
    return large;
  }
  static PhcLayout LargePhc(bool phb) {
    PhcLayout large;
    large.phb = phb;
    large.colors = {20, 30, 40};
    large.pictures.assign(3, std::vector<unsigned>(228, 0xF0));
    large.stitches = Large().stitches;
    return large;
  }
  void Check(const std::string& name, const Bytes& bytes) {
    PecSection small;
    small.colors = {5, 9};
    small.stitches = {0x01, 0x01, 0x02, 0x02, 0xFF, 0x00};
    small.thumbnail = std::vector<unsigned>(228, 0x0F);
    Choose(dir.Write("a.pec", PecFile(small)), "a.pec");
    ASSERT_EQ(dlg.m_bHasThumbnail, TRUE);
    const std::vector<std::uint8_t> colors(std::begin(dlg.m_blockColor), std::end(dlg.m_blockColor));
    const std::vector<std::uint8_t> picture(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail));
    std::vector<COLORREF> threads;
    for (const CThread& t : dlg.m_threads) threads.push_back(t.color);
    const std::string path = dir.Write(name, bytes);
    {
      CMemoryLimit limit(300u << 10);  // the file and X, not Y
      Choose(path, name);
    }
    EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::fileError);
    EXPECT_EQ(std::vector<std::uint8_t>(std::begin(dlg.m_blockColor), std::end(dlg.m_blockColor)),
              colors);
    EXPECT_EQ(std::vector<std::uint8_t>(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail)),
              picture);
    EXPECT_EQ(dlg.m_bHasThumbnail, TRUE);
    EXPECT_EQ(dlg.m_bLoaded, TRUE);
    std::vector<COLORREF> after;
    for (const CThread& t : dlg.m_threads) after.push_back(t.color);
    EXPECT_EQ(after, threads);
  }
};

TEST_F(OutOfMemoryKeepsColoursTest, Pec) { Check("gross.pec", PecFile(Large())); }
TEST_F(OutOfMemoryKeepsColoursTest, Pes) { Check("gross.pes", PesFile({Large()})); }
TEST_F(OutOfMemoryKeepsColoursTest, Sew) {
  ByteBuilder sew;
  sew.u8(3).u8(0).u16le(20).u16le(30).u16le(40).padTo(7544);
  for (int i = 0; i < 60'000; ++i) sew.u8(0x01).u8(0x01);
  Check("gross.sew", sew);
}
TEST_F(OutOfMemoryKeepsColoursTest, Exp) {
  ByteBuilder exp;
  for (int i = 0; i < 60'000; ++i) exp.bytes({0x01, 0x01});
  exp.bytes({0x80, 0x01, 0x00, 0x00});
  Check("gross.exp", exp);
}
TEST_F(OutOfMemoryKeepsColoursTest, Xxx) {
  ByteBuilder xxx;
  xxx.padTo(0x27).u16le(2).padTo(0x100);
  for (int i = 0; i < 60'000; ++i) xxx.bytes({0x01, 0x01});
  xxx.bytes({0x7F, 0x08, 0x00, 0x00, 0x7F, 0x7F, 0x03, 0x14, 0, 0, 0, 1, 2, 3, 0, 4, 5, 6});
  Check("gross.xxx", xxx);
}
TEST_F(OutOfMemoryKeepsColoursTest, Phc) { Check("gross.phc", PhcFile(LargePhc(false))); }
TEST_F(OutOfMemoryKeepsColoursTest, Phb) { Check("gross.phb", PhcFile(LargePhc(true))); }
