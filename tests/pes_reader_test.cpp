// The PES reader, from byte fixtures: single parts, the multi-part flag per
// version, the section search, stacking of parts and cut files.
#include <algorithm>
#include <iterator>

#include "tests/brother_fixture.h"

namespace {

const char kNotice[] = "Multipart-Design !\n\nVor Konvertierung mit Splitfix zerlegen !";

// Section 1 spans Y -50..50 and X -20..10; section 2 Y 0..30 at X 5 with a jump.
PecSection FirstPart() {
  PecSection s;
  s.colors = {3, 4};
  s.stitches = {0x0A, 0x4E,              // (10, -50)
                0x62, 0x80, 0x64,        // (-20, 50)
                0xFF, 0x00};
  return s;
}

PecSection SecondPart() {
  PecSection s;
  s.colors = {7};
  s.stitches = {0x05, 0x00,              // (5, 0)
                0x00, 0x90, 0x1E,        // jump to (5, 30)
                0xFF, 0x00};
  return s;
}

// Records the repaint count at the moment the notice box opens.
class NoticeOrderPlatform : public CHeadlessPlatform {
 public:
  void NoticeBox(const std::string& text) override {
    repaintsAtNotice = repaintCount;
    CHeadlessPlatform::NoticeBox(text);
  }
  int repaintsAtNotice = -1;
};

}  // namespace

class PesReaderTest : public ViewerTest {
 protected:
  void Load(const Bytes& bytes) { Read("pes", bytes); }
  void LoadPec(const Bytes& bytes) { Read("pec", bytes); }
};

TEST_F(PesReaderTest, SinglePartDecodesLikeThePecReader) {
  PecSection s;
  s.colors = {12, 40};
  s.width = 517;
  s.height = 77;
  s.stitches = {0x0A, 0x7F, 0xFE, 0xB0, 0x01, 0xA1, 0x00, 0x8F, 0xF0, 0xFF, 0x00};
  s.thumbnail[0] = 0x01;
  s.thumbnail[100] = 0x7E;
  LoadPec(PecFile(s));
  const auto pecRecords = Records();
  const auto pecThumbnail = std::vector<std::uint8_t>(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail));
  const int pecWidth = dlg.m_nWidth, pecHeight = dlg.m_nHeight;

  dlg.m_nRotation = 1;
  dlg.m_bHasThumbnail = FALSE;
  std::fill(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail), std::uint8_t{0});
  Load(PesFile({s}, "01", 1, 100));
  EXPECT_EQ(Records(), pecRecords);
  EXPECT_EQ(dlg.m_nWidth, pecWidth);
  EXPECT_EQ(dlg.m_nHeight, pecHeight);
  EXPECT_EQ(std::vector<std::uint8_t>(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail)), pecThumbnail);
  EXPECT_EQ(dlg.m_bHasThumbnail, TRUE);
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 2), (std::vector<int>{12, 40}));
  // "Farben:" with one blank, unlike PEC.
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"PE-DESIGN 1.0", "Farben: 2", "Breite:  51.7 mm",
                                                    "H\xC3\xB6he:  7.7 mm", "Stiche: 2"}));
  EXPECT_EQ(dlg.m_nFormat, 1);
  EXPECT_EQ(dlg.m_nRotation, 0);
  EXPECT_TRUE(platform.notices.empty());
}

