#include "platform/qt/dialog_window.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "app/resource.h"
#include "platform/qt/field_widths.h"
#include "platform/qt/frame_widget.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_text.h"

namespace {

// One notch of a mouse wheel, in the eighths of a degree that Qt counts.
constexpr int kWheelStep = 120;

// The dialog font, or the nearest sans-serif face this system has.
QFont DialogFont(const DialogTemplate& layout) {
  QFont font(QString::fromUtf8(layout.fontName));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(layout.pointSize);
  return font;
}

// The font's dialog base units as the dialog manager measures them: the
// average width of the 52 letters, rounded, and the character height.
std::pair<int, int> BaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {std::max(1, (letters / 26 + 1) / 2), std::max(1, metrics.height())};
}

// Scroll bar actions as the dialog's scroll codes; -1 for none. Dragging
// the box is thumb tracking; the release comes on its own signal.
int ScrollCodeOf(int action, bool sliderDown) {
  static constexpr std::pair<int, unsigned> kCodes[] = {
      {QAbstractSlider::SliderSingleStepSub, SB_LINEUP},
      {QAbstractSlider::SliderSingleStepAdd, SB_LINEDOWN},
      {QAbstractSlider::SliderPageStepSub, SB_PAGEUP},
      {QAbstractSlider::SliderPageStepAdd, SB_PAGEDOWN},
      {QAbstractSlider::SliderToMinimum, SB_TOP},
      {QAbstractSlider::SliderToMaximum, SB_BOTTOM},
  };
  if (action == QAbstractSlider::SliderMove) return sliderDown ? static_cast<int>(SB_THUMBTRACK) : -1;
  for (const auto& [qtAction, code] : kCodes)
    if (qtAction == action) return static_cast<int>(code);
  return -1;
}

// A line of plain text (the about box's) whose width was laid out for the
// dialog font may not fit the substitute face: it grows to the right, up to
// the given edge, instead of being cut off.
void WidenToText(QWidget* widget, int rightEdge) {
  auto* label = qobject_cast<QLabel*>(widget);
  if (!label || label->frameShape() != QFrame::NoFrame || label->text().isEmpty()) return;
  const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
  const QRect r = label->geometry();
  if (needed > r.width()) label->resize(std::max(r.width(), std::min(needed, rightEdge - r.left())), r.height());
}

}  // namespace

CDialogWindow::CDialogWindow(CQtPlatform& platform, CDialog& dialog, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_dialog(dialog), m_layout(dialog.Layout()) {
  Build();
}

void CDialogWindow::Build() {
  setWindowTitle(QString::fromUtf8(m_layout.title));
  setWindowIcon(CQtPlatform::AppIcon());
  // Caption, system menu and a fixed frame: no minimise, maximise or help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  const QFont font = DialogFont(m_layout);
  setFont(font);
  std::tie(m_baseX, m_baseY) = BaseUnits(font);
  const CRect client = DialogUnitsToPixels(0, 0, m_layout.cx, m_layout.cy, m_baseX, m_baseY);
  setFixedSize(client.Width(), client.Height());
  m_frames.Create(m_layout, m_baseX, m_baseY);

  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& control : m_layout.controls) {
    QWidget* widget = MakeControl(control);
    const CRect r = DialogUnitsToPixels(control, m_baseX, m_baseY);
    widget->setGeometry(r.left, r.top, r.Width(), r.Height());
    WidenToText(widget, client.Width() - m_baseX);
    widget->setProperty("controlId", control.id);
    m_controls.push_back(widget);
    if (control.id != -1) m_byId.emplace(control.id, widget);
    if (widget->focusPolicy() != Qt::NoFocus) {
      if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    }
  }
  WidenFieldsToTheirTexts(m_controls, m_baseX / 2);
  UpdateRadioFocus();
  for (QWidget* widget : m_controls)
    if (widget->focusPolicy() & Qt::TabFocus) {
      widget->setFocus(Qt::OtherFocusReason);
      break;
    }
}

