// nadelwerk-cli as a user runs it: exit codes, info lines and the JSON dump.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "framework/version.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

Bytes SmallDst() {
  ByteBuilder b;
  b.fill(512, ' ').bytes({0x05, 0x05, 0x07, 0x00, 0x00, 0xC3, 0x80, 0x00, 0x83, 0x00, 0x00, 0xF3});
  return b;
}

// Thousands of stitches of up to 40 steps either way: every saved or painted
// form of it is several KiB.
Bytes BusyDst() {
  ByteBuilder b;
  b.fill(512, ' ');
  for (unsigned i = 0; i < 4000; ++i) b.bytes({(i * 37) & 0xFF, (i * 91) & 0xF7, 0x03});
  b.bytes({0x00, 0x00, 0xF3});
  return b;
}

// nadelwerk-cli run by the shell after limits is set with its ulimit
// (dash: -f in blocks of 512 bytes, -v in KiB).
int StatusUnderLimit(const std::string& limit, const std::string& args) {
  const std::string command =
      "ulimit " + limit + "; exec " + std::string(NADELWERK_CLI) + " " + args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Names in the folder other than the given ones (a leftover temporary file).
std::vector<std::string> OtherFiles(const TempDir& dir, std::initializer_list<std::string> known) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
  }
  return out;
}

}  // namespace

TEST(CliTest, InfoPrintsNameAndFiveTextsPerFile) {
  TempDir dir;
  const std::string a = dir.Write("a.dst", SmallDst());
  const std::string b = dir.Write("B.DST", SmallDst());
  const CliRun run = RunCli("info " + a + " " + b);
  EXPECT_EQ(run.status, 0);
  const std::string block = "TAJIMA\nFarben:  2\nBreite:  0.0 mm\nH\xC3\xB6he:  0.1 mm\nStiche: 2\n";
  EXPECT_EQ(run.out, "a.dst\n" + block + "B.DST\n" + block);
}

TEST(CliTest, DumpPrintsTheDesignStateAsJson) {
  TempDir dir;
  const CliRun run = RunCli("dump " + dir.Write("a.dst", SmallDst()));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\"format\":4,\"colorCount\":2,\"stitchCount\":2,\"minX\":121,\"maxX\":121,\"minY\":-1,"
            "\"maxY\":0,\"width\":0,\"height\":1,\"blockColors\":[2,3],\"fileColors\":null,"
            "\"label\":\"\",\"threads\":[],\"thumbnail\":null,\"records\":[[0,0,0],[0,0,1],[121,0,1],[121,0,4],[121,-1,2],"
            "[21930,21930,8]],\"info\":{\"format\":\"TAJIMA\",\"colors\":\"Farben:  2\","
            "\"width\":\"Breite:  0.0 mm\",\"height\":\"H\xC3\xB6he:  0.1 mm\",\"stitches\":"
            "\"Stiche: 2\"}}\n");
}

// A label is the file's own bytes: UTF-8 where they are UTF-8, each other
// byte the Latin-1 character it is in older files, escaped, so the JSON is
// always UTF-8 (a cut sequence, a lone continuation byte, an overlong form;
// quotes and backslashes escaped).
TEST(CliTest, DumpWritesEveryLabelAsUtf8) {
  TempDir dir;
  const struct {
    Bytes label;
    std::string json;
  } cases[] = {
      {{0xC4, 0xD6, 'x'}, "\\u00c4\\u00d6x"},
      {{0xC3, 0x84, 'x'}, "\xC3\x84x"},
      {{'a', 0xE2, 0x82}, "a\\u00e2\\u0082"},
      {{0x80, 'b', 0xC0, 0xAF}, "\\u0080b\\u00c0\\u00af"},
      {{'"', '\\', 'c'}, "\\\"\\\\c"},
  };
  for (const auto& c : cases) {
    Bytes file = SmallDst();
    file[0] = 'L', file[1] = 'A', file[2] = ':';
    std::copy(c.label.begin(), c.label.end(), file.begin() + 3);
    const CliRun run = RunCli("dump " + dir.Write("l.dst", file));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"label\":\"" + c.json + "\","), std::string::npos) << c.json << "\n" << run.out;
  }
}

