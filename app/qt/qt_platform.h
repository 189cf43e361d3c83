// The Qt 6 platform: real windows built from the dialog templates. Every
// click, scroll action, drop and close request becomes a CMessage for the
// dialog's OnMessage; the dialog's calls back (texts, scroll positions,
// repaints, boxes, file dialogs) land on the widgets.
#pragma once
#include <QDialog>
#include <QIcon>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/dialog.h"
#include "app/dialog_template.h"

class CQtPlatform;
class QScrollBar;

// Frame controls 1016 and 1011: the widget shows the control's pixel buffer,
// which the paint handler draws into.
class CFrameWidget : public QWidget {
  Q_OBJECT
 public:
  CFrameWidget(CPixelBuffer& pixels, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CPixelBuffer& m_pixels;
};

// One dialog window, built from its template.
class CDialogWindow : public QDialog {
  Q_OBJECT
 public:
  CDialogWindow(CQtPlatform& platform, CDialog& dialog, const DialogTemplate& layout,
                QWidget* parent);

  CDialog& Dialog() { return m_dialog; }
  const DialogTemplate& Layout() const { return m_layout; }
  // The widget of the control with this id; nullptr when there is none.
  QWidget* Control(int id) const;
  // One widget per template control, in template order.
  const std::vector<QWidget*>& Controls() const { return m_controls; }
  CPixelBuffer* Frame(int id);
  int BaseUnitX() const { return m_baseX; }
  int BaseUnitY() const { return m_baseY; }

  // Sets the scroll bar as the dialog's CScrollBar describes it.
  void ShowScrollBar(int id, int minPos, int maxPos, int pos);
  void SetAcceptingDrops(bool accept) { setAcceptDrops(accept); }
  // Ends the window's modal loop (or hides it) with the dialog's result.
  void Finish(int result) { QDialog::done(result); }
  // Shows the window's context menu at a global position.
  void ShowContextMenu(const QPoint& globalPos);

  // Escape and the close box: the cancel command, through the dialog.
  void reject() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Build();
  QWidget* MakeControl(const ControlTemplate& control);
  void Send(const CMessage& msg);
  void SendCommand(int id);
  void OnScrollAction(QScrollBar* bar, int id, int action);
  void OnScrollReleased(QScrollBar* bar, int id);
  void UpdateRadioFocus();

  CQtPlatform& m_platform;
  CDialog& m_dialog;
  const DialogTemplate& m_layout;
  bool m_menuKeyPending = false;
  int m_baseX = kDialogBaseUnitX;
  int m_baseY = kDialogBaseUnitY;
  std::vector<QWidget*> m_controls;
  std::map<int, QWidget*> m_byId;
  std::map<int, CPixelBuffer> m_frames;
};

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

  static QIcon AppIcon();

  // ---- IPlatform ----
  void SetControlText(int id, const std::string& text) override;
  std::string GetControlText(int id) override;
  void RepaintNow(int id) override;
  void NoticeBox(const std::string& text) override;
  void PlainMessageBox(const std::string& text) override;
  OpenFileResult OpenFileDialog(const OpenFileRequest& request) override;
  SaveFileResult SaveFileDialog(const SaveFileRequest& request) override;
  IFileSystem& Files() override { return PosixFileSystem(); }
  void AcceptDroppedFiles(bool accept) override;
  CPixelBuffer& ControlPixels(int id) override;
  void CheckRadioButton(int firstId, int lastId, int checkedId) override;
  int GetCheckedRadioButton(int firstId, int lastId) override;
  void ShowScrollBar(int id, int minPos, int maxPos, int pos) override;
  bool AppendAboutMenuEntry(unsigned commandId, const std::string& text) override;
  int RunModal(CDialog& dialog) override;
  void EndDialog(CDialog& dialog, int result) override;

 private:
  // The window that owns the control id: the topmost one that has it.
  CDialogWindow* WindowWith(int id) const;
  QWidget* TopWindow() const;
  void Box(const std::string& text, bool notice);

  std::vector<std::unique_ptr<CDialogWindow>> m_windows;  // bottom to top
  std::vector<std::pair<unsigned, std::string>> m_aboutEntries;
  std::map<int, CPixelBuffer> m_spareFrames;
  std::vector<std::string> m_startDrop;
  bool m_acceptDrops = false;
};
