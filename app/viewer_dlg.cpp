// The main dialog: construction, initialisation, the command table and the
// view handlers (magnification, scrolling, rotation).
#include "app/viewer_dlg.h"

#include "app/command_table.h"
#include "app/dialog_templates.h"
#include "app/save_file.h"
#include "design/thread_charts.h"

namespace {

constexpr int kZoomButtons = 5;

constexpr CommandEntry kCommandTable[] = {
    {WM_SYSCOMMAND, 0, [](CViewerDlg& d, const CMessage& m) { d.OnSysCommand(m.id, m.lParam); }},
    {WM_PAINT, 0, [](CViewerDlg& d, const CMessage&) { d.OnPaint(); }},
    {WM_QUERYDRAGICON, 0, [](CViewerDlg& d, const CMessage&) { d.OnQueryDragIcon(); }},
    {WM_COMMAND, IDC_BROWSE, [](CViewerDlg& d, const CMessage&) { d.OnBrowse(); }},
    {WM_COMMAND, IDC_ZOOM100, [](CViewerDlg& d, const CMessage&) { d.OnZoom100(); }},
    {WM_COMMAND, IDC_ZOOM125, [](CViewerDlg& d, const CMessage&) { d.OnZoom125(); }},
    {WM_COMMAND, IDC_ZOOM150, [](CViewerDlg& d, const CMessage&) { d.OnZoom150(); }},
    {WM_COMMAND, IDC_ZOOM200, [](CViewerDlg& d, const CMessage&) { d.OnZoom200(); }},
    {WM_COMMAND, IDC_ZOOM300, [](CViewerDlg& d, const CMessage&) { d.OnZoom300(); }},
    {WM_HSCROLL, 0,
     [](CViewerDlg& d, const CMessage& m) {
       d.OnHScroll(m.code, static_cast<unsigned>(m.pos), m.scrollBar);
     }},
    {WM_VSCROLL, 0,
     [](CViewerDlg& d, const CMessage& m) {
       d.OnVScroll(m.code, static_cast<unsigned>(m.pos), m.scrollBar);
     }},
    {WM_COMMAND, IDC_SAVE_DST, [](CViewerDlg& d, const CMessage&) { d.OnSaveDst(); }},
    {WM_COMMAND, IDC_ROTATE, [](CViewerDlg& d, const CMessage&) { d.OnRotate(); }},
    {WM_COMMAND, IDC_SAVE_PCS, [](CViewerDlg& d, const CMessage&) { d.OnSavePcs(); }},
    {WM_DROPFILES, 0, [](CViewerDlg& d, const CMessage& m) { d.OnDropFiles(m.drop); }},
};

constexpr MenuCommandEntry kMenuCommands[] = {
    {IDM_SAVE_AS, "Speichern unter...", "Ctrl+S", [](CViewerDlg& d) { d.OnSaveAs(); }},
    {IDM_WORKSHEET, kWorksheetMenuEntry, "", [](CViewerDlg& d) { d.OnSaveWorksheet(); }},
};

}  // namespace

std::span<const CommandEntry> ViewerCommandTable() { return kCommandTable; }

std::span<const MenuCommandEntry> ViewerMenuCommands() { return kMenuCommands; }

CViewerDlg::CViewerDlg(IPlatform& platform) : CDialog(MainDialogTemplate(), platform), m_hIcon(IDR_MAINFRAME) {}

CViewerDlg::~CViewerDlg() = default;

CAboutDlg::CAboutDlg(IPlatform& platform) : CDialog(AboutDialogTemplate(), platform) {}

void CViewerDlg::OnMessage(const CMessage& msg) {
  for (const CommandEntry& entry : kCommandTable) {
    if (entry.message != msg.message) continue;
    if (msg.message == WM_COMMAND &&
        (entry.controlId != static_cast<int>(msg.id) || msg.code != BN_CLICKED))
      continue;
    entry.handler(*this, msg);
    return;
  }
  DefaultHandling(msg);
}

void CViewerDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_FILENAME, m_strFileName);
  DDX_Radio(pDX, IDC_ZOOM100, kZoomButtons, m_nZoom);
}

BOOL CViewerDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  for (const MenuCommandEntry& entry : kMenuCommands)
    Platform().AppendMenuEntry(entry.commandId, entry.text, entry.shortcut);
  const std::string aboutEntry = LoadResourceString(IDS_ABOUTBOX);
  if (!aboutEntry.empty()) Platform().AppendAboutMenuEntry(IDM_ABOUTBOX, aboutEntry);

  m_pVScrollBar = GetScrollBar(IDC_VSCROLL);
  m_pVScrollBar->SetScrollRange(0, 100, TRUE);
  m_pHScrollBar = GetScrollBar(IDC_HSCROLL);
  m_pHScrollBar->SetScrollRange(0, 100, TRUE);

  FillPalettes();

  m_strLoadedPath.clear();
  m_strLoadedName.clear();
  m_bHasThumbnail = FALSE;
  m_nZoomPercent = 100;
  m_nOffsetX = 0;
  m_nOffsetY = 0;
  m_nZoom = 0;
  UpdateData(FALSE);

  m_bFileColors = FALSE;
  m_bJanomeColors = FALSE;
  m_nRotation = 0;
  m_bLoaded = FALSE;

  Platform().AcceptDroppedFiles(true);
  return TRUE;
}

