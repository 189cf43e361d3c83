// The DST writer: record encoding, the split of long moves, the header, and
// saving through the dialog without ever damaging an existing file.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "export/dst_writer.h"
#include "tests/test_support.h"

namespace {

std::string Hex(const std::array<std::uint8_t, 3>& b) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", b[0], b[1], b[2]);
  return text;
}

}  // namespace

class DstWriterTest : public ViewerTest {
 protected:
  // A loaded design from the reader steps; positions are absolute.
  void Design(std::initializer_list<Record> records) {
    LoadDesign(records, 4);
  }
  std::string Target(const std::string& name = "out.dst") { return (dir.path() / name).string(); }
  Bytes Save(const std::string& path) {
    platform.saveAnswers.push_back({true, path});
    dlg.OnSaveDst();
    return ReadFileBytes(path);
  }
  // The file read back, with each record's movement from the one before;
  // the first entry is the first record written.
  std::vector<Record> Moves(const Bytes& file) {
    Read("dst", file);
    auto r = Records();
    std::vector<Record> out;
    for (std::size_t i = 2; i + 1 < r.size(); ++i)
      out.push_back({r[i].x - r[i - 1].x, r[i].y - r[i - 1].y, r[i].kind});
    return out;
  }
  TempDir dir;
};

TEST_F(DstWriterTest, EveryStepOfBothAxesDecodesToItself) {
  // Each value on X, on Y, and paired with a spread of values on the other axis.
  std::vector<Record> steps;
  for (int v = -121; v <= 121; ++v) {
    steps.push_back({v, 0, KIND_STITCH});
    steps.push_back({0, v, KIND_STITCH});
    steps.push_back({v, (v + 121) * 37 % 243 - 121, KIND_STITCH});  // a permutation of Y
  }
  ByteBuilder file;
  file.fill(512);
  for (const Record& s : steps) {
    const auto b = EncodeDstMove(static_cast<std::int16_t>(s.x), static_cast<std::int16_t>(s.y));
    EXPECT_EQ(b[2] & 0xC3, 0x03) << s.x << "," << s.y;  // a plain stitch
    file.bytes({b[0], b[1], b[2]});
  }
  const auto moves = Moves(file);
  steps.insert(steps.begin(), {0, 0, KIND_STITCH});  // Moves() starts after record 1
  ASSERT_EQ(moves.size() + 1, steps.size());
  for (std::size_t i = 0; i < moves.size(); ++i) EXPECT_EQ(moves[i], steps[i + 1]);

  EXPECT_EQ(Hex(EncodeDstMove(0, 1)), "40 00 03");
  EXPECT_EQ(Hex(EncodeDstMove(41, 0)), "0A 0A 07");
  EXPECT_EQ(Hex(EncodeDstMove(-121, 121)), "5A 5A 1B");
  EXPECT_EQ(Hex(EncodeDstMove(100, -50)), "49 54 27");
  EXPECT_EQ(Hex(EncodeDstMove(10, 20)), "A5 50 03");
  EXPECT_EQ(Hex(EncodeDstMove(83, -3)), "02 81 07");
}

TEST_F(DstWriterTest, LongMovesSplitIntoRecordsThatAddUp) {
  using Pieces = std::vector<Record>;
  // The design's first stitch at the origin, then the long one.
  auto split = [&](int dx, int dy) {
    Design({{0, 0, KIND_STITCH}, {dx, dy, KIND_STITCH}});
    Pieces p = Moves(Save(Target()));
    p.erase(p.begin());  // the stitch at the origin
    return p;
  };
  auto same = [](int n, Record r) { return Pieces(static_cast<std::size_t>(n), r); };
  EXPECT_EQ(split(300, 0), same(3, {100, 0, KIND_STITCH}));
  // Each piece ends on the step's line, rounded: 83.3, 166.7, 250.
  EXPECT_EQ(split(250, -10), (Pieces{{83, -3, 1}, {84, -4, 1}, {83, -3, 1}}));
  EXPECT_EQ(split(242, 0), same(2, {121, 0, KIND_STITCH}));
  EXPECT_EQ(split(-500, 130), same(5, {-100, 26, KIND_STITCH}));
  EXPECT_EQ(split(121, -121), same(1, {121, -121, KIND_STITCH}));
  EXPECT_EQ(split(122, 0), same(2, {61, 0, KIND_STITCH}));
  // Equal thirds would be 120.7: the rounding spreads the excess.
  EXPECT_EQ(split(362, -362), (Pieces{{121, -121, 1}, {120, -120, 1}, {121, -121, 1}}));
  // A long step leaves no piece off its line, however many it takes.
  const Pieces slant = split(17525, -8138);
  int px = 0, py = 0;
  for (const Record& p : slant) {
    px += p.x;
    py += p.y;
    EXPECT_LE(std::abs(static_cast<long long>(px) * -8138 - static_cast<long long>(py) * 17525),
              19322LL) << px << ", " << py;  // within one unit of the line
  }

  // The 16-bit extremes: every record within one step, and the sum exact.
  const Pieces far = split(32767, -32768);
  ASSERT_EQ(far.size(), 271u);
  int x = 0, y = 0;
  for (const Record& p : far) {
    EXPECT_LE(std::abs(p.x), 121);
    EXPECT_LE(std::abs(p.y), 121);
    x += p.x;
    y += p.y;
  }
  EXPECT_EQ(x, 32767);
  EXPECT_EQ(y, -32768);
}