TEST(CliTest, ErrorsGiveTheirExitCodes) {
  TempDir dir;
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("frobnicate").status, 2);
  EXPECT_EQ(RunCli("info").status, 2);
  EXPECT_EQ(RunCli("dump").status, 2);
  EXPECT_EQ(RunCli("--help").status, 0);
  EXPECT_EQ(RunCli("--version").out, std::string("nadelwerk-cli ") + kAppVersion + "\n");
  EXPECT_EQ(RunCli("info " + (dir.path() / "fehlt.dst").string()).status, 1);
  EXPECT_EQ(RunCli("info " + dir.Write("notiz.txt", {1, 2, 3})).status, 1);
  // A bad file among good ones still prints the good ones and fails.
  const CliRun mixed = RunCli("info " + dir.Write("a.dst", SmallDst()) + " " + dir.path().string() + "/x.dst");
  EXPECT_EQ(mixed.status, 1);
  EXPECT_EQ(mixed.out.substr(0, 13), "a.dst\nTAJIMA\n");
}

// convert and render replace an existing file only with a complete new one:
// a file size limit (a full disk) fails them, reported, with the old file
// as it was and no temporary file left.
TEST(CliTest, FullDiskLeavesTheOldOutput) {
  TempDir dir;
  const std::string in = dir.Write("busy.dst", BusyDst());
  const Bytes old{'a', 'l', 't'};
  const std::string dst = dir.Write("out.dst", old);
  const std::string png = dir.Write("out.png", old);
  EXPECT_EQ(StatusUnderLimit("-f 2", "convert " + in + " " + dst), 1);
  EXPECT_EQ(StatusUnderLimit("-f 2", "render " + in + " " + png + " --size 400x400"), 1);
  EXPECT_EQ(ReadFileBytes(dst), old);
  EXPECT_EQ(ReadFileBytes(png), old);
  EXPECT_EQ(OtherFiles(dir, {"busy.dst", "out.dst", "out.png"}), std::vector<std::string>{});
  // Without the limit both replace their file.
  EXPECT_EQ(RunCli("render " + in + " " + png + " --size 400x400").status, 0);
  EXPECT_GT(ReadFileBytes(png).size(), 1024u);
}

TEST(CliTest, ConvertRefusesAPipe) {
  TempDir dir;
  const std::string in = dir.Write("a.dst", SmallDst());
  const auto pipe = dir.path() / "rohr.dst";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  std::filesystem::create_symlink(pipe, dir.path() / "verweis.pcs");
  EXPECT_EQ(RunCli("convert " + in + " " + pipe.string()).status, 1);
  EXPECT_EQ(RunCli("convert " + in + " " + (dir.path() / "verweis.pcs").string()).status, 1);
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
  EXPECT_EQ(OtherFiles(dir, {"a.dst", "rohr.dst", "verweis.pcs"}), std::vector<std::string>{});
}

// A file whose records need more memory than the process may have: the
// file-error report and exit status 1, not an abort; the same status for
// any other memory the command cannot get.
TEST(CliTest, LoadWithoutEnoughMemoryFailsCleanly) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
  TempDir dir;
  // 80 MB of zero records (stitches that do not move), sparse on disk: the
  // file fits under the limit, its 200 MB of records do not.
  const std::string big = dir.Write("gross.dst", {});
  ASSERT_EQ(::truncate(big.c_str(), 80 << 20), 0);
  EXPECT_EQ(StatusUnderLimit("-v 262144", "info " + big), 1);
  // A file after it still loads.
  const CliRun run = RunCli("info " + dir.Write("klein.dst", SmallDst()));
  EXPECT_EQ(run.status, 0);
  const std::string both = "info " + big + " " + dir.path().string() + "/klein.dst";
  const std::string command = "ulimit -v 262144; exec " + std::string(NADELWERK_CLI) + " " + both + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[512];
  for (std::size_t got; (got = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, got);
  EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 1);
  EXPECT_EQ(out.substr(0, 17), "klein.dst\nTAJIMA\n");
  // Memory for something other than a load: a frame of 10000 x 10000 pixels.
  EXPECT_EQ(StatusUnderLimit("-v 262144", "render " + dir.path().string() + "/klein.dst " +
                                              dir.path().string() + "/gross.png --size 10000x10000"),
            1);
