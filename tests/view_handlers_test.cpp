// Start-up state, the command table and the view handlers.
#include "app/command_table.h"
#include "app/dialog_templates.h"
#include "tests/test_support.h"

class ViewHandlersTest : public ViewerTest {
 protected:
  void Send(unsigned message, unsigned id = 0, unsigned code = 0, int pos = 0) {
    CMessage msg;
    msg.message = message;
    msg.id = id;
    msg.code = code;
    msg.pos = pos;
    dlg.OnMessage(msg);
  }
  void Scroll(unsigned message, unsigned code, int pos = 0) { Send(message, 0, code, pos); }
  int HPos() { return dlg.m_pHScrollBar->GetScrollPos(); }
  int VPos() { return dlg.m_pVScrollBar->GetScrollPos(); }
  void DesignOfSize(int width, int height) {
    dlg.m_nWidth = width;
    dlg.m_nHeight = height;
  }
};

TEST_F(ViewHandlersTest, StartsAtHundredPercentWithNothingLoaded) {
  EXPECT_EQ(dlg.m_nZoom, 0);
  EXPECT_EQ(platform.GetCheckedRadioButton(IDC_ZOOM100, IDC_ZOOM300), IDC_ZOOM100);
  EXPECT_EQ(dlg.m_nZoomPercent, 100);
  EXPECT_EQ(HPos(), 0);
  EXPECT_EQ(VPos(), 0);
  EXPECT_EQ(platform.scrollBars[IDC_HSCROLL].maxPos, 100);
  EXPECT_EQ(platform.scrollBars[IDC_VSCROLL].maxPos, 100);
  EXPECT_EQ(Info(IDC_FILENAME), "");
  EXPECT_EQ(dlg.m_bLoaded, FALSE);
  EXPECT_EQ(dlg.m_nRotation, 0);
  EXPECT_TRUE(platform.acceptingDrops);
  ASSERT_EQ(platform.aboutEntries.size(), 1u);
  EXPECT_EQ(platform.aboutEntries[0], "Inf&o \xC3\xBC" "ber Nadelwerk...");
  // The window's own entries come before it.
  ASSERT_EQ(platform.menuEntries.size(), 2u);
  EXPECT_EQ(platform.menuEntries[0].text, "Speichern unter...");
  EXPECT_EQ(platform.menuEntries[1].text, "Arbeitsblatt speichern...");
}

TEST_F(ViewHandlersTest, CommandTableRoutesClicksToTheirHandlers) {
  Send(WM_COMMAND, IDC_ZOOM200, BN_CLICKED);
  EXPECT_EQ(dlg.m_nZoomPercent, 200);
  Send(WM_COMMAND, IDC_ZOOM125, BN_CLICKED);
  EXPECT_EQ(dlg.m_nZoomPercent, 125);
  Send(WM_COMMAND, IDC_ROTATE, BN_CLICKED);
  EXPECT_EQ(dlg.m_nRotation, 1);
  Send(WM_COMMAND, IDC_ROTATE, 5);  // not a click
  EXPECT_EQ(dlg.m_nRotation, 1);
  Send(WM_SYSCOMMAND, IDM_ABOUTBOX);
  EXPECT_EQ(platform.modalDialogs.back(), IDD_ABOUTBOX);
  Send(WM_COMMAND, IDOK, BN_CLICKED);  // no entry: the framework's OK ends the dialog
  EXPECT_EQ(platform.endResult, IDOK);
  EXPECT_EQ(ViewerCommandTable().size(), 15u);
}