void CViewerDlg::FillPalettes() {
  FillPreviewPalettes(m_brotherPalette, m_janomePalette);
}

void CViewerDlg::OnDesignPublished(const CDesignPublish& publish) {
  if (!publish.keepRotation) m_nRotation = 0;
  for (int i = 0; i < 5; ++i) SetDlgItemText(kInfoFieldIds[i], publish.info[i]);
  RedrawNow();
  // A notice comes once the design is drawn, so that it can be seen behind it.
  if (!publish.notice.empty()) Platform().NoticeBox(publish.notice);
}

void CViewerDlg::OnDesignDiscarded() {
  for (int i = 0; i < 5; ++i) SetDlgItemText(kInfoFieldIds[i], std::string());
  RedrawNow();
}

void CViewerDlg::OnPaint() {
  IPlatform& platform = Platform();
  if (platform.IsIconic()) {
    platform.EraseIconBackground();
    const CRect client = platform.DialogClientRect();
    platform.DrawIcon((client.Width() - platform.IconWidth() + 1) / 2,
                      (client.Height() - platform.IconHeight() + 1) / 2);
    return;
  }
  if (m_bLoaded == TRUE) {
    platform.RepaintNow(IDC_PREVIEW);
    PaintDesign(platform.ControlPixels(IDC_PREVIEW), *this,
                CPreviewView{m_nZoomPercent, m_nOffsetX, m_nOffsetY, m_nRotation}, Palettes());
  }
  if (m_bHasThumbnail == TRUE) {
    platform.RepaintNow(IDC_THUMBNAIL);
    PaintThumbnail(platform.ControlPixels(IDC_THUMBNAIL), m_thumbnail);
  }
  DefaultHandling(CMessage::Paint());
}

void CViewerDlg::OnSysCommand(unsigned nID, long) {
  if ((nID & 0xFFF0u) == IDM_ABOUTBOX) {
    CAboutDlg about(Platform());
    about.DoModal();
  }
  for (const MenuCommandEntry& entry : kMenuCommands)
    if ((nID & 0xFFF0u) == entry.commandId) entry.handler(*this);
  // Every other system command is the window manager's: nothing to do here.
}

void CViewerDlg::SetZoom(int percent) {
  m_nZoomPercent = percent;
  m_nOffsetY = 0;
  m_nOffsetX = 0;
  m_pVScrollBar->SetScrollPos(0, TRUE);
  m_pHScrollBar->SetScrollPos(0, TRUE);
  RedrawNow();
}

void CViewerDlg::OnZoom100() { SetZoom(100); }
void CViewerDlg::OnZoom125() { SetZoom(125); }
void CViewerDlg::OnZoom150() { SetZoom(150); }
void CViewerDlg::OnZoom200() { SetZoom(200); }
void CViewerDlg::OnZoom300() { SetZoom(300); }

void CViewerDlg::OnHScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar) {
  OnScroll(nSBCode, nPos, pScrollBar ? pScrollBar : m_pHScrollBar, 0);
}

void CViewerDlg::OnVScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar) {
  OnScroll(nSBCode, nPos, pScrollBar ? pScrollBar : m_pVScrollBar, 1);
}

void CViewerDlg::OnScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar, int nAxis) {
  if (!pScrollBar) return;
  const int current = pScrollBar->GetScrollPos();
  int next;
  switch (nSBCode) {
    case SB_LINEUP:
      next = current - 10 <= 0 ? 0 : current - 10;
      break;
    case SB_LINEDOWN:
      next = current + 10 >= 100 ? 100 : current + 10;
      break;
    case SB_THUMBPOSITION:
      next = static_cast<int>(nPos);
      break;
    default:
      return;  // page clicks, dragging and the rest move nothing
  }
  pScrollBar->SetScrollPos(next, TRUE);
  // The bar keeps the position inside its range; a thumb position from
  // outside it must not reach the offset arithmetic.
  ApplyScrollPos(pScrollBar->GetScrollPos(), nAxis);
}

void CViewerDlg::ApplyScrollPos(int nPos, int nAxis) {
  switch (static_cast<std::int16_t>(nAxis)) {
    case 0:
      m_nOffsetX = ((m_nZoomPercent - 100) * m_nWidth * nPos / m_nZoomPercent) / 100;
      break;
    case 1:
      m_nOffsetY = ((m_nZoomPercent - 100) * m_nHeight * nPos / m_nZoomPercent) / 100;
      break;
    default:
      break;
  }
  RedrawNow();
}

void CViewerDlg::OnRotate() {
  m_nRotation = static_cast<std::int16_t>((m_nRotation + 1) & 3);
  RedrawNow();
}

BOOL CViewerApp::InitInstance() {
  // Embedded controls and the three-dimensional look need no switching on here:
  // every control of this platform is drawn in its own style.
  auto dialog = std::make_unique<CViewerDlg>(AfxGetPlatform());
  m_pMainWnd = dialog.get();
  dialog->DoModal();
  dialog.reset();
  m_pMainWnd = nullptr;
  return FALSE;
}
