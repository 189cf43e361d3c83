// The convert command as a user runs it (what every writer keeps of a
// design is in needle_records_test).
#include <sys/wait.h>

#include <cstdio>

#include "tests/cli_runner.h"
#include "tests/test_support.h"

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

TEST(ConvertCommandTest, WritesBrotherAndJanomeFilesAndRefusesOnStderr) {
  TempDir dir;
  const auto at = [&](const std::string& name) { return (dir.path() / name).string(); };
  const std::string small = dir.Write("klein.dst", Dst(3, 1));
  // By OUT's extension, in any case.
  EXPECT_EQ(CliStatus("convert " + small + " " + at("k.pes")), 0);
  const Bytes pes = ReadFileBytes(at("k.pes"));
  EXPECT_EQ(std::string(pes.begin(), pes.begin() + std::min<long>(8, static_cast<long>(pes.size()))), "#PES0001");
  EXPECT_EQ(CliStatus("convert " + small + " " + at("k.PEC")), 0);
  EXPECT_EQ(ReadFileBytes(at("k.PEC")).at(3), 'C');
  EXPECT_EQ(CliStatus("convert " + small + " " + at("k.sew")), 0);
  EXPECT_EQ(ReadFileBytes(at("k.sew")).at(0), 1);  // the change before the stitches opens nothing
  // By --to into a folder.
  std::filesystem::create_directory(dir.path() / "aus");
  for (const char* to : {"pes", "pec", "sew"}) {
    EXPECT_EQ(CliStatus(std::string("convert --to ") + to + " -o " + at("aus") + " " + small), 0) << to;
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "aus" / (std::string("klein.") + to))) << to;
  }

  // Thirteen colours between stitches: SEW refuses in German on stderr,
  // exit 1, no file.
  ByteBuilder many;
  many.fill(512, ' ');
  for (int i = 0; i < 12; ++i) many.bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xC3});
  many.bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xF3});
  const std::string bunt = dir.Write("bunt.dst", many);
  const CliRun refused = CliErrors("convert " + bunt + " " + at("bunt.sew"));
  EXPECT_NE(refused.out.find("Mehr als 12 Farben, Konvertierung abgebrochen"), std::string::npos);
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(std::filesystem::exists(at("bunt.sew")));
  EXPECT_EQ(CliStatus("convert " + bunt + " " + at("bunt.pes")), 0);

  // The usage names every written format.
  const CliRun usage = CliErrors("convert " + small);
  EXPECT_NE(usage.out.find(".pes, .pec, .dst, .pcs or .sew"), std::string::npos);
  EXPECT_EQ(usage.status, 2);
}
