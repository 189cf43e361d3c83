// nadelwerk-cli as a user runs it: exit codes, info lines and the JSON dump.
#include <sys/wait.h>

#include <cstdio>

#include "framework/version.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

Bytes SmallDst() {
  ByteBuilder b;
  b.fill(512, ' ').bytes({0x05, 0x05, 0x07, 0x00, 0x00, 0xC3, 0x80, 0x00, 0x83, 0x00, 0x00, 0xF3});
  return b;
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
            "\"thumbnail\":null,\"records\":[[0,0,0],[0,0,1],[121,0,1],[121,0,4],[121,-1,2],"
            "[21930,21930,8]],\"info\":{\"format\":\"TAJIMA\",\"colors\":\"Farben:  2\","
            "\"width\":\"Breite:  0.0 mm\",\"height\":\"H\xC3\xB6he:  0.1 mm\",\"stitches\":"
            "\"Stiche: 2\"}}\n");
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
