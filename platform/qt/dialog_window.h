// One dialog window, built from its dialog's template. Every click, scroll
// action, wheel step, drop and close request becomes a CMessage for the
// dialog's OnMessage.
#pragma once
#include <QDialog>
#include <map>
#include <vector>

#include "framework/dialog.h"
#include "framework/frame_surfaces.h"

class CQtPlatform;
class QScrollBar;
class QWheelEvent;

class CDialogWindow : public QDialog {
  Q_OBJECT
 public:
  CDialogWindow(CQtPlatform& platform, CDialog& dialog, QWidget* parent);

  CDialog& Dialog() { return m_dialog; }
  const DialogTemplate& Layout() const { return m_layout; }
  // The widget of the control with this id; nullptr when there is none.
  QWidget* Control(int id) const;
  // One widget per template control, in template order.
  const std::vector<QWidget*>& Controls() const { return m_controls; }
  CPixelBuffer* Frame(int id) { return m_frames.Find(id); }
  CFrameSurfaces& Frames() { return m_frames; }
  int BaseUnitX() const { return m_baseX; }
  int BaseUnitY() const { return m_baseY; }

  // Sets the scroll bar as the dialog's CScrollBar describes it.
  void ShowScrollBar(int id, int minPos, int maxPos, int pos);
  void SetAcceptingDrops(bool accept) { setAcceptDrops(accept); }
  // Ends the window's modal loop (or hides it) with the dialog's result.
  void Finish(int result) { QDialog::done(result); }
  // Shows the window's context menu at a global position.
  void ShowContextMenu(const QPoint& globalPos);
  // keys ("Ctrl+S") send the system command from anywhere in the window.
  void AddShortcut(unsigned commandId, const QString& keys);

  // Escape and the close box: the cancel command, through the dialog.
  void reject() override;

 protected:
  // Wheel turns over the preview and the scroll bars.
  bool eventFilter(QObject* watched, QEvent* event) override;
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
  void SendScroll(QScrollBar* bar, int id, unsigned code, int pos);
  void OnWheel(QWidget* over, const QWheelEvent& event);
  // The dialog's scroll bar of that direction and its id; nullptr when none.
  QScrollBar* ScrollBar(bool horizontal, int* id) const;
  void UpdateRadioFocus();

  CQtPlatform& m_platform;
  CDialog& m_dialog;
  const DialogTemplate& m_layout;
  bool m_menuKeyPending = false;
  int m_baseX = kDialogBaseUnitX;
  int m_baseY = kDialogBaseUnitY;
  // Wheel turns short of one step (120 eighths of a degree), per direction
  // (0 vertical, 1 horizontal), as fine-grained wheels and touch pads send.
  int m_wheelRest[2] = {0, 0};
  std::vector<QWidget*> m_controls;
  std::map<int, QWidget*> m_byId;
  CFrameSurfaces m_frames;
};

