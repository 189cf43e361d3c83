// The PEC and PES writers: the section byte by byte against a fixture of
// the sheet's layout, the icons, the label, the thread indices of every
// source format and the nearest-colour test vectors, the limits, and what
// our own readers make of the files.
#include <set>

#include "design/thread_charts.h"
#include "export/pec_writer.h"
#include "export/pes_writer.h"
#include "export/sew_writer.h"
#include "export/thread_indices.h"
#include "fuzz/brother_janome_check.h"
#include "fuzz/sewing_compare.h"
#include "tests/test_support.h"

namespace {

constexpr std::size_t kS = 8;  // the section in a PEC file

unsigned U24(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16; }
unsigned U16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

// The 512 section bytes before the stitch block, as the sheet lays them out.
ByteBuilder SectionHeader(const std::string& label16, const std::vector<unsigned>& indices) {
  ByteBuilder b;
  b.text("LA:").text(label16).u8(0x0D).fill(12, 0x20);
  b.bytes({0xFF, 0x00, 0x06, 0x26});                                      // icons: 6 bytes a row, 38 rows
  b.bytes({0x20, 0x20, 0x20, 0x20, 0x64, 0x20, 0x00, 0x20, 0x00, 0x20, 0x20, 0x20});
  b.u8(static_cast<unsigned>(indices.size() - 1));
  for (unsigned i : indices) b.u8(i);
  return b.padTo(512, 0x20);
}

// Icon i of a written PEC file.
Bytes Icon(const Bytes& file, std::size_t section, int i) {
  const std::size_t at = section + 512 + U24(file, section + 514) + 228 * static_cast<std::size_t>(i);
  return Bytes(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at + 228));
}

CThread Colored(COLORREF color) {
  CThread thread;
  thread.color = color;
  return thread;
}

bool Pixel(const Bytes& icon, int x, int y) { return icon[static_cast<std::size_t>(6 * y + x / 8)] >> (x % 8) & 1; }

// The rounded frame: rows 0 and 37 empty, rows 1 and 36 columns 4..43, and
// the corners and sides of the template.
bool FramePixel(int x, int y) {
  const int r = std::min(y, 37 - y), c = std::min(x, 47 - x);
  if (r == 0) return false;
  if (r == 1) return c >= 4;
  if (r <= 3) return c == 5 - r;
  return c == 1;
}

int DrawnPixels(const Bytes& icon) {
  int n = 0;
  for (int y = 0; y < 38; ++y)
    for (int x = 0; x < 48; ++x) {
      EXPECT_TRUE(!FramePixel(x, y) || Pixel(icon, x, y)) << "frame pixel " << x << "," << y << " missing";
      n += Pixel(icon, x, y) && !FramePixel(x, y);
    }
  return n;
}

class PecWriterTest : public ViewerTest {
 protected:
  CEncoded Pec(const std::string& stem = "muster") { return EncodePec(dlg, {stem}); }
  TempDir dir;
};

}  // namespace

