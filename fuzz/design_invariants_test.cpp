// The fuzz targets are only as good as their checks: each check must pass a
// sound design and name what is broken in a damaged one.
#include "fuzz/design_invariants.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/headless/headless_viewer.h"
#include "export/dst_writer.h"
#include "export/pcs_writer.h"
#include "export/xxx_writer.h"
#include "fuzz/save_check.h"
#include "tests/test_support.h"

namespace {

// Records 0 and 1, three stitches, a colour change, a jump, the end record
// at index 7.
Bytes SmallDst() {
  ByteBuilder b;
  b.fill(512, ' ').bytes({0x01, 0x00, 0x03, 0x04, 0x00, 0x03, 0x00, 0x20, 0x03, 0x00, 0x00, 0xC3,
                          0x00, 0x04, 0x83, 0x00, 0x00, 0xF3});
  return b;
}

class DesignInvariantsTest : public ::testing::Test {
 protected:
  void Load(CHeadlessViewer& viewer) { ASSERT_EQ(viewer.Load(SmallDst(), "klein.dst"), LoadOutcome::loaded); }
  std::string Fault(CHeadlessViewer& viewer) {
    return FindDesignViolation(viewer.dlg, viewer.platform, SmallDst().size());
  }
};

}  // namespace

TEST_F(DesignInvariantsTest, SoundDesignsPassOverStaleState) {
  CHeadlessViewer v(kMemoryOnly);
  Load(v);
  EXPECT_EQ(Fault(v), "");
  const Bytes whole = SmallDst();
  const Bytes cut(whole.begin(), whole.begin() + 518);  // two stitches
  ASSERT_EQ(v.Load(cut, "kurz.dst"), LoadOutcome::loaded);
  EXPECT_EQ(FindDesignViolation(v.dlg, v.platform, cut.size()), "");
  EXPECT_EQ(v.dlg.m_nStitchCount, 2);
}

TEST_F(DesignInvariantsTest, RecordsAreBoundedByTheBytesRead) {
  // Eight records up to the end: 10 bytes could make 5 + 3 of them, 9 bytes
  // only 4 + 3.
  CHeadlessViewer v(kMemoryOnly);
  Load(v);
  EXPECT_EQ(FindDesignViolation(v.dlg, v.platform, 10), "");
  EXPECT_EQ(FindDesignViolation(v.dlg, v.platform, 9), "9 bytes made 8 records, more than 7");
}

