// The picture layer: the coverage cells that bound a drawing, the
// thumbnail's pixels (size, smooth edges, light threads on light and dark
// grounds), the vector pictures' true size and paths, and the worksheet's
// facts and texts.
#include <cmath>
#include <random>
#include <regex>

#include "design/thread_charts.h"
#include "picture/coverage_cells.h"
#include "picture/design_pictures.h"
#include "picture/worksheet.h"
#include "picture/worksheet_text.h"
#include "tests/test_support.h"
#include "tools/stress_files.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(220, 20, 30);

// A pixel of a thumbnail over a ground of colour ground (0x00RRGGBB):
// the thumbnail's straight colour blended by its opacity.
std::uint32_t Over(std::uint32_t pixel, std::uint32_t ground) {
  const std::uint32_t alpha = 255 - (pixel >> 24);
  auto mix = [&](int shift) {
    const std::uint32_t a = (pixel >> shift) & 0xFF, b = (ground >> shift) & 0xFF;
    return ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
  };
  return mix(16) | mix(8) | mix(0);
}

// The pixels that differ from the ground by at least 64 in some channel.
int Contrasting(const CPixelBuffer& picture, std::uint32_t ground) {
  int count = 0;
  for (std::uint32_t p : picture.pixels) {
    const std::uint32_t seen = Over(p, ground);
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>((seen >> shift) & 0xFF) - static_cast<int>((ground >> shift) & 0xFF)) >= 64) {
        ++count;
        break;
      }
  }
  return count;
}

int PartlyTransparent(const CPixelBuffer& picture) {
  int count = 0;
  for (std::uint32_t p : picture.pixels)
    if ((p >> 24) != 0 && (p >> 24) != 0xFF) ++count;
  return count;
}

class PictureTest : public ViewerTest {
 protected:
  // A design in the colours given, one per block: the blocks are given as
  // records, a KIND_COLOR record between them.
  void LoadColored(const std::vector<Record>& records, std::vector<COLORREF> colors) {
    LoadDesign(records, FORMAT_DST);
    dlg.m_bThreadColors = TRUE;
    dlg.m_threads.clear();
    for (COLORREF c : colors) dlg.m_threads.push_back(CThread{.color = c});
  }
  // A square outline, side units wide, from the origin.
  static std::vector<Record> Square(int side, int x = 0) {
    return {{x, 0, KIND_MOVE}, {x + side, 0, KIND_STITCH}, {x + side, side, KIND_STITCH},
            {x, side, KIND_STITCH}, {x, 0, KIND_STITCH}};
  }
  static std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

  CPixelBuffer picture;
};

TEST(CoverageCellsTest, ALineIsCoveredOnceDrawnAndOnlyInItsOwnBlock) {
  CCoverageCells cells(0, 0, 100, 100, 4);
  EXPECT_FALSE(cells.Covered(10, 10, 90, 10));
  cells.Mark(10, 10, 90, 10);
  EXPECT_TRUE(cells.Covered(10, 10, 90, 10));
  EXPECT_TRUE(cells.Covered(90, 10, 10, 10));  // the same line backwards
  EXPECT_TRUE(cells.Covered(30, 10, 60, 10));  // a part of it
  EXPECT_FALSE(cells.Covered(10, 10, 90, 12));  // runs off to uncovered cells
  EXPECT_FALSE(cells.Covered(10, 30, 90, 30));
  cells.NextBlock();  // another colour: what the last one covered counts no more
  EXPECT_FALSE(cells.Covered(10, 10, 90, 10));
}

TEST(CoverageCellsTest, RandomLinesAreDrawnAtMostOncePerCell) {
  // 10 x 10 units, cells of a third of a unit: 31 x 31 cells. Every line
  // that is not covered is marked, as the drawing does, and must claim a
  // cell of its own, however often the lines repeat.
  CCoverageCells cells(0, 0, 10, 10, 1, kPixelBand);
  std::mt19937 rng(5);
  int drawn = 0;
  for (int i = 0; i < 200000; ++i) {
    const int x0 = static_cast<int>(rng() % 11), y0 = static_cast<int>(rng() % 11);
    const int x1 = static_cast<int>(rng() % 11), y1 = static_cast<int>(rng() % 11);
    if (x0 == x1 && y0 == y1) continue;
    if (cells.Covered(x0, y0, x1, y1)) continue;
    cells.Mark(x0, y0, x1, y1);
    ++drawn;
    ASSERT_TRUE(cells.Covered(x0, y0, x1, y1)) << x0 << ',' << y0 << " " << x1 << ',' << y1;
  }
  EXPECT_LE(drawn, 31 * 31);
}

