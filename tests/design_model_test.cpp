// The reader operations shared by all readers, and the information texts.
#include <new>

#include "app/save_file.h"
#include "design/info_text.h"
#include "design/thread_charts.h"
#include "tests/brother_fixture.h"
#include "tests/limited_memory.h"
#include "tests/test_support.h"

class DesignModelTest : public ViewerTest {};

TEST_F(DesignModelTest, BeginDesignWritesOriginRecordsAndSentinels) {
  dlg.BeginDesign(0);
  dlg.EndDesign();
  EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH},
                                            {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(dlg.m_nMinX, 1000);
  EXPECT_EQ(dlg.m_nMaxX, -1000);
  EXPECT_EQ(dlg.m_nWidth, -2000);
  EXPECT_EQ(dlg.m_nHeight, -2000);
  EXPECT_EQ(dlg.m_nColorCount, 1);
  EXPECT_EQ(dlg.m_nStitchCount, 0);
  // An empty design shows a size of zero rather than the sentinels' difference.
  const auto info = dlg.DecodedInfo("TAJIMA", 1);
  EXPECT_EQ(info[2], "Breite:  0.0 mm");
  EXPECT_EQ(info[3], "H\xC3\xB6he:  0.0 mm");
}

TEST_F(DesignModelTest, StitchesAndMovesWidenBoundsButColorChangesDoNot) {
  dlg.BeginDesign(4);
  dlg.AddStitch(1200, -5);
  dlg.AddColorChange(1200, -5);
  dlg.AddMove(1500, 30);
  dlg.AddColorChange(-3000, 3000);  // position not taken into the bounds
  dlg.EndDesign();
  EXPECT_EQ(dlg.m_nMinX, 1000);  // the sentinel stays the minimum
  EXPECT_EQ(dlg.m_nMaxX, 1500);
  EXPECT_EQ(dlg.m_nMinY, -5);
  EXPECT_EQ(dlg.m_nMaxY, 30);
  EXPECT_EQ(dlg.m_nWidth, 500);
  EXPECT_EQ(dlg.m_nHeight, 35);
  EXPECT_EQ(dlg.m_nStitchCount, 2);
  EXPECT_EQ(dlg.m_nColorCount, 3);
  EXPECT_EQ(Records()[4], (Record{1500, 30, KIND_MOVE}));
}

TEST_F(DesignModelTest, ArraysGrowBeyondTheEstimateAndNeverShrink) {
  dlg.BeginDesign(3);
  for (int i = 0; i < 5000; ++i) dlg.AddStitch(static_cast<std::int16_t>(i), 0);
  dlg.EndDesign();
  const std::size_t grown = dlg.m_arrKind.size();
  EXPECT_GE(grown, 5003u);
  EXPECT_EQ(dlg.m_arrX.size(), grown);
  EXPECT_EQ(dlg.m_arrY.size(), grown);
  EXPECT_EQ(Records().size(), 5003u);
  dlg.BeginDesign(10);
  dlg.EndDesign();
  EXPECT_EQ(dlg.m_arrKind.size(), grown);
  EXPECT_EQ(Records().size(), 3u);
}

