#include "app/headless_platform.h"

#include <cstdio>

#include "app/dialog.h"
#include "app/dialog_template.h"
#include "app/resource.h"
#include "render/control_background.h"

CHeadlessPlatform::CHeadlessPlatform() {
  for (int id : {IDC_PREVIEW, IDC_THUMBNAIL}) {
    const ControlTemplate* control = FindControl(MainDialogTemplate(), id);
    const CRect r = DialogUnitsToPixels(control->x, control->y, control->cx, control->cy);
    SetFrameSize(id, r.Width(), r.Height());
  }
}

void CHeadlessPlatform::Create(CDialog& dialog) {
  m_dialog = &dialog;
  dialog.OnInitDialog();
}

void CHeadlessPlatform::SetFrameSize(int id, int width, int height) {
  m_frames[id].Resize(width, height);
  PaintControlBackground(id, m_frames[id]);
}

void CHeadlessPlatform::SetControlText(int id, const std::string& text) { m_texts[id] = text; }

std::string CHeadlessPlatform::GetControlText(int id) {
  auto it = m_texts.find(id);
  return it == m_texts.end() ? std::string() : it->second;
}

void CHeadlessPlatform::RepaintNow(int id) {
  if (id != 0) {
    auto it = m_frames.find(id);
    if (it != m_frames.end()) PaintControlBackground(id, it->second);
    return;
  }
  ++repaintCount;
  if (!paintOnRepaint || !m_dialog) return;
  // The whole dialog is erased: its frames paint themselves, then the
  // dialog's own paint handler runs.
  for (auto& [frameId, pixels] : m_frames) PaintControlBackground(frameId, pixels);
  CMessage paint;
  paint.message = WM_PAINT;
  m_dialog->OnMessage(paint);
}

void CHeadlessPlatform::NoticeBox(const std::string& text) {
  notices.push_back(text);
  if (echoBoxes) std::fprintf(stderr, "%s\n", text.c_str());
}

void CHeadlessPlatform::PlainMessageBox(const std::string& text) {
  messages.push_back(text);
  if (echoBoxes) std::fprintf(stderr, "%s\n", text.c_str());
}

OpenFileResult CHeadlessPlatform::OpenFileDialog(const OpenFileRequest& request) {
  openRequests.push_back(request);
  if (openAnswers.empty()) return {};
  OpenFileResult answer = openAnswers.front();
  openAnswers.pop_front();
  return answer;
}

SaveFileResult CHeadlessPlatform::SaveFileDialog(const SaveFileRequest& request) {
  saveRequests.push_back(request);
  if (saveAnswers.empty()) return {};
  SaveFileResult answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

CPixelBuffer& CHeadlessPlatform::ControlPixels(int id) { return m_frames[id]; }

void CHeadlessPlatform::CheckRadioButton(int, int, int checkedId) { m_checkedRadio = checkedId; }

int CHeadlessPlatform::GetCheckedRadioButton(int firstId, int lastId) {
  return m_checkedRadio >= firstId && m_checkedRadio <= lastId ? m_checkedRadio : 0;
}

void CHeadlessPlatform::ShowScrollBar(int id, int minPos, int maxPos, int pos) {
  scrollBars[id] = {minPos, maxPos, pos};
}

bool CHeadlessPlatform::AppendAboutMenuEntry(unsigned, const std::string& text) {
  aboutEntries.push_back(text);
  return true;
}

int CHeadlessPlatform::RunModal(CDialog& dialog) {
  modalDialogs.push_back(dialog.TemplateId());
  if (dialog.TemplateId() == IDD_MAIN) Create(dialog);
  // There is no one to click: the dialog ends as if OK was pressed.
  return IDOK;
}

void CHeadlessPlatform::EndDialog(CDialog& dialog, int result) {
  if (&dialog == m_dialog) endResult = result;
}