TEST(CoverageCellsTest, TooManyCellsSkipNothing) {
  CCoverageCells cells(0, 0, 30000, 30000, 1);  // 90000^2 cells would be needed
  cells.Mark(0, 0, 100, 0);
  EXPECT_FALSE(cells.Covered(0, 0, 100, 0));
}

TEST_F(PictureTest, ThumbnailIsSizedByItsLargerSideAndKeepsTheAspect) {
  LoadColored({{0, 0, KIND_MOVE}, {1000, 0, KIND_STITCH}, {1000, 500, KIND_STITCH}}, {kRed});
  for (int size : {16, 256, 1024}) {
    ASSERT_TRUE(DrawDesignThumbnail(dlg, size, picture));
    EXPECT_EQ(picture.width, size);
    EXPECT_NEAR(picture.height, size / 2, 1 + ThumbnailLineWidth(size, 1.0));
  }
  // A straight line still gets a picture at least a pixel high.
  LoadColored({{0, 0, KIND_MOVE}, {800, 0, KIND_STITCH}}, {kRed});
  ASSERT_TRUE(DrawDesignThumbnail(dlg, 128, picture));
  EXPECT_EQ(picture.width, 128);
  EXPECT_GE(picture.height, 1);
  EXPECT_LE(picture.height, 8);
}

TEST_F(PictureTest, NothingSewnGivesNoThumbnail) {
  LoadColored({{0, 0, KIND_MOVE}, {500, 500, KIND_MOVE}, {500, 500, KIND_STITCH}}, {kRed});
  EXPECT_FALSE(DrawDesignThumbnail(dlg, 256, picture));
  EXPECT_EQ(picture.width, 0);
  CHeadlessViewer fresh;
  EXPECT_FALSE(DrawDesignThumbnail(fresh.dlg, 256, picture));
}

TEST_F(PictureTest, ThumbnailLinesAreSmoothAndInTheirBlocksColours) {
  std::vector<Record> records = Square(400);
  records.push_back({0, 0, KIND_COLOR});
  for (const Record& r : Square(400, 600)) records.push_back(r);
  LoadColored(records, {kRed, RGB(0, 0, 200)});
  ASSERT_TRUE(DrawDesignThumbnail(dlg, 256, picture));
  EXPECT_GT(PartlyTransparent(picture), 100);  // anti-aliased edges
  // The first square's left side in red, the second's right side in blue;
  // the middles of both squares stay transparent.
  const int y = picture.height / 2;
  int red = 0, blue = 0;
  for (int x = 0; x < picture.width; ++x) {
    const std::uint32_t p = picture.At(x, y);
    if (p >> 24) continue;
    if (p == 0xDC141E) ++red;
    if (p == 0x0000C8) ++blue;
  }
  EXPECT_GE(red, 2);
  EXPECT_GE(blue, 2);
  EXPECT_EQ(picture.At(picture.width / 6, y) >> 24, 0xFFu);
  EXPECT_EQ(picture.At(picture.width * 5 / 6, y) >> 24, 0xFFu);
}

TEST_F(PictureTest, WhiteThreadShowsOnWhiteAndOnBlack) {
  LoadColored(Square(500), {kWhite});
  ASSERT_TRUE(DrawDesignThumbnail(dlg, 256, picture));
  EXPECT_GT(Contrasting(picture, 0xFFFFFF), 200);  // its darker edge
  EXPECT_GT(Contrasting(picture, 0x000000), 200);  // the thread itself
  // A dark thread needs no edge: its pixels are its own colour or blends of it.
  LoadColored(Square(500), {RGB(0, 0, 0)});
  ASSERT_TRUE(DrawDesignThumbnail(dlg, 256, picture));
  for (std::uint32_t p : picture.pixels) ASSERT_TRUE((p >> 24) == 0xFF || (p & 0xFFFFFF) == 0) << std::hex << p;
}

TEST_F(PictureTest, APileOfRandomStitchesOnAMillimetreIsStillDrawnWhole) {
  // The hostile design of the stress files, 2 MiB of it: a million
  // stitches between random points of a 1 mm square cover the square.
  Read("sew", stress::RandomSquareSew(2u << 20, 10));
  ASSERT_TRUE(dlg.m_bLoaded);
  for (int size : {256, 1024}) {
    ASSERT_TRUE(DrawDesignThumbnail(dlg, size, picture));
    const std::uint32_t middle = picture.At(picture.width / 2, picture.height / 2);
    EXPECT_EQ(middle >> 24, 0u) << size;
    EXPECT_GT(Contrasting(picture, 0xFFFFFF), picture.width * picture.height / 2) << size;
  }
}

