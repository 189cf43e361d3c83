// nadelwerk-cli's pictures and worksheets as a user gets them: render to
// SVG and PDF at true size, sheet on A4 and Letter, read back with
// poppler's pdftotext and pdfinfo (skipped where they are missing), and
// both over every corpus design.
#include <cstdio>
#include <regex>
#include <sstream>

#include "formats/formats.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

bool HavePoppler() {
  return std::system("pdftotext -v >/dev/null 2>&1") == 0 && std::system("pdfinfo -v >/dev/null 2>&1") == 0;
}

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buf[4096];
  std::size_t got;
  while ((got = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, got);
  pclose(pipe);
  return out;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }
std::string PdfText(const fs::path& pdf) { return Capture("pdftotext -layout " + Quoted(pdf) + " -"); }
std::string PdfInfo(const fs::path& pdf) { return Capture("pdfinfo " + Quoted(pdf)); }

// A SEW file: a move to the start, then colours blocks, block k sewn as
// k + 2 stitches of 2 units right and left in turn (after the first colour
// change the reader adds a stitch of its own, from the change's two zero
// bytes); then, in the last block, stitches of at most 100 units to the
// right and down, so that the design is width by height units. Their
// number is added to *extra.
Bytes SewDesign(int colors, int width, int height, int* extra = nullptr) {
  ByteBuilder b;
  b.u16le(static_cast<unsigned>(colors));
  for (int k = 0; k < colors && k < 12; ++k) b.u16le(static_cast<unsigned>(10 + k));
  b.padTo(7544);
  b.bytes({0x80, 0x02, 0x00, 0x00});
  int x = 0, stitches = 0;
  for (int k = 0; k < colors; ++k) {
    if (k > 0) b.bytes({0x80, 0x01, 0x00, 0x00});
    for (int i = 0; i < k + 2; ++i, x += i % 2 ? 2 : -2) b.bytes({i % 2 ? 0xFEu : 2u, 0});
  }
  for (; x < width; x += 100, ++stitches) b.bytes({static_cast<unsigned>(std::min(width - x, 100)), 0});
  for (int y = 0; y < height; y += 100, ++stitches) b.bytes({0, static_cast<unsigned>(-std::min(height - y, 100) & 0xFF)});
  b.bytes({0x80, 0x10});
  if (extra) *extra += stitches;
  return b;
}

// The rows of the colour list: step number and stitch count, in order.
std::vector<std::pair<int, std::string>> StepRows(const std::string& text) {
  std::vector<std::pair<int, std::string>> rows;
  const std::regex row(R"(^\s*(\d+)\s{2,}.*\S\s{2,}([0-9.]+)\s*$)");
  std::istringstream in(text);
  std::string line;
  bool inList = false;
  while (std::getline(in, line)) {
    if (line.find("Schritt") != std::string::npos) inList = true;
    std::smatch m;
    if (inList && std::regex_match(line, m, row)) rows.emplace_back(std::stoi(m[1]), m[2]);
  }
  return rows;
}

class SheetCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePoppler()) GTEST_SKIP() << "pdftotext or pdfinfo (poppler-utils) not installed";
  }
  TempDir dir;
};