TEST_F(PecWriterTest, SectionMatchesTheSheetByteForByte) {
  LoadDesign({{10, 20, KIND_STITCH},     // away from the start: a jump there, then the stitch
              {73, 20, KIND_STITCH},     // +63: the largest short field
              {9, 20, KIND_STITCH},      // -64: the smallest
              {9, 20, KIND_COLOR},
              {79, -300, KIND_STITCH},   // 70, -320: long fields
              {529, -400, KIND_MOVE},    // a move after a stitch: trim flag
              {529, -400, KIND_COLOR},
              {-1671, -500, KIND_MOVE},  // -2200 after a change: two pieces, jump then trim
              {789, -500, KIND_STITCH}},  // 2460: two stitches of 1230
             FORMAT_DST);
  const CEncoded pec = Pec("Blumenwiese");
  ASSERT_FALSE(pec.Refused());
  ByteBuilder want;
  want.text("#PEC0001");
  const ByteBuilder header = SectionHeader("Blumenwi        ", {2, 3, 4});  // DST blocks: 2 + k
  for (std::uint8_t v : header.data()) want.u8(v);
  want.u16le(0).u24le(61).bytes({0x31, 0xFF, 0xF0});
  want.u16le(2460).u16le(520);                // the box: -1671..789 x -500..20
  want.bytes({0xE0, 0x01, 0xB0, 0x01});
  want.bytes({0x96, 0x87, 0x91, 0xF4});       // lead-in (1671, 500) from the corner
  want.bytes({0x90, 0x0A, 0x90, 0x14, 0x00, 0x00});  // jump (10, 20), stitch in place
  want.bytes({0x3F, 0x00, 0x40, 0x00});
  want.bytes({0xFE, 0xB0, 0x02});
  want.bytes({0x80, 0x46, 0x8E, 0xC0});       // 70, -320 (0xEC0)
  want.bytes({0xA1, 0xC2, 0xAF, 0x9C});       // trim 450, -100
  want.bytes({0xFE, 0xB0, 0x01});
  want.bytes({0x9B, 0xB4, 0x9F, 0xCE, 0xAB, 0xB4, 0xAF, 0xCE});  // jump, then trim (-1100, -50)
  want.bytes({0x84, 0xCE, 0x80, 0x00, 0x84, 0xCE, 0x80, 0x00});
  want.u8(0xFF);
  ASSERT_EQ(pec.bytes.size(), want.size() + 4 * 228);  // 1 + 3 icons
  EXPECT_EQ(Bytes(pec.bytes.begin(), pec.bytes.begin() + static_cast<long>(want.size())), want.data());
  EXPECT_EQ(Icon(pec.bytes, kS, 0)[0], 0x00);  // readers look for FF 00

  // The same section behind the short PES header.
  const CEncoded pes = EncodePes(dlg, {"Blumenwiese"});
  ByteBuilder pesHeader;
  pesHeader.text("#PES0001").s32le(22).fill(10);
  ASSERT_EQ(pes.bytes.size(), pec.bytes.size() + 14);
  EXPECT_EQ(Bytes(pes.bytes.begin(), pes.bytes.begin() + 22), pesHeader.data());
  EXPECT_TRUE(std::equal(pec.bytes.begin() + 8, pec.bytes.end(), pes.bytes.begin() + 22));

  // Our readers decode every record where the design has it, moves as moves.
  const std::vector<SewingStep> source = SewingSteps(dlg);
  for (const char* format : {"pec", "pes"}) {
    Read(format, format == std::string("pec") ? pec.bytes : pes.bytes);
    EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), 0), "") << format;
    EXPECT_EQ(dlg.m_strLabel, "Blumenwi");
    EXPECT_EQ(dlg.m_nColorCount, 3);
    EXPECT_EQ(dlg.m_threads.size(), 3u);
  }
}

TEST_F(PecWriterTest, IconsAreDrawnInTheFrameAndOurThumbnailShowsThem) {
  // A line across the whole width: s = 0.1, columns 4..43 in row 19.
  LoadDesign({{0, 0, KIND_STITCH}, {390, 0, KIND_STITCH}, {390, 0, KIND_COLOR}, {390, 0, KIND_MOVE},
              {200, 0, KIND_STITCH}},
             FORMAT_DST);
  const CEncoded pec = Pec();
  const Bytes main = Icon(pec.bytes, kS, 0), first = Icon(pec.bytes, kS, 1), second = Icon(pec.bytes, kS, 2);
  EXPECT_EQ(Bytes(main.begin() + 6 * 19, main.begin() + 6 * 20), (Bytes{0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0x4F}));
  EXPECT_EQ(DrawnPixels(main), 40);
  EXPECT_EQ(DrawnPixels(first), 40);
  // Block 1 is a lone stitch after a move: its point, at the main icon's scale.
  EXPECT_EQ(DrawnPixels(second), 1);
  EXPECT_TRUE(Pixel(second, 24, 19));  // floor(4 + 200 * 0.1 + 0.5)

  // A design far taller than wide keeps its proportions, centred: s = 0.01,
  // X 0 and 10 at floor(4 + (39 - 0.1) / 2 + 0.5) = 23 and 24, rows 3..34.
  LoadDesign({{0, 0, KIND_STITCH}, {0, 3100, KIND_STITCH}, {10, 3100, KIND_STITCH}}, FORMAT_DST);
  const Bytes tall = Icon(Pec().bytes, kS, 0);
  EXPECT_TRUE(Pixel(tall, 23, 3) && Pixel(tall, 23, 34) && Pixel(tall, 24, 34));
  EXPECT_EQ(DrawnPixels(tall), 33);

  // Read back through the PES reader and painted, the thumbnail frame shows it.
  LoadDesign({{0, 0, KIND_STITCH}, {300, 300, KIND_STITCH}, {0, 300, KIND_STITCH}}, FORMAT_DST);
  const Bytes pes = EncodePes(dlg, {"bild"}).bytes;
  CHeadlessViewer shown({.disk = false, .paint = true});
  shown.platform.SetFrameSize(IDC_THUMBNAIL, 60, 50);
  ASSERT_EQ(shown.Load(pes, "bild.pes"), LoadOutcome::loaded);
  ASSERT_TRUE(shown.dlg.m_bHasThumbnail);
  EXPECT_EQ(Bytes(std::begin(shown.dlg.m_thumbnail), std::end(shown.dlg.m_thumbnail)), Icon(pes, 22, 0));
  const CPixelBuffer& frame = shown.platform.ControlPixels(IDC_THUMBNAIL);
  std::set<std::uint32_t> colours(frame.pixels.begin(), frame.pixels.end());
  EXPECT_GE(colours.size(), 2u) << "the thumbnail frame shows nothing";
}

