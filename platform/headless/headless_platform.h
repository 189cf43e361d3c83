// A platform without a window, for the tests and the command line: it records
// control texts and boxes, answers the file dialogs from a script and keeps
// the frames' pixels in memory.
#pragma once
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "framework/frame_surfaces.h"
#include "framework/platform.h"
#include "platform/posix/posix_files.h"

class CHeadlessPlatform : public IPlatform {
 public:
  // ---- script and record ----
  std::deque<OpenFileResult> openAnswers;   // an empty queue answers with a cancel
  std::deque<SaveFileResult> saveAnswers;
  std::vector<OpenFileRequest> openRequests;
  std::vector<SaveFileRequest> saveRequests;
  std::vector<std::string> notices;         // NoticeBox texts, in order
  std::vector<std::string> messages;        // PlainMessageBox texts, in order
  std::vector<std::string> aboutEntries;
  struct MenuEntry {
    unsigned commandId;
    std::string text, shortcut;
  };
  std::vector<MenuEntry> menuEntries;       // AppendMenuEntry, in order
  std::vector<int> modalDialogs;            // template ids run modally
  int repaintCount = 0;                     // whole-dialog repaints
  bool paintOnRepaint = true;               // run the paint handler on a repaint
  bool echoBoxes = false;                   // also print boxes to stderr
  std::string echoPrefix;                   // before every printed line of a box
  bool acceptingDrops = false;
  IFileSystem* files = &PosixFileSystem();

  struct ScrollState {
    int minPos = 0, maxPos = 0, pos = 0;
  };
  std::map<int, ScrollState> scrollBars;

  // Creates the dialog's "window": its frame surfaces from its template
  // (those not sized by SetFrameSize), then OnInitDialog.
  void Create(CDialog& dialog);
  // Sizes a frame control's drawing surface (pixels).
  void SetFrameSize(int id, int width, int height) { m_frames.SetSize(id, width, height); }

  // ---- IPlatform ----
  void SetControlText(int id, const std::string& text) override;
  std::string GetControlText(int id) override;
  void RepaintNow(int id) override;
  void NoticeBox(const std::string& text) override;
  void PlainMessageBox(const std::string& text) override;
  OpenFileResult OpenFileDialog(const OpenFileRequest& request) override;
  SaveFileResult SaveFileDialog(const SaveFileRequest& request) override;
  IFileSystem& Files() override { return *files; }
  void AcceptDroppedFiles(bool accept) override { acceptingDrops = accept; }
  CPixelBuffer& ControlPixels(int id) override;
  void CheckRadioButton(int firstId, int lastId, int checkedId) override;
  int GetCheckedRadioButton(int firstId, int lastId) override;
  void ShowScrollBar(int id, int minPos, int maxPos, int pos) override;
  bool AppendAboutMenuEntry(unsigned commandId, const std::string& text) override;
  bool AppendMenuEntry(unsigned commandId, const std::string& text, const std::string& shortcut) override;
  int RunModal(CDialog& dialog) override;
  void EndDialog(CDialog& dialog, int result) override;

  int endResult = 0;  // result given to EndDialog of the main dialog

 private:
  void Box(std::vector<std::string>& log, const std::string& text);

  CDialog* m_dialog = nullptr;
  std::map<int, std::string> m_texts;
  CFrameSurfaces m_frames;
  int m_checkedRadio = 0;
};