TEST_F(PictureTest, VectorPicturesAreAtTrueSize) {
  LoadColored({{0, 0, KIND_MOVE}, {1000, 0, KIND_STITCH}, {1000, 500, KIND_STITCH}}, {kRed});
  // 100 mm by 50 mm: 283.46 by 141.73 points.
  const std::string pdf = Text(DesignVectorPicture(dlg, VectorFormat::pdf));
  std::smatch box;
  ASSERT_TRUE(std::regex_search(pdf, box, std::regex(R"(/MediaBox \[ 0 0 ([0-9.]+) ([0-9.]+) \])")));
  EXPECT_NEAR(std::stod(box[1]), 283.4646, 0.001);
  EXPECT_NEAR(std::stod(box[2]), 141.7323, 0.001);
  const std::string svg = Text(DesignVectorPicture(dlg, VectorFormat::svg));
  EXPECT_NE(svg.find("width=\"283.46"), std::string::npos);
  EXPECT_NE(svg.find("height=\"141.73"), std::string::npos);
  CHeadlessViewer fresh;
  EXPECT_TRUE(DesignVectorPicture(fresh.dlg, VectorFormat::svg).empty());
}

// Whether the tags of an XML text nest: every element closed in order,
// nothing after the root.
bool WellFormed(const std::string& xml) {
  std::vector<std::string> open;
  bool rootClosed = false;
  for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string::npos) return false;
    const std::string tag = xml.substr(at + 1, end - at - 1);
    if (tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
    if (rootClosed) return false;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return false;
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(tag.substr(0, tag.find_first_of(" \t\n")));
    }
    if (open.empty()) rootClosed = true;
  }
  return rootClosed;
}

TEST_F(PictureTest, SvgIsWellFormedWithOnePathPerBlockAndAnEdgeUnderALightOne) {
  std::vector<Record> records;
  const COLORREF colors[] = {kRed, RGB(0, 160, 0), kWhite, RGB(0, 0, 200)};
  for (int k = 0; k < 4; ++k) {
    if (k) records.push_back({k * 300 - 300, 0, KIND_COLOR});
    for (const Record& r : Square(200, k * 300)) records.push_back(r);
  }
  LoadColored(records, {std::begin(colors), std::end(colors)});
  const std::string svg = Text(DesignVectorPicture(dlg, VectorFormat::svg));
  EXPECT_TRUE(WellFormed(svg));
  std::vector<std::string> strokes;
  const std::regex path(R"(<path[^>]*stroke:rgb\(([0-9.]+)%,([0-9.]+)%,([0-9.]+)%\))");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), path); it != std::sregex_iterator(); ++it) {
    char rgb[16];
    std::snprintf(rgb, sizeof rgb, "%02X%02X%02X", static_cast<int>(std::lround(std::stod((*it)[1]) * 2.55)),
                  static_cast<int>(std::lround(std::stod((*it)[2]) * 2.55)),
                  static_cast<int>(std::lround(std::stod((*it)[3]) * 2.55)));
    strokes.push_back(rgb);
  }
  // Block by block; the white one's grey edge (55 %) right before it.
  EXPECT_EQ(strokes, (std::vector<std::string>{"DC141E", "00A000", "8C8C8C", "FFFFFF", "0000C8"}));
}

TEST_F(PictureTest, AFloodOfColourChangesIsDrawnInBoundedStrokes) {
  // 50,000 blocks of one stitch each, red and blue in turn: past 20,000
  // strokes the blocks are gathered, so the SVG holds far fewer paths than
  // blocks; the thumbnail still shows both colours.
  std::vector<Record> records;
  std::vector<COLORREF> colors;
  for (int k = 0; k < 50000; ++k) {
    const int x = (k % 250) * 8, y = (k / 250) * 8;
    if (k) records.push_back({x, y, KIND_COLOR});
    records.push_back({x, y, KIND_MOVE});
    records.push_back({x + 5, y + 5, KIND_STITCH});
    colors.push_back(k % 2 ? RGB(0, 0, 200) : kRed);
  }
  LoadColored(records, colors);
  const std::string svg = Text(DesignVectorPicture(dlg, VectorFormat::svg));
  std::size_t paths = 0;
  for (std::size_t at = svg.find("<path"); at != std::string::npos; at = svg.find("<path", at + 1)) ++paths;
  EXPECT_GE(paths, 20000u);
  EXPECT_LE(paths, 20000u + 50000 / 4096 + 2);
  ASSERT_TRUE(DrawDesignThumbnail(dlg, 256, picture));
  bool red = false, blue = false;
  for (std::uint32_t p : picture.pixels) {
    red = red || p == 0xDC141E;
    blue = blue || p == 0x0000C8;
  }
  EXPECT_TRUE(red);
  EXPECT_TRUE(blue);
}