TEST_F(DesignModelTest, StitchRunsEqualSingleStitches) {
  // Positions on both sides of the sentinels and of zero, more than one
  // step of eight, and a run that outgrows the arrays.
  std::vector<std::int16_t> xs, ys;
  for (int i = 0; i < 37; ++i) {
    xs.push_back(static_cast<std::int16_t>((i * 7919) % 4001 - 2000));
    ys.push_back(static_cast<std::int16_t>(i % 3 ? 1200 + i : -1500 - i));
  }
  dlg.BeginDesign(3);
  for (std::size_t i = 0; i < xs.size(); ++i) dlg.AddStitch(xs[i], ys[i]);
  dlg.AddColorChange(xs.back(), ys.back());
  dlg.EndDesign();
  const std::vector<Record> single = Records();
  const auto bounds = std::make_tuple(dlg.m_nMinX, dlg.m_nMaxX, dlg.m_nMinY, dlg.m_nMaxY, dlg.m_nStitchCount);

  CHeadlessViewer other(kMemoryOnly);
  other.dlg.BeginDesign(3);
  other.dlg.AddStitchRun(static_cast<int>(xs.size()) + 5, [&](std::int16_t* x, std::int16_t* y, CStitchBounds& b) {
    std::copy(xs.begin(), xs.end(), x);
    std::copy(ys.begin(), ys.end(), y);
    for (std::size_t i = 0; i < xs.size(); ++i) {
      b.minX = std::min(b.minX, xs[i]);
      b.maxX = std::max(b.maxX, xs[i]);
      b.minY = std::min(b.minY, ys[i]);
      b.maxY = std::max(b.maxY, ys[i]);
    }
    return static_cast<int>(xs.size());
  });
  other.dlg.AddColorChange(xs.back(), ys.back());
  other.dlg.EndDesign();
  for (std::size_t i = 0; i < single.size(); ++i) {
    EXPECT_EQ((Record{other.dlg.m_arrX[i], other.dlg.m_arrY[i], other.dlg.m_arrKind[i]}), single[i]) << i;
  }
  EXPECT_EQ(other.dlg.NextRecordIndex(), dlg.NextRecordIndex());
  EXPECT_EQ(std::make_tuple(other.dlg.m_nMinX, other.dlg.m_nMaxX, other.dlg.m_nMinY, other.dlg.m_nMaxY,
                            other.dlg.m_nStitchCount),
            bounds);
}

// Records that cannot get memory part-way through a read: the arrays keep
// one length, and the design is then dropped rather than half shown.
TEST_F(DesignModelTest, ReadOutOfMemoryPartWayLeavesNoDesign) {
  LoadDesign({{5, 5, KIND_STITCH}}, 4);
  dlg.BeginDesign(3);
  const std::size_t full = dlg.m_arrKind.size();
  while (dlg.NextRecordIndex() < static_cast<int>(full)) dlg.AddStitch(7, 7);
  {
    CMemoryLimit limit(0);
    EXPECT_THROW(dlg.AddStitch(8, 8), std::bad_alloc);
  }
  EXPECT_EQ(dlg.m_arrKind.size(), full);
  EXPECT_EQ(dlg.m_arrX.size(), full);
  EXPECT_EQ(dlg.m_arrY.size(), full);
  platform.SetControlText(IDC_INFO_STITCHES, "Stiche: 1");

  dlg.DiscardDesign();
  EXPECT_EQ(dlg.m_bLoaded, FALSE);
  EXPECT_EQ(Records(), (std::vector<Record>{{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH},
                                            {END_MARK, END_MARK, KIND_END}}));
  EXPECT_EQ(dlg.m_nStitchCount, 0);
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "");
  // Nothing is saved from it.
  platform.saveAnswers.push_back({true, "/nirgends/x.dst"});
  dlg.OnSaveDst();
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::refused);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], kNoDesignMessage);
}

TEST_F(DesignModelTest, PublishSetsFlagsTextsAndRepaints) {
  dlg.m_nRotation = 3;
  dlg.BeginDesign(3);
  dlg.EndDesign();
  CDesignPublish publish;
  publish.format = 8;
  publish.janomeColors = TRUE;
  publish.info = {"A", "B", "C", "D", "E"};
  const int repaints = platform.repaintCount;
  dlg.PublishDesign(publish);
  EXPECT_EQ(dlg.m_bLoaded, TRUE);
  EXPECT_EQ(dlg.m_nFormat, 8);
  EXPECT_EQ(dlg.m_bJanomeColors, TRUE);
  EXPECT_EQ(dlg.m_bFileColors, FALSE);
  EXPECT_EQ(dlg.m_nRotation, 0);
  EXPECT_EQ(Info(IDC_INFO_FORMAT), "A");
  EXPECT_EQ(Info(IDC_INFO_STITCHES), "E");
  EXPECT_EQ(platform.repaintCount, repaints + 1);

  dlg.m_nRotation = 2;
  publish.keepRotation = true;
  dlg.PublishDesign(publish);
  EXPECT_EQ(dlg.m_nRotation, 2);
}