TEST_F(ViewHandlersTest, ScrollLinesMoveByTenWithinTheRange) {
  DesignOfSize(1000, 400);
  Send(WM_COMMAND, IDC_ZOOM200, BN_CLICKED);
  Scroll(WM_HSCROLL, SB_THUMBPOSITION, 5);
  Scroll(WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(HPos(), 0);
  Scroll(WM_HSCROLL, SB_THUMBPOSITION, 95);
  Scroll(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(HPos(), 100);
  Scroll(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(HPos(), 100);
  EXPECT_EQ(dlg.m_nOffsetX, 500);
  Scroll(WM_HSCROLL, SB_THUMBPOSITION, 50);
  EXPECT_EQ(dlg.m_nOffsetX, 250);  // (100 * 1000 * 50 / 200) / 100
  Scroll(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(VPos(), 10);
  EXPECT_EQ(dlg.m_nOffsetY, 20);
}

TEST_F(ViewHandlersTest, PageClicksAndDraggingMoveNothing) {
  DesignOfSize(1000, 400);
  Send(WM_COMMAND, IDC_ZOOM300, BN_CLICKED);
  Scroll(WM_HSCROLL, SB_THUMBPOSITION, 30);
  const int repaints = platform.repaintCount;
  for (unsigned code : {SB_PAGEUP, SB_PAGEDOWN, SB_THUMBTRACK, SB_TOP, SB_BOTTOM, SB_ENDSCROLL}) {
    Scroll(WM_HSCROLL, code, 80);
    EXPECT_EQ(HPos(), 30) << code;
  }
  EXPECT_EQ(platform.repaintCount, repaints);
  EXPECT_EQ(dlg.m_nOffsetX, (200 * 1000 * 30 / 300) / 100);
}

TEST_F(ViewHandlersTest, AtHundredPercentScrollingKeepsOffsetZero) {
  DesignOfSize(1000, 400);
  Scroll(WM_HSCROLL, SB_THUMBPOSITION, 100);
  Scroll(WM_VSCROLL, SB_THUMBPOSITION, 100);
  EXPECT_EQ(dlg.m_nOffsetX, 0);
  EXPECT_EQ(dlg.m_nOffsetY, 0);
}

TEST_F(ViewHandlersTest, ZoomResetsOffsetsAndBoxesEvenWhenAlreadyChecked) {
  DesignOfSize(1000, 400);
  Send(WM_COMMAND, IDC_ZOOM200, BN_CLICKED);
  Scroll(WM_HSCROLL, SB_THUMBPOSITION, 60);
  Scroll(WM_VSCROLL, SB_THUMBPOSITION, 40);
  dlg.OnRotate();
  Send(WM_COMMAND, IDC_ZOOM200, BN_CLICKED);
  EXPECT_EQ(HPos(), 0);
  EXPECT_EQ(VPos(), 0);
  EXPECT_EQ(dlg.m_nOffsetX, 0);
  EXPECT_EQ(dlg.m_nOffsetY, 0);
  EXPECT_EQ(dlg.m_nRotation, 1);
}

TEST_F(ViewHandlersTest, RotationCyclesAndKeepsOffsets) {
  DesignOfSize(1000, 400);
  Send(WM_COMMAND, IDC_ZOOM150, BN_CLICKED);
  Scroll(WM_VSCROLL, SB_THUMBPOSITION, 100);
  const int offsetY = dlg.m_nOffsetY;
  EXPECT_EQ(offsetY, (50 * 400 * 100 / 150) / 100);
  for (int i = 1; i <= 4; ++i) {
    const int repaints = platform.repaintCount;
    dlg.OnRotate();
    EXPECT_EQ(dlg.m_nRotation, i & 3);
    EXPECT_EQ(platform.repaintCount, repaints + 1);
  }
  EXPECT_EQ(dlg.m_nOffsetY, offsetY);
}

TEST_F(ViewHandlersTest, ApplyScrollPosIgnoresOtherAxesButRedraws) {
  DesignOfSize(1000, 400);
  dlg.m_nZoomPercent = 200;
  const int repaints = platform.repaintCount;
  dlg.ApplyScrollPos(50, 2);
  dlg.ApplyScrollPos(50, 0x10000);  // compared as 16 bits: axis 0
  EXPECT_EQ(dlg.m_nOffsetX, 250);
  EXPECT_EQ(dlg.m_nOffsetY, 0);
  EXPECT_EQ(platform.repaintCount, repaints + 2);
}

TEST(DialogTemplateTest, MainDialogHasEveryControlInTabOrder) {
  const DialogTemplate& main = MainDialogTemplate();
  EXPECT_STREQ(main.title, "Nadelwerk");
  std::vector<int> ids;
  for (const ControlTemplate& c : main.controls) ids.push_back(c.id);
  EXPECT_EQ(ids, (std::vector<int>{1, -1, 1010, 1000, -1, 1037, 1038, 1039, 1040, 1041, -1, 1012,
                                   1013, 1014, 1011, 1024, 1016, 1017, 1044, 1015, -1, 1046, -1,
                                   1047, 1048}));
  EXPECT_STREQ(FindControl(main, IDOK)->text, "&Beenden");
  EXPECT_EQ(FindControl(main, IDOK)->kind, ControlKind::defPushButton);
  EXPECT_STREQ(main.controls[1].text, " File ausw\xC3\xA4hlen ");
  const ControlTemplate* preview = FindControl(main, IDC_PREVIEW);
  const CRect r = DialogUnitsToPixels(preview->x, preview->y, preview->cx, preview->cy);
  EXPECT_EQ(r.Width(), 262);
  EXPECT_EQ(r.Height(), 330);
}