QWidget* CDialogWindow::MakeControl(const ControlTemplate& control) {
  const QString text = QString::fromUtf8(control.text);
  const bool tabStop = (control.style & STYLE_TABSTOP) != 0;
  const int id = control.id;
  switch (control.kind) {
    case ControlKind::defPushButton:
    case ControlKind::pushButton: {
      auto* button = new QPushButton(text, this);
      button->setAutoDefault(true);  // Enter presses the focused push button
      button->setDefault(control.kind == ControlKind::defPushButton);
      button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      connect(button, &QPushButton::clicked, this, [this, id] { SendCommand(id); });
      return button;
    }
    case ControlKind::groupBox: {
      auto* box = new QGroupBox(text, this);
      // A frame only: behind the controls it frames, and clicks go through.
      box->setAttribute(Qt::WA_TransparentForMouseEvents);
      box->setFocusPolicy(Qt::NoFocus);
      box->lower();
      return box;
    }
    case ControlKind::edit: {
      auto* edit = new QLineEdit(text, this);
      edit->setReadOnly((control.style & STYLE_READONLY) != 0);
      edit->setFrame((control.style & STYLE_BORDER) != 0);
      edit->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      // Drops and the context menu belong to the dialog.
      edit->setAcceptDrops(false);
      edit->setContextMenuPolicy(Qt::NoContextMenu);
      return edit;
    }
    case ControlKind::radioButton: {
      auto* radio = new QRadioButton(text, this);
      radio->setAutoExclusive(true);
      radio->setProperty("groupStart", (control.style & STYLE_GROUP) != 0);
      connect(radio, &QRadioButton::clicked, this, [this, id] { SendCommand(id); });
      connect(radio, &QRadioButton::toggled, this, [this] { UpdateRadioFocus(); });
      return radio;
    }
    case ControlKind::staticText: {
      auto* label = new QLabel(this);
      label->setTextFormat(Qt::PlainText);
      label->setText(text);
      label->setAlignment((control.style & STYLE_CENTER) ? Qt::AlignCenter
                                                          : Qt::AlignLeft | Qt::AlignTop);
      if (control.style & (STYLE_SUNKEN | STYLE_BORDER)) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
      }
      return label;
    }
    case ControlKind::staticIcon: {
      auto* label = new QLabel(this);
      label->setPixmap(CQtPlatform::AppIcon().pixmap(32, 32));
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::blackFrame:
    case ControlKind::whiteRect: {
      auto* frame = new CFrameWidget(*m_frames.Find(id), this);
      frame->setFocusPolicy(Qt::NoFocus);
      if (id == IDC_PREVIEW) frame->installEventFilter(this);  // the wheel
      return frame;
    }
    case ControlKind::hScrollBar:
    case ControlKind::vScrollBar: {
      auto* bar = new QScrollBar(
          control.kind == ControlKind::hScrollBar ? Qt::Horizontal : Qt::Vertical, this);
      bar->setRange(0, 0);
      bar->setPageStep(10);
      // The thumb follows the mouse while dragged, but the position changes
      // only when the dialog sets it.
      bar->setTracking(false);
      bar->setFocusPolicy(Qt::NoFocus);
      bar->setContextMenuPolicy(Qt::NoContextMenu);
      connect(bar, &QScrollBar::actionTriggered, this,
              [this, bar, id](int action) { OnScrollAction(bar, id, action); });
      connect(bar, &QScrollBar::sliderReleased, this, [this, bar, id] { OnScrollReleased(bar, id); });
      bar->installEventFilter(this);  // the wheel
      return bar;
    }
  }
  return new QWidget(this);
}

QWidget* CDialogWindow::Control(int id) const {
  auto it = m_byId.find(id);
  return it == m_byId.end() ? nullptr : it->second;
}

// The auto radio buttons behave as one group: Tab reaches the checked button
// (the first one while none is checked) and the arrow keys move inside.
void CDialogWindow::UpdateRadioFocus() {
  QRadioButton* tabTarget = nullptr;
  std::vector<QRadioButton*> radios;
  for (QWidget* widget : m_controls)
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) radios.push_back(radio);
  if (radios.empty()) return;
  for (QRadioButton* radio : radios)
    if (radio->isChecked()) tabTarget = radio;
  if (!tabTarget) tabTarget = radios.front();
  for (QRadioButton* radio : radios) radio->setFocusPolicy(radio == tabTarget ? Qt::StrongFocus : Qt::ClickFocus);
}

void CDialogWindow::Send(const CMessage& msg) { m_dialog.OnMessage(msg); }

void CDialogWindow::SendCommand(int id) { Send(CMessage::Command(id)); }

void CDialogWindow::ShowScrollBar(int id, int minPos, int maxPos, int pos) {
  auto* bar = qobject_cast<QScrollBar*>(Control(id));
  if (!bar) return;
  const QSignalBlocker quiet(bar);
  bar->setRange(std::min(minPos, maxPos), std::max(minPos, maxPos));
  bar->setValue(pos);
  bar->setSliderPosition(pos);
}

// Called after the bar has computed where the action would move it, before
// it moves: the bar is put back to where the dialog keeps it, the dialog
// gets the scroll code, and whatever position the dialog sets stays.
void CDialogWindow::OnScrollAction(QScrollBar* bar, int id, int action) {
  const int code = ScrollCodeOf(action, bar->isSliderDown());
  bar->setSliderPosition(bar->value());
  if (code < 0) return;
  SendScroll(bar, id, static_cast<unsigned>(code), code == SB_THUMBTRACK ? bar->sliderPosition() : 0);
}

void CDialogWindow::OnScrollReleased(QScrollBar* bar, int id) {
  const int pos = bar->sliderPosition();
  // Until the dialog answers, the bar stands where it stood.
  bar->setSliderPosition(bar->value());
  SendScroll(bar, id, SB_THUMBPOSITION, pos);
}