TEST_F(PecWriterTest, LabelIsSingleByteCutToEightAndTheDesignNameComesFirst) {
  LoadDesign({{5, 5, KIND_STITCH}}, FORMAT_DST);
  const auto label = [](const Bytes& b) { return std::string(b.begin() + kS + 3, b.begin() + kS + 19); };
  EXPECT_EQ(label(Pec("Sch\xC3\xB6n\tgelb und rot").bytes), "Sch__n_g        ");
  EXPECT_EQ(label(Pec("kurz").bytes), "kurz            ");
  EXPECT_EQ(Pec("kurz").bytes[kS + 19], 0x0D);
  dlg.m_strLabel = "Eigener Name";
  EXPECT_EQ(label(Pec("datei").bytes), "Eigener         ");
}

TEST_F(PecWriterTest, ThreadIndicesBySourceFormat) {
  const auto indices = [&](int blocks) {
    const Bytes b = Pec().bytes;
    EXPECT_EQ(b[kS + 48] + 1, blocks);
    return Bytes(b.begin() + kS + 49, b.begin() + kS + 49 + blocks);
  };
  std::vector<Record> records;
  for (int k = 0; k < 62; ++k) records.insert(records.end(), {{k, 0, KIND_STITCH}, {k, 0, KIND_COLOR}});
  records.push_back({99, 0, KIND_STITCH});
  // DST: the preview's indices, 2 + (k mod 60).
  LoadDesign(records, FORMAT_DST);
  const Bytes dst = indices(63);
  EXPECT_EQ(dst[0], 2);
  EXPECT_EQ(dst[59], 61);
  EXPECT_EQ(dst[60], 2);
  EXPECT_EQ(dst[62], 4);

  // PES and PEC: the file's own, repeats kept, unknown ones Black.
  LoadDesign({{1, 0, KIND_STITCH}, {1, 0, KIND_COLOR}, {2, 0, KIND_STITCH}, {2, 0, KIND_COLOR},
              {3, 0, KIND_STITCH}, {3, 0, KIND_COLOR}, {4, 0, KIND_STITCH}},
             FORMAT_BROTHER);
  for (int index : {5, 5, 0, 70}) dlg.m_threads.push_back(ChartThread(ThreadChart::pec, index));
  EXPECT_EQ(indices(4), (Bytes{5, 5, 20, 20}));

  // SEW: the nearest entry to the Janome chart's colour (23 Silver Gray
  // #E5E5E5 -> 29 White, not 16 Silver as the preview's grey would give;
  // 10 Red -> 5 Red; no code: black).
  dlg.m_threads.clear();
  for (int code : {23, 10, 10, 0}) dlg.m_threads.push_back(ChartThread(ThreadChart::janome, code));
  dlg.m_nFormat = FORMAT_SEW;
  EXPECT_EQ(indices(4), (Bytes{29, 5, 5, 20}));

  // Any design with RGB: the nearest entry; two neighbours of different
  // colours that meet on one index are told apart by the next-nearest.
  dlg.m_threads.clear();
  for (COLORREF c : {RGB(0, 0, 255), RGB(0, 0, 250), RGB(0, 0, 250), RGB(255, 255, 255)})
    dlg.m_threads.push_back(Colored(c));
  dlg.m_nFormat = 32;
  const Bytes rgb = indices(4);
  EXPECT_EQ(rgb[0], 21);  // Ultramarine
  EXPECT_EQ(rgb[1], 1);   // Prussian Blue, the next-nearest to #0000FA
  EXPECT_EQ(rgb[2], 21);  // same colour as the block before: no change forced
  EXPECT_EQ(rgb[3], 29);
}