TEST_F(PesReaderTest, MultiPartFlagDependsOnVersionAndPartCount) {
  struct Case {
    std::string digits;
    unsigned parts;
    bool multi;
  };
  const Case cases[] = {
      {"01", 3, false}, {"25", 1, false}, {"25", 0, false}, {"25", 2, true},
      {"30", 2, true},  {"30", 9, true},  {"20", 2, false}, {"40", 5, false},
      {"52", 2, false}, {"03", 2, false},
  };
  for (const Case& c : cases) {
    platform.notices.clear();
    Load(PesFile({FirstPart(), SecondPart()}, c.digits, c.parts));
    SCOPED_TRACE(c.digits + " parts " + std::to_string(c.parts));
    EXPECT_EQ(platform.notices.size(), c.multi ? 1u : 0u);
    if (c.multi) {
      // Only two sections exist; further passes find nothing.
      EXPECT_EQ(Info(IDC_INFO_COLORS), "Teile:  2");
      EXPECT_EQ(Info(IDC_INFO_WIDTH), "Breite: k.A.");
      EXPECT_EQ(Info(IDC_INFO_HEIGHT), "H\xC3\xB6he: k.A.");
      EXPECT_EQ(dlg.m_nStitchCount, 4);
    } else {
      EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben: 2");
      EXPECT_EQ(dlg.m_nStitchCount, 2);  // the second section is not read
      EXPECT_EQ(dlg.m_nColorCount, 1);
    }
  }
}

