// The Qt 6 platform: one window per running dialog (dialog_window.h), and
// the dialog's calls back (texts, scroll positions, repaints, boxes, file
// dialogs) landing on the widgets.
#pragma once
#include <QIcon>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/dialog.h"
#include "platform/qt/dialog_window.h"

class CQtPlatform : public IPlatform {
 public:
  CQtPlatform();
  ~CQtPlatform() override;

  // Builds the dialog's window and runs OnInitDialog; the window stays
  // hidden until show() or RunModal. The tests drive windows made this way.
  CDialogWindow* Create(CDialog& dialog);
  // The topmost window of this dialog; nullptr when it has none.
  CDialogWindow* Window(const CDialog& dialog) const;
  CDialogWindow* MainWindow() const;
  // Paths delivered as one drop once the main dialog's modal loop runs.
  void DropAtStart(std::vector<std::string> paths) { m_startDrop = std::move(paths); }
  const std::vector<std::pair<unsigned, std::string>>& AboutEntries() const {
    return m_aboutEntries;
  }
  struct MenuEntry {
    unsigned commandId;
    std::string text, shortcut;
  };
  // The window's own menu entries, shown before the about entries.
  const std::vector<MenuEntry>& MenuEntries() const { return m_menuEntries; }

  static QIcon AppIcon();
  // Qt's own texts (the file dialogs, the overwrite question, the standard
  // buttons) in German, as the rest of the program; false when this system
  // has no German catalogue for them, and they stay English.
  static bool InstallGermanTranslations();

  // ---- IPlatform ----
  void SetControlText(int id, const std::string& text) override;
  std::string GetControlText(int id) override;
  void RepaintNow(int id) override;
  void NoticeBox(const std::string& text) override;
  void PlainMessageBox(const std::string& text) override;
  OpenFileResult OpenFileDialog(const OpenFileRequest& request) override;
  SaveFileResult SaveFileDialog(const SaveFileRequest& request) override;
  IFileSystem& Files() override;
  void AcceptDroppedFiles(bool accept) override;
  CPixelBuffer& ControlPixels(int id) override;
  void CheckRadioButton(int firstId, int lastId, int checkedId) override;
  int GetCheckedRadioButton(int firstId, int lastId) override;
  void ShowScrollBar(int id, int minPos, int maxPos, int pos) override;
  bool AppendAboutMenuEntry(unsigned commandId, const std::string& text) override;
  bool AppendMenuEntry(unsigned commandId, const std::string& text, const std::string& shortcut) override;
  int RunModal(CDialog& dialog) override;
  void EndDialog(CDialog& dialog, int result) override;

 private:
  // The window that owns the control id: the topmost one that has it.
  CDialogWindow* WindowWith(int id) const;
  QWidget* TopWindow() const;
  void Box(const std::string& text, bool notice);

  std::vector<std::unique_ptr<CDialogWindow>> m_windows;  // bottom to top
  std::vector<std::pair<unsigned, std::string>> m_aboutEntries;
  std::vector<MenuEntry> m_menuEntries;
  std::map<int, CPixelBuffer> m_spareFrames;
  std::vector<std::string> m_startDrop;
  bool m_acceptDrops = false;
};
