#include "framework/dialog.h"

#include <algorithm>

namespace {
IPlatform* g_platform = nullptr;
}

IPlatform& AfxGetPlatform() { return *g_platform; }
void AfxSetPlatform(IPlatform* platform) { g_platform = platform; }

void CScrollBar::SetScrollPos(int pos, BOOL redraw) {
  m_nPos = std::clamp(pos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
  if (redraw) m_platform.ShowScrollBar(m_id, m_nMin, m_nMax, m_nPos);
}

void CScrollBar::SetScrollRange(int minPos, int maxPos, BOOL redraw) {
  m_nMin = minPos;
  m_nMax = maxPos;
  m_nPos = std::clamp(m_nPos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
  if (redraw) m_platform.ShowScrollBar(m_id, m_nMin, m_nMax, m_nPos);
}

CMessage CMessage::Command(int controlId, unsigned code) {
  CMessage msg;
  msg.message = WM_COMMAND;
  msg.id = static_cast<unsigned>(controlId);
  msg.code = code;
  return msg;
}

CMessage CMessage::SysCommand(unsigned commandId) {
  CMessage msg;
  msg.message = WM_SYSCOMMAND;
  msg.id = commandId;
  return msg;
}

CMessage CMessage::Paint() {
  CMessage msg;
  msg.message = WM_PAINT;
  return msg;
}

CMessage CMessage::Scroll(bool horizontal, unsigned code, int pos, CScrollBar* bar) {
  CMessage msg;
  msg.message = horizontal ? WM_HSCROLL : WM_VSCROLL;
  msg.code = code;
  msg.pos = pos;
  msg.scrollBar = bar;
  return msg;
}

CMessage CMessage::DropFiles(CDropPackage* package) {
  CMessage msg;
  msg.message = WM_DROPFILES;
  msg.drop = package;
  return msg;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  if (pDX->m_bSaveAndValidate)
    value = pDX->m_pDlgWnd->GetDlgItemText(id);
  else
    pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Radio(CDataExchange* pDX, int firstId, int count, int& value) {
  IPlatform& platform = pDX->m_pDlgWnd->Platform();
  const int lastId = firstId + count - 1;
  if (pDX->m_bSaveAndValidate) {
    const int checked = platform.GetCheckedRadioButton(firstId, lastId);
    value = checked == 0 ? -1 : checked - firstId;
  } else {
    platform.CheckRadioButton(firstId, lastId, value >= 0 && value < count ? firstId + value : 0);
  }
}

CDialog::CDialog(const DialogTemplate& layout, IPlatform& platform)
    : m_layout(layout), m_platform(platform) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() { return m_platform.RunModal(*this); }

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnMessage(const CMessage& msg) { DefaultHandling(msg); }

void CDialog::DefaultHandling(const CMessage& msg) {
  if (msg.message != WM_COMMAND) return;
  if (msg.id == static_cast<unsigned>(IDOK)) OnOK();
  if (msg.id == static_cast<unsigned>(IDCANCEL)) OnCancel();
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(*this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::SetDlgItemText(int id, const std::string& text) { m_platform.SetControlText(id, text); }

std::string CDialog::GetDlgItemText(int id) { return m_platform.GetControlText(id); }

CScrollBar* CDialog::GetScrollBar(int id) {
  auto& bar = m_scrollBars[id];
  if (!bar) bar = std::make_unique<CScrollBar>(m_platform, id);
  return bar.get();
}

void CDialog::RedrawNow() { m_platform.RepaintNow(0); }

void CDialog::OnOK() {
  UpdateData(TRUE);
  m_platform.EndDialog(*this, IDOK);
}

void CDialog::OnCancel() { m_platform.EndDialog(*this, IDCANCEL); }