TEST_F(DesignInvariantsTest, EachDamageIsNamed) {
  struct Case {
    const char* expected;  // start of the description
    std::function<void(CViewerDlg&)> damage;
  };
  const Case cases[] = {
      {"record arrays differ", [](CViewerDlg& d) { d.m_arrY.push_back(0); }},
      {"no end record", [](CViewerDlg& d) { d.m_arrKind[7] = KIND_STITCH; d.m_arrKind.resize(8); d.m_arrX.resize(8); d.m_arrY.resize(8); }},
      {"end record 7 holds", [](CViewerDlg& d) { d.m_arrX[7] = 0; }},
      {"next record index", [](CViewerDlg& d) { d.m_arrKind[6] = KIND_END; d.m_arrX[6] = d.m_arrY[6] = END_MARK; }},
      {"record 0 is not", [](CViewerDlg& d) { d.m_arrKind[0] = KIND_STITCH; }},
      {"record 1 is not", [](CViewerDlg& d) { d.m_arrKind[1] = KIND_COLOR; }},
      {"record 3 has kind 3", [](CViewerDlg& d) { d.m_arrKind[3] = 3; }},
      {"record 4 has kind 0", [](CViewerDlg& d) { d.m_arrKind[4] = KIND_ORIGIN; }},
      {"m_nStitchCount 5 but 4", [](CViewerDlg& d) { d.m_nStitchCount = 5; }},
      {"m_nColorCount 3 but 1", [](CViewerDlg& d) { d.m_nColorCount = 3; }},
      {"bounds X", [](CViewerDlg& d) { d.m_arrX[3] = 2000; }},
      {"bounds X", [](CViewerDlg& d) { d.m_nMinY = -1; }},
      {"size ", [](CViewerDlg& d) { d.m_nWidth += 1; }},
      {"unknown format", [](CViewerDlg& d) { d.m_nFormat = 3; }},
      {"colour-source", [](CViewerDlg& d) { d.m_bJanomeColors = TRUE; }},
      {"a flag", [](CViewerDlg& d) { d.m_bHasThumbnail = 2; }},
      {"rotation 4", [](CViewerDlg& d) { d.m_nRotation = 4; }},
      {"m_bLoaded", [](CViewerDlg& d) { d.m_bLoaded = FALSE; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    CHeadlessViewer v(kMemoryOnly);
    Load(v);
    c.damage(v.dlg);
    const std::string fault = Fault(v);
    EXPECT_EQ(fault.rfind(c.expected, 0), 0u) << fault;
  }
}

TEST_F(DesignInvariantsTest, StitchFieldMustShowTheCount) {
  CHeadlessViewer v(kMemoryOnly);
  Load(v);
  v.platform.SetControlText(IDC_INFO_STITCHES, "Stiche: 3");
  EXPECT_EQ(Fault(v), "field 1015 shows \"Stiche: 3\" for 4 stitches");
}

TEST_F(DesignInvariantsTest, CheckAbortsWithTheFault) {
  CHeadlessViewer v(kMemoryOnly);
  Load(v);
  v.dlg.m_nStitchCount = 9;
  EXPECT_DEATH(CheckDesignInvariants(v.dlg, v.platform, SmallDst().size(), "test"),
               "design invariant broken \\(test\\): m_nStitchCount 9");
}

TEST_F(DesignInvariantsTest, SnapshotsSeeWhatAUserSees) {
  CHeadlessViewer a(kMemoryOnly), b(kMemoryOnly);
  Load(a);
  Load(b);
  EXPECT_EQ(DescribeDifference(TakeSnapshot(a.dlg, a.platform), TakeSnapshot(b.dlg, b.platform)), "");
  b.dlg.m_arrY[4] = 77;
  EXPECT_EQ(DescribeDifference(TakeSnapshot(a.dlg, a.platform), TakeSnapshot(b.dlg, b.platform))
                .rfind("records differ from index 4", 0),
            0u);
  b.dlg.m_arrY[4] = a.dlg.m_arrY[4];
  // Records past the end record are stale and never looked at.
  b.dlg.m_arrX.push_back(5);
  b.dlg.m_arrY.push_back(5);
  b.dlg.m_arrKind.push_back(KIND_STITCH);
  EXPECT_EQ(DescribeDifference(TakeSnapshot(a.dlg, a.platform), TakeSnapshot(b.dlg, b.platform)), "");
  b.platform.SetControlText(IDC_INFO_FORMAT, "TAJIMA?");
  EXPECT_NE(DescribeDifference(TakeSnapshot(a.dlg, a.platform), TakeSnapshot(b.dlg, b.platform)), "");
}

TEST_F(DesignInvariantsTest, WrittenFileChecksFindDamagedFiles) {
  CHeadlessViewer v(kMemoryOnly);
  Load(v);
  std::vector<std::uint8_t> dst, pcs;
  BuildDstBlock(v.dlg, dst);
  BuildPcsBlock(v.dlg, pcs);
  EXPECT_EQ(FindDstOutputFault(v.dlg, dst), "");
  EXPECT_EQ(FindPcsOutputFault(v.dlg, pcs), "");

  // Records: the jump to the first stitch, the stitch there, two more
  // stitches, the colour change, the jump, the end.
  auto damagedDst = dst;
  damagedDst[512 + 6] ^= 0x01;  // the second stitch, and all after it, one unit further
  EXPECT_EQ(FindDstOutputFault(v.dlg, damagedDst).rfind("source step 1 (stitch at (10, 0))", 0), 0u);
  damagedDst = dst;
  damagedDst[512 + 3 * 5 + 2] = 0x03;  // the jump, sewn
  EXPECT_NE(FindDstOutputFault(v.dlg, damagedDst).find("written stitch"), std::string::npos);
  damagedDst = dst;
  damagedDst.resize(dst.size() - 3);  // no end record
  EXPECT_NE(FindDstOutputFault(v.dlg, damagedDst), "");
  damagedDst = dst;
  damagedDst[200] = 0;
  EXPECT_EQ(FindDstOutputFault(v.dlg, damagedDst), "DST header holds a zero byte");

  auto damagedPcs = pcs;
  damagedPcs[68] += 1;  // one stitch more than written
  EXPECT_EQ(FindPcsOutputFault(v.dlg, damagedPcs).rfind("PCS count field", 0), 0u);
  damagedPcs = pcs;
  // Records: the colour record in front, then as the DST file.
  damagedPcs[70 + 9 * 3 + 2] ^= 0x01;  // the second stitch moves by 256 / 6 mm
  EXPECT_EQ(FindPcsOutputFault(v.dlg, damagedPcs).rfind("source step 1 (stitch at (10, 0))", 0), 0u);
  damagedPcs = pcs;
  damagedPcs[70 + 9 * 6 + 8] = 0x00;  // the jump, sewn
  EXPECT_NE(FindPcsOutputFault(v.dlg, damagedPcs).find("(move at"), std::string::npos);
  damagedPcs = pcs;
  damagedPcs.erase(damagedPcs.begin() + 70, damagedPcs.begin() + 79);  // the leading colour record
  EXPECT_NE(FindPcsOutputFault(v.dlg, damagedPcs), "");
}

TEST_F(DesignInvariantsTest, WrittenXxxFileMustGiveBackEveryBlocksColour) {
  CHeadlessViewer v(kMemoryOnly);
  Load(v);
  const FormatEntry& xxx = *FindFormat("xxx");
  std::vector<std::uint8_t> file = EncodeXxx(v.dlg, {}).bytes;
  EXPECT_EQ(FindOutputFault(v.dlg, xxx, file), "");
  // The palette starts two bytes after the end block: its second entry's red.
  const std::size_t end = file[0xFC] | file[0xFD] << 8;
  file[end + 4 + 2 + 4 + 1] ^= 0x40;
  EXPECT_EQ(FindOutputFault(v.dlg, xxx, file).rfind("block 1 reads back in", 0), 0u);
}