TEST_F(PictureTest, SheetFactsCountEachStepsStitchesAsTheWritersWalkThem) {
  // Block 1: a move, three stitches; block 2: two stitches, a move, one stitch.
  LoadColored({{100, 0, KIND_MOVE}, {200, 0, KIND_STITCH}, {200, 100, KIND_STITCH}, {100, 100, KIND_STITCH},
               {100, 100, KIND_COLOR}, {150, 50, KIND_STITCH}, {160, 50, KIND_STITCH}, {300, 300, KIND_MOVE},
               {310, 300, KIND_STITCH}},
              {kRed, kWhite});
  dlg.m_threads[0] = CThread{.color = kRed, .name = "Rot", .catalog = "800", .brand = "Marke"};
  const CSheetFacts facts = SheetFacts(dlg);
  EXPECT_EQ(facts.steps, 2);
  ASSERT_EQ(facts.listed.size(), 2u);
  EXPECT_EQ(facts.listed[0].stitches, 3);
  EXPECT_EQ(facts.listed[1].stitches, 3);
  EXPECT_EQ(facts.stitches, 6);
  EXPECT_EQ(facts.moves, 2);
  EXPECT_EQ(facts.listed[0].thread, "Marke 800 Rot");
  EXPECT_EQ(facts.listed[1].thread, "RGB #FFFFFF");
  EXPECT_EQ(facts.listed[1].color, kWhite);
  // The extent of what is sewn: 100..310 by 0..300.
  EXPECT_EQ(facts.widthUnits, 210);
  EXPECT_EQ(facts.heightUnits, 300);
}

TEST_F(PictureTest, ThreadTextFallsBackToTheChartThePaletteOrRgb) {
  LoadDesign({{0, 0, KIND_MOVE}, {100, 0, KIND_STITCH}}, FORMAT_DST);
  dlg.m_blockColor[0] = 5;
  EXPECT_EQ(ThreadText(dlg, 0).rfind("Palette Nr. 5 (#", 0), 0u) << ThreadText(dlg, 0);
  dlg.m_threads = {ChartThread(ThreadChart::pec, 29), CThread{.color = RGB(1, 2, 3), .chart = ThreadChart::pcsFile, .index = 3}};
  EXPECT_EQ(ThreadText(dlg, 0), "Brother 001 White");
  dlg.m_bThreadColors = TRUE;
  EXPECT_EQ(ThreadText(dlg, 1), "Farbtabelle der Datei Nr. 3 (#010203)");
  EXPECT_EQ(ThreadText(dlg, 7), "RGB #000000");  // no such block: the fallback colour
}

TEST(WorksheetTextTest, NumbersLengthsTimeAndScaleInGerman) {
  EXPECT_EQ(CountText(0), "0");
  EXPECT_EQ(CountText(999), "999");
  EXPECT_EQ(CountText(1000), "1.000");
  EXPECT_EQ(CountText(16773443), "16.773.443");
  EXPECT_EQ(LengthText(1184), "118,4 mm (4,66 in)");
  EXPECT_EQ(LengthText(0), "0,0 mm (0,00 in)");
  CSheetFacts facts;
  facts.stitches = 7000;  // 10 min
  facts.steps = 6;        // 5 changes, 5 min
  EXPECT_EQ(SewingTimeText(facts), "ca. 15 min (700 Stiche pro Minute, 1 min je Farbwechsel)");
  facts.stitches = 70000;
  EXPECT_EQ(SewingTimeText(facts).substr(0, 15), "ca. 1 h 45 min ");
  facts.stitches = 1;
  facts.steps = 1;
  EXPECT_EQ(SewingTimeText(facts).substr(0, 10), "ca. 1 min ");
  EXPECT_EQ(ScaleText(1), "Ma\xC3\x9Fstab 1:1 (Originalgr\xC3\xB6\xC3\x9F" "e)");
  EXPECT_EQ(ScaleText(0.4), "verkleinert, Ma\xC3\x9Fstab 1:2,50 (40 %)");
}