void CDialogWindow::SendScroll(QScrollBar* bar, int id, unsigned code, int pos) {
  Send(CMessage::Scroll(bar->orientation() == Qt::Horizontal, code, pos, m_dialog.GetScrollBar(id)));
  bar->setSliderPosition(bar->value());
}

QScrollBar* CDialogWindow::ScrollBar(bool horizontal, int* id) const {
  const Qt::Orientation wanted = horizontal ? Qt::Horizontal : Qt::Vertical;
  for (QWidget* widget : m_controls)
    if (auto* bar = qobject_cast<QScrollBar*>(widget); bar && bar->orientation() == wanted) {
      *id = bar->property("controlId").toInt();
      return bar;
    }
  return nullptr;
}

bool CDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return QDialog::eventFilter(watched, event);
  OnWheel(static_cast<QWidget*>(watched), *static_cast<QWheelEvent*>(event));
  event->accept();
  return true;
}

// One wheel step is one click on an arrow of a bar: the bar under the mouse,
// or over the preview the vertical one. Shift, and a wheel turned sideways,
// take the horizontal bar.
void CDialogWindow::OnWheel(QWidget* over, const QWheelEvent& event) {
  const QPoint turn = event.angleDelta();
  const bool shift = (event.modifiers() & Qt::ShiftModifier) != 0;
  const bool sideways = turn.y() == 0;
  const auto* overBar = qobject_cast<QScrollBar*>(over);
  const bool horizontal = shift || sideways || (overBar && overBar->orientation() == Qt::Horizontal);
  const int units = turn.y() != 0 ? turn.y() : turn.x();
  int id = 0;
  QScrollBar* bar = ScrollBar(horizontal, &id);
  if (!bar || units == 0) return;

  int& rest = m_wheelRest[horizontal ? 1 : 0];
  if ((rest < 0) != (units < 0)) rest = 0;  // turned back: the part step is dropped
  const long long turned = static_cast<long long>(rest) + units;
  const long long steps = turned / kWheelStep;
  rest = static_cast<int>(turned % kWheelStep);
  // Every step moves the box by at least one position: more steps than the
  // range has positions cannot move it further.
  const long long limit = std::max(1, bar->maximum() - bar->minimum());
  for (long long i = 0; i < std::min(std::llabs(steps), limit); ++i)
    SendScroll(bar, id, steps > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

void CDialogWindow::reject() { SendCommand(IDCANCEL); }

void CDialogWindow::AddShortcut(unsigned commandId, const QString& keys) {
  auto* action = new QAction(this);
  action->setShortcut(QKeySequence(keys));
  action->setShortcutContext(Qt::WindowShortcut);
  connect(action, &QAction::triggered, this, [this, commandId] { Send(CMessage::SysCommand(commandId)); });
  addAction(action);
}

void CDialogWindow::ShowContextMenu(const QPoint& globalPos) {
  const auto& own = m_platform.MenuEntries();
  const auto& entries = m_platform.AboutEntries();
  if ((own.empty() && entries.empty()) || &m_dialog != &m_platform.MainWindow()->Dialog()) return;
  QMenu menu(this);
  for (const auto& entry : own) {
    QAction* action = menu.addAction(Text(entry.text));
    action->setData(entry.commandId);
    // Shown only: the window's own action runs the key.
    action->setShortcut(QKeySequence(Text(entry.shortcut)));
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
  }
  if (!own.empty() && !entries.empty()) menu.addSeparator();
  for (const auto& [commandId, text] : entries) {
    QAction* action = menu.addAction(Text(text));
    action->setData(commandId);
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;
  // The menu is closed before the command runs, as a system-menu command would.
  Send(CMessage::SysCommand(chosen->data().toUInt()));
}

void CDialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  m_menuKeyPending = false;
  ShowContextMenu(event->globalPos());
  event->accept();
}

void CDialogWindow::keyPressEvent(QKeyEvent* event) {
  // The Menu key (and Shift+F10) on a control without a menu of its own.
  // Some window systems also send a context-menu event for the key: the menu
  // opens once, from whichever arrives, after the key has been handled.
  if ((event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier) ||
      (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
    m_menuKeyPending = true;
    QTimer::singleShot(0, this, [this] {
      if (!m_menuKeyPending) return;
      m_menuKeyPending = false;
      QWidget* focus = focusWidget() ? focusWidget() : this;
      ShowContextMenu(focus->mapToGlobal(focus->rect().center()));
    });
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

namespace {
std::vector<std::string> DroppedPaths(const QMimeData* mime) {
  std::vector<std::string> paths;
  if (!mime || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) paths.push_back(PathBytes(url.toLocalFile()));
  return paths;
}
}  // namespace

void CDialogWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPaths(event->mimeData()).empty()) event->acceptProposedAction();
}

void CDialogWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (!DroppedPaths(event->mimeData()).empty()) event->acceptProposedAction();
}

void CDialogWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths = DroppedPaths(event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  CDropPackage drop(std::move(paths));
  Send(CMessage::DropFiles(&drop));
}
