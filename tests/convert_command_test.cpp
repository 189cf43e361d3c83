// The convert command as a user runs it (what every writer keeps of a
// design is in needle_records_test).
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "cli/output_names.h"
#include "tests/brother_fixture.h"
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

namespace {

namespace fs = std::filesystem;

// The lines of a run's stderr that start with the prefix.
std::vector<std::string> LinesStarting(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    if (text.compare(from, prefix.size(), prefix) == 0) lines.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  return lines;
}

std::string LastLine(const std::string& text) {
  const std::string trimmed = text.substr(0, text.find_last_not_of('\n') + 1);
  return trimmed.substr(trimmed.rfind('\n') + 1);
}

// Every file of the folder with its bytes.
std::map<std::string, Bytes> Contents(const fs::path& folder) {
  std::map<std::string, Bytes> files;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) files[e.path().filename().string()] = ReadFileBytes(e.path());
  return files;
}

}  // namespace

// An output that is an input, by its name, a link or a hard link, is never
// written: decided for the whole batch before anything is written.
TEST(ConvertCommandTest, NoOutputIsWrittenOntoAnInput) {
  TempDir dir;
  const std::string x = dir.Write("x.dst", Dst(3, 0));
  const std::string pes = dir.Write("x.pes", PesFile({PecSection{}}));
  const auto before = Contents(dir.path());
  // x.pes would become ./x.dst, the second input.
  CliRun run = RunCliErrors("convert --to dst -o " + dir.path().string() + " " + pes + " " + x);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Contents(dir.path()), before);
  EXPECT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + pes + ": refused").size(), 1u) << run.out;
  EXPECT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + x + ": refused").size(), 1u) << run.out;
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 0 written, 0 skipped, 2 refused, 0 failed");
  // Not even with --force.
  EXPECT_EQ(CliStatus("convert --force --to dst -o " + dir.path().string() + " " + x), 1);
  EXPECT_EQ(Contents(dir.path()), before);

  // The output's name is a link to an input, or a hard link of one.
  fs::create_directory(dir.path() / "aus");
  fs::create_symlink(x, dir.path() / "aus" / "x.pcs");
  const std::string other = dir.Write("y.dst", Dst(4, 0));
  fs::create_hard_link(other, dir.path() / "aus" / "y.pcs");
  run = RunCliErrors("convert --force --to pcs -o " + (dir.path() / "aus").string() + " " + x + " " + other);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadFileBytes(x), Dst(3, 0));
  EXPECT_EQ(ReadFileBytes(other), Dst(4, 0));
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 0 written, 0 skipped, 2 refused, 0 failed");

  // convert IN OUT replaces OUT, but never IN itself by any name.
  EXPECT_EQ(CliStatus("convert " + x + " " + x), 1);
  EXPECT_EQ(CliStatus("convert " + x + " " + (dir.path() / "aus" / "x.pcs").string()), 1);
  EXPECT_EQ(CliStatus("convert " + other + " " + (dir.path() / "aus" / "y.pcs").string()), 1);
  EXPECT_EQ(ReadFileBytes(x), Dst(3, 0));
  EXPECT_EQ(ReadFileBytes(other), Dst(4, 0));
  EXPECT_EQ(CliStatus("convert " + other + " " + x), 0);
  EXPECT_EQ(ReadFileBytes(x).size(), 512u + 5 * 3 + 3);  // the 4 stitches, a lead-in move, the end
}

// Names that differ only in letter case are one file on the volumes of USB
// sticks: the second input is refused, and nothing claims it was written.
TEST(ConvertCommandTest, OutputNamesCollideRegardlessOfLetterCase) {
  TempDir dir;
  fs::create_directory(dir.path() / "aus");
  const std::string out = (dir.path() / "aus").string();
  const std::string rose = dir.Write("Rose.dst", Dst(3, 0)), rosePes = dir.Write("rose.pes", PesFile({PecSection{}}));
  CliRun run = RunCliErrors("convert --to pcs -o " + out + " " + rose + " " + rosePes);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Contents(dir.path() / "aus").size(), 1u);
  EXPECT_TRUE(fs::exists(dir.path() / "aus" / "Rose.pcs"));
  ASSERT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + rosePes + ": refused").size(), 1u) << run.out;
  EXPECT_NE(run.out.find(rose), std::string::npos);
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 1 written, 0 skipped, 1 refused, 0 failed");

  // Umlauts and Cyrillic fold as well.
  const std::string upper = dir.Write("\xC3\x84RGER-\xD0\x96.dst", Dst(3, 0));
  const std::string lower = dir.Write("\xC3\xA4rger-\xD0\xB6.pes", PesFile({PecSection{}}));
  run = RunCliErrors("convert --to dst -o " + out + " " + upper + " " + lower);
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 1 written, 0 skipped, 1 refused, 0 failed");

  // The first of two inputs refused by the writer (17 colours for PCS):
  // the second is refused for the name, and no message says "written".
  fs::create_directory(dir.path() / "a");
  fs::create_directory(dir.path() / "b");
  const std::string colourful = dir.Write("a/bunt.dst", Dst(2, 16)), plain = dir.Write("b/bunt.dst", Dst(2, 0));
  run = RunCliErrors("convert --to pcs -o " + out + " " + colourful + " " + plain);
  EXPECT_FALSE(fs::exists(dir.path() / "aus" / "bunt.pcs"));
  EXPECT_EQ(run.out.find("written from"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("already"), std::string::npos) << run.out;
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 0 written, 0 skipped, 2 refused, 0 failed");
}