TEST_F(SheetCliTest, SheetListsEveryStepWithItsStitchesOnFurtherPagesWhenLong) {
  int extra = 0;
  const std::string design = dir.Write("farben.sew", SewDesign(60, 1000, 300, &extra));
  const fs::path sheet = dir.path() / "farben.pdf";
  ASSERT_EQ(CliStatus("sheet " + design + " " + sheet.string()), 0);
  const std::string text = PdfText(sheet);
  const auto rows = StepRows(text);
  ASSERT_EQ(rows.size(), 60u) << text;
  for (int k = 0; k < 60; ++k) {
    EXPECT_EQ(rows[k].first, k + 1);
    // k + 2 of our own, the reader's one after every change, and the long
    // stitches in the last block.
    const int stitches = k + 2 + (k > 0 ? 1 : 0) + (k == 59 ? extra : 0);
    EXPECT_EQ(rows[k].second, std::to_string(stitches)) << "step " << k + 1;
  }
  EXPECT_NE(text.find("Format: Janome SEW"), std::string::npos);
  EXPECT_NE(text.find("Breite: 100,0 mm (3,94 in)"), std::string::npos);
  EXPECT_NE(text.find("H\xC3\xB6he: 30,0 mm (1,18 in)"), std::string::npos);
  EXPECT_NE(text.find("Farben: 60"), std::string::npos);
  EXPECT_NE(text.find("Farbwechsel: 59"), std::string::npos);
  EXPECT_NE(text.find("Ma\xC3\x9Fstab 1:1 (Originalgr\xC3\xB6\xC3\x9F" "e)"), std::string::npos);
  EXPECT_NE(text.find("10 mm"), std::string::npos);
  EXPECT_NE(text.find("Farbfolge (Fortsetzung)"), std::string::npos);
  const std::string info = PdfInfo(sheet);
  EXPECT_NE(info.find("Page size:       595.276 x 841.89 pts (A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
}

TEST_F(SheetCliTest, PaperLetterAndALargeDesignScaled) {
  // 250 mm wide: wider than Letter's 185.9 mm between its margins.
  const std::string design = dir.Write("breit.sew", SewDesign(1, 2500, 200));
  const fs::path sheet = dir.path() / "breit.pdf";
  ASSERT_EQ(CliStatus("sheet " + design + " " + sheet.string() + " --paper letter"), 0);
  EXPECT_NE(PdfInfo(sheet).find("Page size:       612 x 792 pts (letter)"), std::string::npos);
  const std::string text = PdfText(sheet);
  // (612 - 2 * 42.52) / ((2500 + 4) * 72 / 254) = 0.7420: scale 1:1,35, 74 %.
  EXPECT_NE(text.find("verkleinert, Ma\xC3\x9Fstab 1:1,35 (74 %)"), std::string::npos) << text;
}

TEST_F(SheetCliTest, RenderWritesVectorPicturesAtTrueSize) {
  const std::string design = dir.Write("zehn.sew", SewDesign(2, 1000, 500));
  const fs::path pdf = dir.path() / "zehn.PDF", svg = dir.path() / "zehn.svg";
  ASSERT_EQ(CliStatus("render " + design + " " + pdf.string()), 0);
  // 100 mm by 50 mm.
  EXPECT_NE(PdfInfo(pdf).find("Page size:       283.465 x 141.732 pts"), std::string::npos) << PdfInfo(pdf);
  ASSERT_EQ(CliStatus("render " + design + " " + svg.string()), 0);
  const std::string text = Capture("cat " + Quoted(svg));
  EXPECT_NE(text.find("width=\"283.46"), std::string::npos);
  EXPECT_EQ(text.rfind("</svg>"), text.size() - 7);  // the closing tag, then a newline
}

TEST_F(SheetCliTest, WrongOutputsAreUsageErrorsAndWriteNothing) {
  const std::string design = dir.Write("a.sew", SewDesign(1, 200, 100));
  EXPECT_EQ(CliStatus("render " + design + " " + (dir.path() / "a.jpg").string()), 2);
  EXPECT_EQ(CliStatus("render " + design + " " + (dir.path() / "a.svg").string() + " --zoom 200"), 2);
  EXPECT_EQ(CliStatus("sheet " + design + " " + (dir.path() / "a.txt").string()), 2);
  EXPECT_EQ(CliStatus("sheet " + design + " " + (dir.path() / "a.pdf").string() + " --paper a5"), 2);
  EXPECT_EQ(CliStatus("sheet " + design), 2);
  EXPECT_FALSE(fs::exists(dir.path() / "a.jpg"));
  EXPECT_FALSE(fs::exists(dir.path() / "a.svg"));
  EXPECT_FALSE(fs::exists(dir.path() / "a.pdf"));
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
  // A file that cannot be read: exit 1, nothing written.
  EXPECT_EQ(CliStatus("sheet " + (dir.path() / "fehlt.sew").string() + " " + (dir.path() / "b.pdf").string()), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "b.pdf"));
}

TEST_F(SheetCliTest, EveryCorpusDesignGetsASheetAndVectorPictures) {
  int files = 0;
  for (const FormatEntry& format : Formats()) {
    for (const fs::path& file : CorpusFiles(format.name)) {
      ++files;
      const fs::path sheet = dir.path() / "s.pdf", svg = dir.path() / "s.svg", pdf = dir.path() / "s-pic.pdf";
      ASSERT_EQ(CliStatus("sheet " + Quoted(file) + " " + sheet.string()), 0) << file;
      const std::string text = PdfText(sheet);
      std::smatch colors;
      ASSERT_TRUE(std::regex_search(text, colors, std::regex(R"(Farben: (\d+))"))) << file;
      EXPECT_EQ(StepRows(text).size(), std::stoul(colors[1])) << file;
      EXPECT_EQ(CliStatus("render " + Quoted(file) + " " + svg.string()), 0) << file;
      EXPECT_EQ(CliStatus("render " + Quoted(file) + " " + pdf.string()), 0) << file;
      EXPECT_NE(PdfInfo(pdf).find("Pages:           1"), std::string::npos) << file;
    }
  }
  if (files == 0) GTEST_SKIP() << "corpus folder not present";
}

}  // namespace
