#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cstdio>

#include "framework/dialog.h"

void CHeadlessPlatform::Create(CDialog& dialog) {
  m_dialog = &dialog;
  m_frames.Create(dialog.Layout());
  dialog.OnInitDialog();
}

void CHeadlessPlatform::SetControlText(int id, const std::string& text) { m_texts[id] = text; }

std::string CHeadlessPlatform::GetControlText(int id) {
  auto it = m_texts.find(id);
  return it == m_texts.end() ? std::string() : it->second;
}

void CHeadlessPlatform::RepaintNow(int id) {
  if (id != 0) {
    m_frames.Erase(id);
    return;
  }
  ++repaintCount;
  if (!paintOnRepaint || !m_dialog) return;
  m_frames.RepaintDialog([this] { m_dialog->OnMessage(CMessage::Paint()); });
}

namespace {

// The scripted answer to a file dialog, recording what was asked; an empty
// script answers with a cancel.
template <typename Reply, typename Request>
Reply NextAnswer(std::deque<Reply>& answers, std::vector<Request>& requests, const Request& request) {
  requests.push_back(request);
  if (answers.empty()) return {};
  Reply answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

void CHeadlessPlatform::Box(std::vector<std::string>& log, const std::string& text) {
  log.push_back(text);
  if (!echoBoxes) return;
  if (echoPrefix.empty()) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return;
  }
  // Every line names what the prefix says (the input of a batch).
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    if (end > from) std::fprintf(stderr, "%s%s\n", echoPrefix.c_str(), text.substr(from, end - from).c_str());
    from = end + 1;
  }
}

void CHeadlessPlatform::NoticeBox(const std::string& text) { Box(notices, text); }

void CHeadlessPlatform::PlainMessageBox(const std::string& text) { Box(messages, text); }

OpenFileResult CHeadlessPlatform::OpenFileDialog(const OpenFileRequest& request) {
  return NextAnswer(openAnswers, openRequests, request);
}

SaveFileResult CHeadlessPlatform::SaveFileDialog(const SaveFileRequest& request) {
  return NextAnswer(saveAnswers, saveRequests, request);
}

CPixelBuffer& CHeadlessPlatform::ControlPixels(int id) {
  if (!m_frames.Has(id)) m_frames.SetSize(id, 0, 0);
  return *m_frames.Find(id);
}

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

bool CHeadlessPlatform::AppendMenuEntry(unsigned commandId, const std::string& text, const std::string& shortcut) {
  menuEntries.push_back({commandId, text, shortcut});
  return true;
}

int CHeadlessPlatform::RunModal(CDialog& dialog) {
  modalDialogs.push_back(dialog.TemplateId());
  if (!m_dialog) Create(dialog);
  // There is no one to click: the dialog ends as if OK was pressed.
  return IDOK;
}

void CHeadlessPlatform::EndDialog(CDialog& dialog, int result) {
  if (&dialog == m_dialog) endResult = result;
}