TEST(ConvertCommandTest, BatchKeepsExistingFilesUnlessForced) {
  TempDir dir;
  fs::create_directory(dir.path() / "aus");
  const std::string out = (dir.path() / "aus").string();
  const std::string a = dir.Write("a.dst", Dst(3, 0)), b = dir.Write("b.dst", Dst(5, 0));
  const Bytes mine{'m', 'e', 'i', 'n'};
  dir.Write("aus/b.pcs", mine);
  fs::create_symlink("nirgends.pcs", dir.path() / "aus" / "c.pcs");  // a link to nothing counts too
  const std::string c = dir.Write("c.dst", Dst(2, 0));
  CliRun run = RunCliErrors("convert --to pcs -o " + out + " " + a + " " + b + " " + c);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadFileBytes(dir.path() / "aus" / "b.pcs"), mine);
  EXPECT_FALSE(fs::exists(dir.path() / "aus" / "nirgends.pcs"));
  EXPECT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + b + ": skipped").size(), 1u) << run.out;
  EXPECT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + c + ": skipped").size(), 1u) << run.out;
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 1 written, 2 skipped, 0 refused, 0 failed");

  run = RunCliErrors("convert --force --to pcs -o " + out + " " + a + " " + b + " " + c);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(ReadFileBytes(dir.path() / "aus" / "b.pcs").size(), 70u + 7 * 9 + 31);  // colour, lead-in, 5 stitches
  EXPECT_EQ(LastLine(run.out), "nadelwerk-cli: 3 written, 0 skipped, 0 refused, 0 failed");
  EXPECT_EQ(run.out.find("nadelwerk-cli: 3 written"), run.out.rfind("nadelwerk-cli: "));  // one line only
}

// The writers' refusals and warnings in a batch say which input they are
// about; a file that cannot be read fails, and the batch goes on.
TEST(ConvertCommandTest, EveryBatchMessageNamesItsInput) {
  TempDir dir;
  fs::create_directory(dir.path() / "aus");
  const std::string colourful = dir.Write("bunt.dst", Dst(2, 16)), longOne = dir.Write("lang.dst", Dst(14001, 0));
  const std::string text = dir.Write("notiz.pes", ByteBuilder().text("Nur eine Notiz.\n"));
  const std::string missing = (dir.path() / "fehlt.dst").string();
  const CliRun run = RunCliErrors("convert --to pcs -o " + (dir.path() / "aus").string() + " " + colourful +
                                  " " + longOne + " " + text + " " + missing);
  EXPECT_EQ(run.status, 1);
  std::vector<std::string> lines = LinesStarting(run.out, "");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "nadelwerk-cli: 1 written, 0 skipped, 1 refused, 2 failed");
  lines.pop_back();
  const std::string inputs[] = {colourful, longOne, text, missing};
  for (const std::string& line : lines) {
    const bool named = std::any_of(std::begin(inputs), std::end(inputs), [&](const std::string& in) {
      return line.rfind("nadelwerk-cli: " + in + ": ", 0) == 0;
    });
    EXPECT_TRUE(named) << line;
  }
  EXPECT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + colourful + ": More than 16 colours").size(), 1u) << run.out;
  EXPECT_EQ(LinesStarting(run.out, "nadelwerk-cli: " + text + ": " + text + " holds no readable").size(), 1u)
      << run.out;
  EXPECT_GE(LinesStarting(run.out, "nadelwerk-cli: " + longOne + ": ").size(), 1u) << run.out;
}