#endif
}

// Output that does not arrive is a failure with a message: a full device,
// a closed stdout, for every command that prints.
TEST(CliTest, LostOutputFailsTheCommand) {
  TempDir dir;
  const std::string a = dir.Write("a.dst", SmallDst());
  for (const std::string& args : {"info " + a, "dump " + a, std::string("--help"), std::string("--version")}) {
    for (const std::string& to : {std::string(">/dev/full"), std::string(">&-")}) {
      const CliRun run = RunCliErrors(args, to);
      EXPECT_EQ(run.status, 1) << args << " " << to;
      EXPECT_EQ(run.out.rfind("nadelwerk-cli: standard output: ", 0), 0u) << args << " " << to << ": " << run.out;
    }
  }
  // A dump larger than any buffer: the failure is found while writing.
  const CliRun big = RunCliErrors("dump " + dir.Write("b.dst", BusyDst()), ">/dev/full");
  EXPECT_EQ(big.status, 1);
  EXPECT_EQ(big.out, "nadelwerk-cli: standard output: " + std::string(std::strerror(ENOSPC)) + "\n");
}

// dump writes its JSON as it makes it: a design whose text is many times
// the memory the process may have still dumps whole.
TEST(CliTest, DumpStreamsItsJson) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
  TempDir dir;
  // 3 million stitches: 15 MB of records, and as they wander over the
  // whole 16-bit range, over 45 MB of JSON.
  ByteBuilder b;
  b.fill(512, ' ');
  for (int i = 0; i < 3'000'000; ++i) {
    if (i % 2) b.bytes({0x05, 0x05, 0x07});  // X +121
    else b.bytes({0xA0, 0xA0, 0x23});         // Y -121
  }
  const std::string big = dir.Write("gross.dst", b.bytes({0x00, 0x00, 0xF3}));
  const std::string command = "ulimit -v 98304; exec " + std::string(NADELWERK_CLI) + " dump " + big +
                              " 2>/dev/null | wc -c";
  const CliRun run = RunShell(command);
  EXPECT_GT(std::stoull(run.out), 45'000'000ull);
  const CliRun status = RunShell("ulimit -v 98304; " + std::string(NADELWERK_CLI) + " dump " + big +
                                 " >/dev/null 2>&1; echo $?");
  EXPECT_EQ(status.out, "0\n");
#endif
}

// render never replaces the design it draws, by its name or a link.
TEST(CliTest, RenderAndSheetRefuseTheirInputAsOutput) {
  TempDir dir;
  const std::string a = dir.Write("a.dst", SmallDst());
  for (const std::string ext : {"png", "pdf"}) {
    std::filesystem::create_symlink(a, dir.path() / ("bild." + ext));
    std::filesystem::create_hard_link(a, dir.path() / ("hart." + ext));
  }
  for (const std::string command : {"render", "sheet"}) {
    const std::string ext = command == "render" ? "png" : "pdf";
    for (const std::string& out : {(dir.path() / ("bild." + ext)).string(), (dir.path() / ("hart." + ext)).string()}) {
      const CliRun run = RunCliErrors(command + " " + a + " " + out);
      EXPECT_EQ(run.status, 1) << command << " " << out;
      EXPECT_NE(run.out.find("refused"), std::string::npos) << run.out;
    }
  }
  EXPECT_EQ(RunCliErrors("render " + a + " " + a).status, 1);
  EXPECT_EQ(ReadFileBytes(a), SmallDst());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "bild.png"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "bild.pdf"));
}