TEST(ThreadCharts, NearestColourTestVectorsOfTheSheet) {
  // The 16 default colours of our PCS writer.
  struct Vector {
    std::uint32_t rgb;
    int pec, janome;
  };
  constexpr Vector kVectors[] = {
      {0x000000, 20, 1},  {0x000080, 1, 60},  {0x0000FF, 21, 12}, {0x008080, 3, 49},
      {0x00FFFF, 53, 7},  {0x800080, 22, 41}, {0xFF00FF, 25, 63}, {0x800000, 24, 20},
      {0xFF0000, 5, 10},  {0x008000, 56, 75}, {0x00FF00, 14, 22}, {0x808000, 17, 45},
      {0xFFFF00, 13, 3},  {0x808080, 39, 54}, {0xC0C0C0, 40, 21}, {0xFFFFFF, 29, 2},
  };
  for (const Vector& v : kVectors) {
    EXPECT_EQ(NearestChartIndex(PecChart(), 1, 61, FromRgb(v.rgb)), v.pec) << std::hex << v.rgb;
    EXPECT_EQ(NearestChartIndex(JanomeChart(), 1, 78, FromRgb(v.rgb)), v.janome) << std::hex << v.rgb;
  }
}

TEST_F(PecWriterTest, EmptyBlocksAtTheEndsAreLeftOutAndStopsBetweenKept) {
  // A PCS design begins with a change; a change after the last stitch opens nothing.
  LoadDesign({{0, 0, KIND_COLOR}, {0, 0, KIND_COLOR}, {5, 0, KIND_STITCH}, {5, 0, KIND_COLOR},
              {5, 0, KIND_COLOR}, {9, 0, KIND_STITCH}, {9, 0, KIND_COLOR}},
             FORMAT_PCS);
  dlg.m_threads = {CThread{}, Colored(RGB(255, 0, 0)), Colored(RGB(255, 255, 0)),
                   Colored(RGB(0, 0, 255)), Colored(RGB(255, 255, 255)), CThread{}};
  const Bytes b = Pec().bytes;
  EXPECT_EQ(b[kS + 48], 2);  // blocks 2, 3 (empty, kept between stitches) and 4
  EXPECT_EQ(Bytes(b.begin() + kS + 49, b.begin() + kS + 52), (Bytes{13, 21, 29}));
  Read("pec", b);
  EXPECT_EQ(dlg.m_nColorCount, 3);
}

TEST_F(PecWriterTest, LimitsRefuseAndWhatFitsIsWritten) {
  std::vector<Record> records;
  for (int k = 0; k < 255; ++k) records.insert(records.end(), {{k, 0, KIND_STITCH}, {k, 0, KIND_COLOR}});
  records.push_back({0, 9, KIND_STITCH});  // 256 blocks
  LoadDesign(records, FORMAT_DST);
  const std::string path = (dir.path() / "viele.pes").string();
  EXPECT_EQ(Save(*FindFormat("pes"), path), SaveOutcome::refused);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Mehr als 255 Farben, Konvertierung abgebrochen"});
  EXPECT_FALSE(std::filesystem::exists(path));

  records.erase(records.end() - 3, records.end() - 1);  // 255 blocks fit
  LoadDesign(records, FORMAT_DST);
  EXPECT_EQ(Save(*FindFormat("pec"), path), SaveOutcome::written);
  const Bytes b = ReadFileBytes(path);
  EXPECT_EQ(b[kS + 48], 254);
  EXPECT_EQ(b.size(), kS + 512 + U24(b, kS + 514) + 256 * 228);

  // The widest design the positions allow fits the size fields.
  LoadDesign({{-32768, -32768, KIND_STITCH}, {32767, 32767, KIND_STITCH}}, FORMAT_DST);
  const Bytes wide = Pec().bytes;
  EXPECT_EQ(U16(wide, kS + 520), 65535u);
  EXPECT_EQ(U16(wide, kS + 522), 65535u);
}