TEST_F(PesReaderTest, TwoPartsAreStackedWithAColourChangeAfterEach) {
  NoticeOrderPlatform order;
  order.paintOnRepaint = false;
  CViewerDlg viewer(order);
  order.Create(viewer);
  const Bytes file = PesFile({FirstPart(), SecondPart()}, "30", 2);
  viewer.m_fileData = file;
  const int repaintsBefore = order.repaintCount;
  viewer.ReadPes(static_cast<int>(file.size()));

  std::vector<Record> records;
  for (std::size_t i = 0; i < viewer.m_arrKind.size(); ++i) {
    records.push_back({viewer.m_arrX[i], viewer.m_arrY[i], viewer.m_arrKind[i]});
    if (viewer.m_arrKind[i] == KIND_END) break;
  }
  EXPECT_EQ(records, (std::vector<Record>{{20, 50, KIND_ORIGIN},  // records 0 and 1 move with part 1
                                          {20, 50, KIND_STITCH},
                                          {30, 0, KIND_STITCH},
                                          {0, 100, KIND_STITCH},
                                          {-20, 50, KIND_COLOR},  // unshifted end of part 1
                                          {0, 100, KIND_STITCH},
                                          {0, 130, KIND_MOVE},   // moves are stacked too
                                          {5, 30, KIND_COLOR},
                                          {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(viewer.m_nColorCount, 3);
  EXPECT_EQ(viewer.m_nStitchCount, 4);
  EXPECT_EQ(viewer.m_nHeight, 130);
  EXPECT_EQ(viewer.m_nWidth, 1000);
  EXPECT_EQ(viewer.m_nMinX, 0);
  EXPECT_EQ(viewer.m_nMinY, 0);
  EXPECT_EQ(std::vector<int>(viewer.m_blockColor, viewer.m_blockColor + 3), (std::vector<int>{3, 4, 7}));
  EXPECT_EQ(order.GetControlText(IDC_INFO_FORMAT), "PE-DESIGN 3.0");
  EXPECT_EQ(order.GetControlText(IDC_INFO_STITCHES), "Stiche: 4");
  ASSERT_EQ(order.notices, std::vector<std::string>{kNotice});
  EXPECT_GT(order.repaintsAtNotice, repaintsBefore);  // the preview was painted first
  EXPECT_EQ(viewer.m_bLoaded, TRUE);
}

TEST_F(PesReaderTest, PartWithoutEndMarkerEndsWhereTheNextSectionBegins) {
  // Without its end marker and with no thumbnail after it, the first part's
  // stitch data runs straight into the second section's "LA:".
  PecSection first = FirstPart();
  first.stitches.resize(first.stitches.size() - 2);
  first.thumbnail.clear();
  Load(PesFile({first, SecondPart()}, "30", 2));
  EXPECT_EQ(Records(), (std::vector<Record>{{20, 50, KIND_ORIGIN},
                                            {20, 50, KIND_STITCH},
                                            {30, 0, KIND_STITCH},
                                            {0, 100, KIND_STITCH},
                                            {-20, 50, KIND_COLOR},
                                            {0, 100, KIND_STITCH},
                                            {0, 130, KIND_MOVE},
                                            {5, 30, KIND_COLOR},
                                            {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(dlg.m_nHeight, 130);

  // A movement cut off by the next section is dropped; the next part keeps
  // all of its bytes.
  first.stitches.pop_back();  // the second byte of the long Y field
  Load(PesFile({first, SecondPart()}, "30", 2));
  EXPECT_EQ(Records(), (std::vector<Record>{{-10, 50, KIND_ORIGIN},
                                            {-10, 50, KIND_STITCH},
                                            {0, 0, KIND_STITCH},  // (10, -50), the part's corner
                                            {10, -50, KIND_COLOR},
                                            {0, 0, KIND_STITCH},
                                            {0, 30, KIND_MOVE},
                                            {5, 30, KIND_COLOR},
                                            {END_MARK, END_MARK, KIND_END}}));
}

TEST_F(PesReaderTest, HostileMultiPartFileDecodesEachByteOnce) {
  // 255 parts whose sections lie 32 bytes apart, so that all but the last
  // have their stitch data inside the sections after them; every other byte
  // makes short movements.
  const std::size_t size = 65536;
  ByteBuilder b;
  b.text("#PES0030").u24le(32).u8(0).u8(255).padTo(size, 0x01);
  Bytes file = b;
  for (std::size_t at = 32; at + 3 <= size; at += 32) std::copy_n("LA:", 3, file.begin() + static_cast<long>(at));
  Load(file);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Teile:  255");
  // Only the last part, at 32 x 255, has data of its own: from 532 bytes on.
  EXPECT_EQ(dlg.m_nStitchCount, static_cast<int>(size - (32 * 255 + 532)) / 2);
  EXPECT_EQ(dlg.m_nColorCount, 256);
  EXPECT_LE(Records().size(), size / 2 + 3);
}

TEST_F(PesReaderTest, PartWithoutStitchesDoesNotMoveTheNextOne) {
  PecSection empty;
  empty.colors = {1};
  PecSection second;
  second.stitches = {0x00, 0x0A, 0x00, 0x0A, 0xFF, 0x00};  // (0, 10), (0, 20)
  Load(PesFile({empty, second}, "25", 2));
  EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN},
                                            {0, 0, KIND_STITCH},
                                            {0, 0, KIND_COLOR},
                                            {0, 0, KIND_STITCH},
                                            {0, 10, KIND_STITCH},
                                            {0, 20, KIND_COLOR},
                                            {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(dlg.m_nHeight, 10);
}

TEST_F(PesReaderTest, SectionSearchStartsThirtyTwoBytesOn) {
  // S0 = 40. An "LA:" 31 bytes after S0 is no section; at 32 it is.
  for (int gap : {31, 32}) {
    Bytes file = PesFile({FirstPart()}, "30", 2);
    file[40 + gap] = 'L';
    file[41 + gap] = 'A';
    file[42 + gap] = ':';
    Load(file);
    EXPECT_EQ(Info(IDC_INFO_COLORS), gap == 32 ? "Teile:  2" : "Teile:  1") << gap;
    EXPECT_EQ(platform.notices.size(), gap == 31 ? 1u : 2u);
  }
  // A match needs all three bytes inside the file.
  for (const std::string& tail : {std::string("LA:"), std::string("LA")}) {
    ByteBuilder b;
    for (std::uint8_t v : PesFile({FirstPart()}, "25", 3)) b.u8(v);
    b.text(tail);
    Load(b);
    EXPECT_EQ(Info(IDC_INFO_COLORS), tail == "LA:" ? "Teile:  2" : "Teile:  1") << tail;
  }
  // Later sections are searched from the one found last.
  Load(PesFile({FirstPart(), SecondPart(), FirstPart()}, "30", 3));
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Teile:  3");
  EXPECT_EQ(dlg.m_nColorCount, 4);
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 5), (std::vector<int>{3, 4, 7, 3, 4}));
}

TEST_F(PesReaderTest, ColourListsOfAllPartsStopAtTheTable) {
  const auto palette = std::vector<COLORREF>(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette));
  std::vector<PecSection> sections(3);
  for (int k = 0; k < 3; ++k) {
    sections[k].colors.assign(30, static_cast<unsigned>(k + 1));
  }
  Load(PesFile(sections, "30", 3));
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Teile:  3");
  EXPECT_EQ(dlg.m_blockColor[29], 1);
  EXPECT_EQ(dlg.m_blockColor[30], 2);
  EXPECT_EQ(dlg.m_blockColor[59], 2);
  EXPECT_EQ(dlg.m_blockColor[60], 3);
  EXPECT_EQ(dlg.m_blockColor[63], 3);
  EXPECT_EQ(std::vector<COLORREF>(std::begin(dlg.m_brotherPalette), std::end(dlg.m_brotherPalette)), palette);
}

TEST_F(PesReaderTest, ShortHeadersAndOffsetsOutsideTheFile) {
  const Bytes full = PesFile({FirstPart()}, "30", 2);
  for (std::size_t len = 0; len < 40; ++len) {
    const Bytes cut(full.begin(), full.begin() + static_cast<long>(len));
    // Cut inside "#PES": no PES file at all, reported and not read.
    if (len > 0 && len < 4) {
      EXPECT_EQ(CHeadlessViewer::Load(cut, "kurz.pes"), LoadOutcome::unreadable) << len;
      continue;
    }
    Load(cut);
    SCOPED_TRACE(len);
    EXPECT_EQ(Records().size(), len > 12 ? 4u : 3u);  // a part always ends with a colour change
    EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
    EXPECT_EQ(Info(IDC_INFO_FORMAT).empty(), len < 8);
    EXPECT_EQ(Info(IDC_INFO_STITCHES), "Stiche: 0");
    // The part count needs byte 12; without it the file is single-part and
    // its missing section leaves the texts empty.
    EXPECT_EQ(Info(IDC_INFO_COLORS), len > 12 ? "Teile:  1" : "");
    EXPECT_EQ(Info(IDC_INFO_WIDTH), len > 12 ? "Breite: k.A." : "");
  }

  // Section offsets at the end of the file or far past it.
  for (unsigned s0 : {static_cast<unsigned>(full.size()), static_cast<unsigned>(full.size() - 3), 0xFFFFFFu}) {
    Bytes file = full;
    file[8] = s0 & 0xFF;
    file[9] = (s0 >> 8) & 0xFF;
    file[10] = (s0 >> 16) & 0xFF;
    file[7] = '1';  // version 3.1: single part
    Load(file);
    EXPECT_EQ(Records().size(), 3u) << s0;
    EXPECT_EQ(Info(IDC_INFO_COLORS), "") << s0;
    EXPECT_EQ(Info(IDC_INFO_WIDTH), "") << s0;
    EXPECT_EQ(dlg.m_bHasThumbnail, FALSE) << s0;
  }

  // A thumbnail offset past the file's end shows no thumbnail.
  Bytes file = full;
  file[40 + 516] = 0x7F;
  Load(file);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  EXPECT_EQ(dlg.m_nStitchCount, 2);
}

TEST_F(PesReaderTest, EveryCutOfAMultiPartFileLoads) {
  const Bytes full = PesFile({FirstPart(), SecondPart(), FirstPart()}, "30", 3);
  for (std::size_t len = 0; len <= full.size(); ++len) {
    if (len > 0 && len < 4) continue;  // no "#PES": not read (the test above)
    Load(Bytes(full.begin(), full.begin() + static_cast<long>(len)));
    const auto records = Records();
    ASSERT_EQ(records.back().kind, KIND_END) << len;
    int stitches = 0;
    for (const Record& r : records) stitches += r.kind == KIND_STITCH || r.kind == KIND_MOVE;
    EXPECT_EQ(dlg.m_nStitchCount, stitches - 1) << len;
  }
  EXPECT_EQ(dlg.m_nStitchCount, 6);
}