TEST(DesignAloneTest, ReadsWithoutAnyDialog) {
  // The design is a plain object: a reader fills it, and publishing reaches
  // no window.
  CDesign design;
  const Bytes file = PecFile(PecSection{.colors = {5, 29}, .stitches = {0x0A, 0x05, 0xFE, 0xB0, 0x02, 0x01, 0x01, 0xFF, 0x00}});
  design.m_fileData.SetSize(file.size());
  std::copy(file.begin(), file.end(), design.m_fileData.data());
  design.ReadPec(static_cast<int>(file.size()));
  EXPECT_EQ(design.m_bLoaded, TRUE);
  EXPECT_EQ(design.m_nStitchCount, 2);
  EXPECT_EQ(design.m_nColorCount, 2);
  EXPECT_EQ(design.FirstOwnRecord(), 2);
  EXPECT_EQ(design.m_strLabel, "fixture");
  ASSERT_EQ(design.m_threads.size(), 2u);
  EXPECT_EQ(design.m_threads[1].chart, ThreadChart::pec);
  EXPECT_EQ(design.m_threads[1].index, 29);
  EXPECT_EQ(design.m_threads[1].name, "White");
  EXPECT_EQ(design.m_threads[1].color, FromRgb(PecChart()[29].rgb));
}

TEST_F(DesignModelTest, EveryBlockKeepsItsThreadBeyondTheTables) {
  // 200 colours and as many blocks: the threads keep all 200, the preview's
  // table its 64 entries and its rule (blocks past it in the fallback colour).
  PecSection section;
  section.colors.clear();
  section.stitches.clear();
  for (unsigned k = 0; k < 200; ++k) {
    section.colors.push_back(1 + k % 64);
    for (unsigned b : {0x01u, 0x01u}) section.stitches.push_back(b);
    if (k + 1 < 200)
      for (unsigned b : {0xFEu, 0xB0u, 0x00u}) section.stitches.push_back(b);
  }
  for (unsigned b : {0xFFu, 0x00u}) section.stitches.push_back(b);
  Read("pec", PecFile(section));
  EXPECT_EQ(dlg.m_nColorCount, 200);
  ASSERT_EQ(dlg.m_threads.size(), 200u);
  for (unsigned k = 0; k < 200; ++k) EXPECT_EQ(dlg.m_threads[k].index, static_cast<int>(1 + k % 64)) << k;
  EXPECT_EQ(dlg.BlockColor(10), dlg.m_brotherPalette[11]);
  EXPECT_NE(dlg.BlockColor(10), kFallbackColor);
  EXPECT_EQ(dlg.BlockColor(150), kFallbackColor);
  EXPECT_EQ(Info(IDC_INFO_COLORS), "Farben:  200");
}

TEST(InfoTextTest, FormatsAsTheFieldsShowThem) {
  EXPECT_EQ(ColorsText(4), "Farben:  4");
  EXPECT_EQ(PesColorsText(4), "Farben: 4");
  EXPECT_EQ(PartsText(2), "Teile:  2");
  EXPECT_EQ(WidthText(1234), "Breite:  123.4 mm");
  EXPECT_EQ(HeightText(-5), "H\xC3\xB6he:  -0.5 mm");
  EXPECT_EQ(WidthText(0), "Breite:  0.0 mm");
  EXPECT_EQ(UnknownWidthText(), "Breite: k.A.");
  EXPECT_EQ(UnknownHeightText(), "H\xC3\xB6he: k.A.");
  EXPECT_EQ(StitchesText(0), "Stiche: 0");
}

TEST(InfoTextTest, DecimalPointDoesNotFollowTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale here";
  EXPECT_EQ(WidthText(15), "Breite:  1.5 mm");
  std::setlocale(LC_NUMERIC, saved.c_str());
}