TEST_F(PecWriterTest, StartFarFromTheStitchesBeginsAtTheirCorner) {
  // The start lies 300 mm right of the stitches: no lead-in reaches it, so
  // the records begin at the stitches' corner and travel from there.
  LoadDesign({{-3000, 40, KIND_STITCH}, {-2900, 50, KIND_STITCH}, {-2950, 80, KIND_STITCH}}, FORMAT_DST);
  const std::vector<SewingStep> source = SewingSteps(dlg);
  const Bytes first = Pec().bytes;
  EXPECT_EQ(Bytes(first.begin() + kS + 528, first.begin() + kS + 532), (Bytes{0x90, 0x00, 0x90, 0x00}));
  EXPECT_EQ(U16(first, kS + 520), 100u);
  EXPECT_EQ(U16(first, kS + 522), 40u);
  Read("pec", first);
  EXPECT_EQ(SewingDifference(source, SewingSteps(dlg), 0), "");
  EXPECT_EQ(dlg.m_nMinX, 0);
  EXPECT_EQ(Pec().bytes, first);  // and a second pass writes the same
}

TEST_F(PecWriterTest, EmptyDesignStillHasBlockZeroAndItsFrame) {
  LoadDesign({}, FORMAT_DST);
  const Bytes b = Pec().bytes;
  EXPECT_EQ(b[kS + 48], 0);  // one block, never 0xFF
  EXPECT_EQ(U24(b, kS + 514), 21u);
  EXPECT_EQ(b[kS + 532], 0xFF);
  EXPECT_EQ(b.size(), kS + 512 + 21 + 2 * 228);
  EXPECT_EQ(DrawnPixels(Icon(b, kS, 0)), 0);
  Read("pec", b);
  EXPECT_EQ(dlg.m_nStitchCount, 0);
}

TEST(BrotherAndJanomeFiles, EveryCorpusDesignWritesFilesOfTheLayoutWithItsThreads) {
  // Each written file passes the layout checks of the fuzz save check (which
  // also read it back and compare what it sews); a Brother source keeps its
  // own thread indices.
  CHeadlessViewer v(kMemoryOnly);
  int files = 0;
  for (const FormatEntry& source : Formats()) {
    for (const auto& path : CorpusFiles(source.name)) {
      ASSERT_EQ(v.Load(ReadFileBytes(path), path.filename().string()), LoadOutcome::loaded) << path;
      ++files;
      const CEncoded pes = EncodePes(v.dlg, {"korpus"}), pec = EncodePec(v.dlg, {"korpus"});
      const CEncoded sew = EncodeSew(v.dlg, {"korpus"});
      ASSERT_FALSE(pes.Refused()) << path;  // no corpus design has more than 255 colours
      EXPECT_EQ(FindBrotherOutputFault(v.dlg, pes.bytes, true), "") << path;
      EXPECT_EQ(FindBrotherOutputFault(v.dlg, pec.bytes, false), "") << path;
      if (!sew.Refused()) EXPECT_EQ(FindSewOutputFault(v.dlg, sew.bytes), "") << path;
      else EXPECT_EQ(sew.refusal, "Mehr als 12 Farben, Konvertierung abgebrochen") << path;
      if (v.dlg.m_nFormat != FORMAT_BROTHER) continue;
      std::vector<int> own;
      for (const CThread& t : v.dlg.m_threads) own.push_back(t.index >= 1 && t.index <= 64 ? t.index : 20);
      CHeadlessViewer back(kMemoryOnly);
      ASSERT_EQ(back.Load(pes.bytes, "back.pes"), LoadOutcome::loaded);
      for (std::size_t k = 0; k < back.dlg.m_threads.size() && k < own.size(); ++k)
        EXPECT_EQ(back.dlg.m_threads[k].index, own[k]) << path << " block " << k;
    }
  }
  if (files == 0) GTEST_SKIP() << "corpus folder not present";
}