TEST_F(DstWriterTest, ColourChangesAndMovesInTheRecordStream) {
  Design({{10, 0, KIND_STITCH}, {10, 0, KIND_COLOR}, {20, 5, KIND_STITCH}, {300, 5, KIND_MOVE},
          {301, 5, KIND_STITCH}});
  const Bytes file = Save(Target());
  EXPECT_EQ(file.size(), 512u + 3 * (1 + 1 + 1 + 1 + 3 + 1) + 3);
  // The first stitch lies away from the origin: a jump there, then the
  // stitch where the needle is.
  EXPECT_EQ(Bytes(file.begin() + 512, file.begin() + 521),
            (Bytes{0x05, 0x00, 0x83, 0x00, 0x00, 0x03, 0x00, 0x00, 0xC3}));
  // Moves are written as jumps, split like stitches, and read back as moves.
  EXPECT_EQ(Moves(file), (std::vector<Record>{{10, 0, KIND_MOVE}, {0, 0, 1}, {0, 0, KIND_COLOR}, {10, 5, 1},
                                              {93, 0, KIND_MOVE}, {94, 0, KIND_MOVE},
                                              {93, 0, KIND_MOVE}, {1, 0, 1}}));
  EXPECT_EQ(std::string(file.begin() + 20, file.begin() + 31), "ST:      8\r");
}

TEST_F(DstWriterTest, HeaderLinesAndExtents) {
  Design({{-250, -120, KIND_STITCH}, {300, 80, KIND_STITCH}, {300, 80, KIND_COLOR}});
  dlg.m_nRotation = 1;  // the view's turn is not saved
  const Bytes file = Save(Target());
  const std::string header(file.begin(), file.begin() + 125);
  EXPECT_EQ(header,
            "LA:                \rST:     10\rCO:  2\r+X:  300\r-X:  250\r+Y:  120\r-Y:   80\r"
            "AX:+    0\rAY:+    0\rMX:+    0\rMY:+    0\rPD:******\r\x1A");
  EXPECT_EQ(Bytes(file.begin() + 125, file.begin() + 512), Bytes(387, ' '));
  EXPECT_EQ(Bytes(file.end() - 3, file.end()), (Bytes{0x00, 0x00, 0xF3}));

  // Record 1 already the end (a PCS file without stitches): header and end
  // record only, ST 1, and no sentinel bounds in the extents.
  Design({});
  dlg.m_arrKind[1] = KIND_END;
  const Bytes empty = Save(Target("leer.dst"));
  ASSERT_EQ(empty.size(), 515u);
  EXPECT_EQ(std::string(empty.begin() + 20, empty.begin() + 74),
            "ST:      1\rCO:  1\r+X:    0\r-X:    0\r+Y:    0\r-Y:    0\r");
  EXPECT_EQ(Bytes(empty.end() - 3, empty.end()), (Bytes{0x00, 0x00, 0xF3}));
}

TEST_F(DstWriterTest, DefaultNameDropsTheLastExtension) {
  EXPECT_EQ(DefaultSaveName("Blume.PES"), "Blume");
  EXPECT_EQ(DefaultSaveName("rose.v2.pes"), "rose.v2");
  EXPECT_EQ(DefaultSaveName("ab.c"), "ab");
  EXPECT_EQ(DefaultSaveName("herz"), "herz");
  EXPECT_EQ(DefaultSaveName(""), "");
}

TEST_F(DstWriterTest, SaveDialogRequestCancelAndNoDesign) {
  dlg.OnSaveDst();  // nothing loaded yet
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Noch keine g\xC3\xBCltigen Daten geladen !"});
  EXPECT_TRUE(platform.saveRequests.empty());

  Design({{5, 5, KIND_STITCH}});
  dlg.m_strLoadedName = "Blume.PES";
  dlg.OnSaveDst();  // cancelled
  ASSERT_EQ(platform.saveRequests.size(), 1u);
  const SaveFileRequest& r = platform.saveRequests[0];
  EXPECT_EQ(r.defaultExt, "DST");
  EXPECT_EQ(r.defaultName, "Blume");
  EXPECT_EQ(r.filter, "TAJIMA-File (*.dst)|*.dst");
  EXPECT_EQ(r.initialDir, ".");
  EXPECT_TRUE(r.overwritePrompt);
  EXPECT_TRUE(r.hideReadOnly);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(platform.notices.empty());
}