// The whole corpus into one folder, twice: the second run keeps every file
// of the first and says so for each. Then a copy of the corpus into its own
// folder: no input changes.
TEST(ConvertCommandTest, CorpusIntoOneFolderTwiceAndIntoItself) {
  std::vector<fs::path> corpus;
  for (const FormatEntry& f : Formats())
    for (const fs::path& p : CorpusFiles(f.name)) corpus.push_back(p);
  SKIP_WITHOUT_CORPUS(corpus);
  TempDir dir;
  fs::create_directory(dir.path() / "aus");
  fs::create_directory(dir.path() / "kopie");
  std::string inputs, copies;
  for (const fs::path& p : corpus) {
    inputs += " " + p.string();
    fs::copy_file(p, dir.path() / "kopie" / p.filename());
    copies += " " + (dir.path() / "kopie" / p.filename()).string();
  }
  const std::string out = (dir.path() / "aus").string();
  const CliRun first = RunCliErrors("convert --to dst -o " + out + inputs);
  const auto written = Contents(dir.path() / "aus");
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(LastLine(first.out).rfind("nadelwerk-cli: " + std::to_string(written.size()) + " written, 0 skipped, ", 0),
            0u)
      << LastLine(first.out);
  const CliRun second = RunCliErrors("convert --to dst -o " + out + inputs);
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(Contents(dir.path() / "aus"), written);
  EXPECT_EQ(LastLine(second.out),
            "nadelwerk-cli: 0 written, " + std::to_string(corpus.size()) + " skipped, 0 refused, 0 failed");
  for (const auto& [name, bytes] : written)
    EXPECT_NE(second.out.find(out + "/" + name + " exists and is kept"), std::string::npos) << name;

  const auto before = Contents(dir.path() / "kopie");
  for (const FormatEntry& f : Formats()) {
    if (!f.encode) continue;
    RunCliErrors("convert --to " + std::string(f.name) + " -o " + (dir.path() / "kopie").string() + copies);
    RunCliErrors("convert --force --to " + std::string(f.name) + " -o " + (dir.path() / "kopie").string() + copies);
  }
  for (const auto& [name, bytes] : before) EXPECT_EQ(ReadFileBytes(dir.path() / "kopie" / name), bytes) << name;
}

TEST(ConvertCommandTest, FoldedNamesOfCaseInsensitiveVolumes) {
  EXPECT_EQ(FoldedName("Rose.DST"), "rose.dst");
  EXPECT_EQ(FoldedName("\xC3\x84\xC3\x96\xC3\x9C\xC3\x9E"), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xBE");  // ÄÖÜÞ
  EXPECT_EQ(FoldedName("\xC3\x97\xC3\x9F"), "\xC3\x97\xC3\x9F");  // × and ß have no other case
  EXPECT_EQ(FoldedName("\xC5\x81\xC5\xB9\xC4\x80\xC5\xB8"), "\xC5\x82\xC5\xBA\xC4\x81\xC3\xBF");  // ŁŹĀŸ
  EXPECT_EQ(FoldedName("\xC5\x82\xC5\xBA\xC4\x81"), "\xC5\x82\xC5\xBA\xC4\x81");  // already small
  EXPECT_EQ(FoldedName("\xCE\xA3\xCF\x82\xCE\x86"), "\xCF\x83\xCF\x83\xCE\xAC");  // Σς Ά
  EXPECT_EQ(FoldedName("\xD0\x81\xD0\xAF"), "\xD1\x91\xD1\x8F");  // ЁЯ
  // Bytes of no letter, cut sequences and three-byte letters stay as they are.
  EXPECT_EQ(FoldedName("a\xC3"), "a\xC3");
  EXPECT_EQ(FoldedName("\xC3" "A"), "\xC3" "a");
  EXPECT_EQ(FoldedName("\xE1\xBA\x9E"), "\xE1\xBA\x9E");
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

  // Thirteen colours between stitches: SEW refuses on stderr, exit 1, no
  // file.
  ByteBuilder many;
  many.fill(512, ' ');
  for (int i = 0; i < 12; ++i) many.bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xC3});
  many.bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xF3});
  const std::string bunt = dir.Write("bunt.dst", many);
  const CliRun refused = RunCliErrors("convert " + bunt + " " + at("bunt.sew"));
  EXPECT_NE(refused.out.find("More than 12 colours, conversion cancelled"), std::string::npos);
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(std::filesystem::exists(at("bunt.sew")));
  EXPECT_EQ(CliStatus("convert " + bunt + " " + at("bunt.pes")), 0);

  // The usage names every written format.
  const CliRun usage = RunCliErrors("convert " + small);
  for (const FormatEntry& f : Formats()) {
    if (f.encode) {
      EXPECT_NE(usage.out.find(std::string(".") + f.name), std::string::npos) << f.name;
    }
  }
  EXPECT_EQ(usage.status, 2);
}