TEST(WorksheetTextTest, FileTextBecomesValidUtf8) {
  EXPECT_EQ(Utf8Text("Gr\xC3\xBC\xC3\x9F" "e"), "Gr\xC3\xBC\xC3\x9F" "e");  // UTF-8 stays
  EXPECT_EQ(Utf8Text("Gr\xFC\xDF" "e"), "Gr\xC3\xBC\xC3\x9F" "e");          // Latin-1 is converted
  EXPECT_EQ(Utf8Text("a\tb\x7F" "c\x85"), "a?b?c?");                         // controls
  EXPECT_EQ(Utf8Text("\xE2\x82"), "\xC3\xA2?");                              // a cut sequence
  EXPECT_EQ(Utf8Text("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0?");                 // a surrogate, as Latin-1
  EXPECT_EQ(Utf8Text("\xF0\x9F\xA7\xB5"), "\xF0\x9F\xA7\xB5");               // four bytes
}

TEST(WorksheetTest, TrueSizeWhenTheDrawingFitsOtherwiseTheLargestThatDoes) {
  const CPaperSize a4 = PaperSize(Paper::a4);
  const double width = a4.width - 2 * kSheetMarginPt;  // 180 mm
  EXPECT_EQ(SheetScale(1000, 1000, width, 500), 1.0);
  // 180 mm less the line: the widest design drawn at true size.
  EXPECT_EQ(SheetScale(1796, 100, width, 500), 1.0);
  const double scale = SheetScale(3596, 100, width, 500);  // twice as wide
  EXPECT_NEAR(scale, 0.5, 0.001);
  EXPECT_NEAR((3596 + 4) * 72 / 254.0 * scale, width, 1e-9);
  EXPECT_NEAR(SheetScale(100, 2000, width, 200), 200 / (2004 * 72 / 254.0), 1e-12);
  Paper paper = Paper::a4;
  EXPECT_TRUE(ParsePaper("Letter", paper));
  EXPECT_EQ(paper, Paper::letter);
  EXPECT_FALSE(ParsePaper("a5", paper));
  EXPECT_EQ(PaperSize(Paper::letter).width, 612);
}

TEST_F(PictureTest, TheContextMenuSavesTheWorksheetThroughTheSaveDialog) {
  auto choose = [this] {
    CMessage msg = CMessage::SysCommand(IDM_WORKSHEET);
    dlg.OnMessage(msg);
  };
  choose();  // nothing loaded: the saves' message, no dialog
  EXPECT_EQ(platform.messages.back(), "Noch keine g\xC3\xBCltigen Daten geladen !");
  EXPECT_TRUE(platform.saveRequests.empty());

  Read("sew", stress::TinySew(20000));
  TempDir dir;
  const std::string path = (dir.path() / "blatt.pdf").string();
  platform.saveAnswers.push_back({false, ""});  // cancelled: nothing written
  choose();
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::cancelled);
  platform.saveAnswers.push_back({true, path});
  choose();
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::written);
  ASSERT_EQ(platform.saveRequests.size(), 2u);
  const SaveFileRequest& request = platform.saveRequests.back();
  EXPECT_EQ(request.defaultExt, "PDF");
  EXPECT_EQ(request.filter, "PDF-Dokument (*.pdf)|*.pdf");
  EXPECT_TRUE(request.overwritePrompt);
  const Bytes pdf = ReadFileBytes(path);
  ASSERT_GT(pdf.size(), 1000u);
  EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
  // The window's sheet is the command line's: A4, the file's name as its title.
  const std::string text(pdf.begin(), pdf.end());
  EXPECT_NE(text.find("/MediaBox [ 0 0 595.275591 841.889764 ]"), std::string::npos);
}

TEST_F(PictureTest, EveryCorpusThumbnailIsSmoothAndShowsOnWhite) {
  int seen = 0;
  for (const char* ext : {"pes", "pec", "dst", "pcs", "sew"}) {
    for (const auto& file : CorpusFiles(ext)) {
      CHeadlessViewer viewer({.disk = true, .paint = false, .echoBoxes = false});
      if (viewer.Load(file.string()) != LoadOutcome::loaded) continue;
      if (!DrawDesignThumbnail(viewer.dlg, 256, picture)) continue;  // nothing sewn
      ++seen;
      EXPECT_EQ(std::max(picture.width, picture.height), 256) << file;
      EXPECT_GT(PartlyTransparent(picture), 20) << file;
      // Transparent over a white file manager.
      EXPECT_GT(Contrasting(picture, 0xFFFFFF), 100) << file;
    }
  }
  if (seen == 0) GTEST_SKIP() << "corpus folder not present";
}

}  // namespace