// Saving over an existing file either replaces it whole or leaves it as it
// was, with no temporary file left behind.
class DstSaveFailureTest : public DstWriterTest {
 protected:
  void SetUp() override {
    Design({{50, 0, KIND_STITCH}});
    for (int i = 0; i < 3000; ++i) dlg.AddStitch(static_cast<std::int16_t>(i % 100), 0);
    dlg.EndDesign();
  }
  void ExpectUntouched(const std::string& target, const std::string& notice) {
    ASSERT_EQ(platform.notices.size(), 1u);
    EXPECT_EQ(platform.notices[0], notice);
    ExpectOldFileAlone(target);
  }
  // The old content, and no other file (no temporary one) beside it.
  void ExpectOldFileAlone(const std::string& target) {
    EXPECT_EQ(ReadFileBytes(target), old);
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
      files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
  }
  const Bytes old{'a', 'l', 't'};
};

TEST_F(DstSaveFailureTest, FullDiskLeavesTheOldFile) {
  const std::string target = dir.Write("voll.dst", old);
  // A file size limit makes the write fail part-way, as a full disk does.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Save(target);
  setrlimit(RLIMIT_FSIZE, &saved);
  ExpectUntouched(target, "Beim Zugriff auf " + target + " wurde ein voller Datentr\xC3\xA4ger gemeldet.");

  // Without the limit the same save replaces the file whole.
  platform.notices.clear();
  EXPECT_EQ(Save(target).size(), 512u + 3u * 3002u + 3u);
  EXPECT_TRUE(platform.notices.empty());
}

TEST_F(DstSaveFailureTest, MissingOrReadOnlyFolder) {
  const std::string missing = Target("fehlt/x.dst");
  Save(missing);
  ASSERT_EQ(platform.notices.size(), 1u);
  EXPECT_EQ(platform.notices[0], missing + " enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe.");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "fehlt"));

  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  platform.notices.clear();
  std::filesystem::create_directory(dir.path() / "ro");
  const std::string target = dir.Write("ro/alt.dst", old);
  std::filesystem::permissions(dir.path() / "ro", std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::owner_exec);
  Save(target);
  ExpectUntouched(target, "Zugriff auf " + target + " wurde verwehrt.");
}

TEST_F(DstSaveFailureTest, ReplacingKeepsLinksAndPermissions) {
  const std::string target = dir.Write("ziel.dst", old);
  std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const auto link = dir.path() / "verweis.dst";
  std::filesystem::create_symlink(target, link);
  const Bytes written = Save(link.string());
  EXPECT_TRUE(platform.notices.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(target), written);
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// Only a regular file (or a name that is free) is replaced: a device, a pipe
// or a folder, named directly or through a link, is refused untouched.
TEST_F(DstSaveFailureTest, DevicesPipesAndFoldersAreRefused) {
  namespace fs = std::filesystem;
  const fs::path pipe = dir.path() / "rohr.dst";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  fs::create_symlink(pipe, dir.path() / "zum-rohr.dst");
  fs::create_directory(dir.path() / "ordner.dst");
  std::vector<fs::path> targets = {pipe, dir.path() / "zum-rohr.dst", dir.path() / "ordner.dst"};
  // A device node of our own (as /dev/null): only where we may make one.
  const fs::path device = dir.path() / "geraet";
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    fs::create_symlink(device, dir.path() / "zum-geraet.dst");
    targets.push_back(dir.path() / "zum-geraet.dst");
  }
  for (const fs::path& target : targets) {
    platform.notices.clear();
    platform.saveAnswers.push_back({true, target.string()});
    dlg.OnSaveDst();  // not read back: opening a pipe would wait for a writer
    ASSERT_EQ(platform.notices.size(), 1u) << target;
    EXPECT_EQ(platform.notices[0], "Zugriff auf " + target.string() + " wurde verwehrt.");
    EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::failed);
  }
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_TRUE(fs::is_directory(dir.path() / "ordner.dst"));
  if (targets.size() > 3) {
    EXPECT_TRUE(fs::is_character_file(device));
  }
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().rfind(".nadelwerk-", 0), std::string::npos) << e.path();
}

TEST_F(DstSaveFailureTest, LinkToNothingYetCreatesTheFileItNames) {
  const auto link = dir.path() / "verweis.dst";
  std::filesystem::create_symlink("neu.dst", link);
  const Bytes written = Save(link.string());
  EXPECT_TRUE(platform.notices.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(dir.path() / "neu.dst"), written);
  EXPECT_EQ(written.size(), 512u + 3u * 3002u + 3u);
}

// An interrupt or a termination in the middle of a save ends the program as
// the signal says, and the temporary file goes with it. The signal arrives
// deterministically (RunEndedMidWrite).
TEST_F(DstSaveFailureTest, InterruptedSaveRemovesItsTemporaryFile) {
  const std::string target = dir.Write("alt.dst", old);
  for (int sig : {SIGINT, SIGTERM}) {
    const int status = RunEndedMidWrite(sig, [&] {
      platform.saveAnswers.push_back({true, target});
      dlg.OnSaveDst();
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << sig << ", status " << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    ExpectOldFileAlone(target);
  }
}
