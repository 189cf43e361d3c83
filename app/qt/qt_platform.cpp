#include "app/qt/qt_platform.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/qt/file_filter.h"
#include "app/resource.h"
#include "render/control_background.h"

namespace {

QString Text(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// Paths travel as the file system's bytes.
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

const DialogTemplate* TemplateOf(int templateId) {
  if (templateId == MainDialogTemplate().id) return &MainDialogTemplate();
  if (templateId == AboutDialogTemplate().id) return &AboutDialogTemplate();
  return nullptr;
}

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

// Scroll bar actions as the dialog's scroll codes; -1 for none.
int ScrollCodeOf(int action, bool sliderDown) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd:
      return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub:
      return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd:
      return SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum:
      return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
      return SB_BOTTOM;
    case QAbstractSlider::SliderMove:
      return sliderDown ? static_cast<int>(SB_THUMBTRACK) : -1;
    default:
      return -1;
  }
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

// ---------------------------------------------------------------------------

CFrameWidget::CFrameWidget(CPixelBuffer& pixels, QWidget* parent) : QWidget(parent), m_pixels(pixels) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CFrameWidget::paintEvent(QPaintEvent*) {
  if (m_pixels.width == 0 || m_pixels.height == 0) return;
  QImage image(m_pixels.width, m_pixels.height, QImage::Format_RGB32);
  for (int y = 0; y < m_pixels.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < m_pixels.width; ++x) line[x] = 0xFF000000u | m_pixels.At(x, y);
  }
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

// ---------------------------------------------------------------------------

CDialogWindow::CDialogWindow(CQtPlatform& platform, CDialog& dialog, const DialogTemplate& layout,
                             QWidget* parent)
    : QDialog(parent), m_platform(platform), m_dialog(dialog), m_layout(layout) {
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

  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& control : m_layout.controls) {
    QWidget* widget = MakeControl(control);
    const CRect r = DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, m_baseX, m_baseY);
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
      const CRect r = DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, m_baseX, m_baseY);
      CPixelBuffer& pixels = m_frames[id];
      pixels.Resize(r.Width(), r.Height());
      PaintControlBackground(id, pixels);
      auto* frame = new CFrameWidget(pixels, this);
      frame->setFocusPolicy(Qt::NoFocus);
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
      return bar;
    }
  }
  return new QWidget(this);
}

QWidget* CDialogWindow::Control(int id) const {
  auto it = m_byId.find(id);
  return it == m_byId.end() ? nullptr : it->second;
}

CPixelBuffer* CDialogWindow::Frame(int id) {
  auto it = m_frames.find(id);
  return it == m_frames.end() ? nullptr : &it->second;
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

void CDialogWindow::SendCommand(int id) {
  CMessage msg;
  msg.message = WM_COMMAND;
  msg.id = static_cast<unsigned>(id);
  msg.code = BN_CLICKED;
  Send(msg);
}

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
  CMessage msg;
  msg.message = bar->orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL;
  msg.code = static_cast<unsigned>(code);
  msg.pos = code == SB_THUMBTRACK ? bar->sliderPosition() : 0;
  msg.scrollBar = m_dialog.GetScrollBar(id);
  Send(msg);
  bar->setSliderPosition(bar->value());
}

void CDialogWindow::OnScrollReleased(QScrollBar* bar, int id) {
  CMessage msg;
  msg.message = bar->orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL;
  msg.code = SB_THUMBPOSITION;
  msg.pos = bar->sliderPosition();
  msg.scrollBar = m_dialog.GetScrollBar(id);
  // Until the dialog answers, the bar stands where it stood.
  bar->setSliderPosition(bar->value());
  Send(msg);
  bar->setSliderPosition(bar->value());
}

void CDialogWindow::reject() {
  CMessage msg;
  msg.message = WM_COMMAND;
  msg.id = IDCANCEL;
  msg.code = BN_CLICKED;
  Send(msg);
}

void CDialogWindow::ShowContextMenu(const QPoint& globalPos) {
  const auto& entries = m_platform.AboutEntries();
  if (entries.empty() || &m_dialog != &m_platform.MainWindow()->Dialog()) return;
  QMenu menu(this);
  for (const auto& [commandId, text] : entries) {
    QAction* action = menu.addAction(Text(text));
    action->setData(commandId);
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;
  // The menu is closed before the command runs, as a system-menu command would.
  CMessage msg;
  msg.message = WM_SYSCOMMAND;
  msg.id = chosen->data().toUInt();
  Send(msg);
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
  CMessage msg;
  msg.message = WM_DROPFILES;
  msg.drop = &drop;
  Send(msg);
}

// ---------------------------------------------------------------------------

CQtPlatform::CQtPlatform() = default;

CQtPlatform::~CQtPlatform() = default;

// The icon lives in this library's resources, which a static library must
// register itself.
static void InitIconResource() { Q_INIT_RESOURCE(nadelwerk); }

QIcon CQtPlatform::AppIcon() {
  static const QIcon icon = [] {
    InitIconResource();
    return QIcon(QStringLiteral(":/nadelwerk/nadelwerk.png"));
  }();
  return icon;
}

CDialogWindow* CQtPlatform::Create(CDialog& dialog) {
  const DialogTemplate* layout = TemplateOf(dialog.TemplateId());
  if (!layout) return nullptr;
  // Boxes other than the main dialog are owned by the window below them.
  QWidget* parent = m_windows.empty() ? nullptr : m_windows.back().get();
  m_windows.push_back(std::make_unique<CDialogWindow>(*this, dialog, *layout, parent));
  CDialogWindow* window = m_windows.back().get();
  dialog.OnInitDialog();
  return window;
}

CDialogWindow* CQtPlatform::Window(const CDialog& dialog) const {
  for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
    if (&(*it)->Dialog() == &dialog) return it->get();
  return nullptr;
}

CDialogWindow* CQtPlatform::MainWindow() const {
  return m_windows.empty() ? nullptr : m_windows.front().get();
}

CDialogWindow* CQtPlatform::WindowWith(int id) const {
  for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
    if ((*it)->Control(id)) return it->get();
  return nullptr;
}

QWidget* CQtPlatform::TopWindow() const {
  return m_windows.empty() ? nullptr : m_windows.back().get();
}

int CQtPlatform::RunModal(CDialog& dialog) {
  CDialogWindow* window = Create(dialog);
  if (!window) return IDCANCEL;
  if (window == MainWindow() && !m_startDrop.empty()) {
    // The file named on the command line arrives as a drop once the window is up.
    QTimer::singleShot(0, window, [this, window] {
      CDropPackage drop(std::exchange(m_startDrop, {}));
      CMessage msg;
      msg.message = WM_DROPFILES;
      msg.drop = &drop;
      window->Dialog().OnMessage(msg);
    });
  }
  const int result = window->exec();
  auto it = std::find_if(m_windows.begin(), m_windows.end(),
                         [window](const auto& w) { return w.get() == window; });
  if (it != m_windows.end()) {
    std::unique_ptr<CDialogWindow> done = std::move(*it);
    m_windows.erase(it);
  }
  return result;
}

void CQtPlatform::EndDialog(CDialog& dialog, int result) {
  if (CDialogWindow* window = Window(dialog)) window->Finish(result);
}

void CQtPlatform::SetControlText(int id, const std::string& text) {
  CDialogWindow* window = WindowWith(id);
  if (!window) return;
  QWidget* widget = window->Control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(Text(text));
    edit->setCursorPosition(0);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(Text(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(Text(text));
  } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(Text(text));
  }
}

std::string CQtPlatform::GetControlText(int id) {
  CDialogWindow* window = WindowWith(id);
  if (!window) return {};
  QWidget* widget = window->Control(id);
  QString text;
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    text = edit->text();
  else if (auto* button = qobject_cast<QAbstractButton*>(widget))
    text = button->text();
  else if (auto* label = qobject_cast<QLabel*>(widget))
    text = label->text();
  else if (auto* box = qobject_cast<QGroupBox*>(widget))
    text = box->title();
  return text.toStdString();
}

void CQtPlatform::RepaintNow(int id) {
  CDialogWindow* main = MainWindow();
  if (!main) return;
  if (id != 0) {
    // One frame erases itself; the paint handler draws on it next.
    if (CPixelBuffer* pixels = main->Frame(id)) PaintControlBackground(id, *pixels);
    if (QWidget* widget = main->Control(id)) widget->update();
    return;
  }
  // The whole dialog: every frame is erased, the paint handler runs, and the
  // frames show the result before this returns.
  for (const ControlTemplate& control : main->Layout().controls)
    if (CPixelBuffer* pixels = main->Frame(control.id)) PaintControlBackground(control.id, *pixels);
  CMessage paint;
  paint.message = WM_PAINT;
  main->Dialog().OnMessage(paint);
  for (const ControlTemplate& control : main->Layout().controls)
    if (main->Frame(control.id))
      if (QWidget* widget = main->Control(control.id)) widget->repaint();
}

void CQtPlatform::Box(const std::string& text, bool notice) {
  QMessageBox box(notice ? QMessageBox::Warning : QMessageBox::NoIcon, QString::fromUtf8(kAppName),
                  Text(text), QMessageBox::Ok, TopWindow());
  box.setTextFormat(Qt::PlainText);
  box.setWindowIcon(AppIcon());
  box.exec();
}

void CQtPlatform::NoticeBox(const std::string& text) { Box(text, true); }

void CQtPlatform::PlainMessageBox(const std::string& text) { Box(text, false); }

OpenFileResult CQtPlatform::OpenFileDialog(const OpenFileRequest& request) {
  QFileDialog dialog(TopWindow(), QString(), QDir(Text(request.initialDir)).absolutePath());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // Our own dialog everywhere: the filter labels, the case-insensitive
  // patterns and the options look and work the same on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList filters = QtNameFilters(request.filter);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().front();
  return {PathBytes(path), PathBytes(QFileInfo(path).fileName())};
}

SaveFileResult CQtPlatform::SaveFileDialog(const SaveFileRequest& request) {
  QFileDialog dialog(TopWindow(), QString(), QDir(Text(request.initialDir)).absolutePath());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog.setNameFilters(QtNameFilters(request.filter));
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(Text(request.defaultExt));
  if (!request.defaultName.empty()) dialog.selectFile(Text(request.defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {true, PathBytes(dialog.selectedFiles().front())};
}

void CQtPlatform::AcceptDroppedFiles(bool accept) {
  m_acceptDrops = accept;
  if (CDialogWindow* main = MainWindow()) main->SetAcceptingDrops(accept);
}

CPixelBuffer& CQtPlatform::ControlPixels(int id) {
  if (CDialogWindow* main = MainWindow())
    if (CPixelBuffer* pixels = main->Frame(id)) return *pixels;
  return m_spareFrames[id];
}

void CQtPlatform::CheckRadioButton(int firstId, int lastId, int checkedId) {
  CDialogWindow* window = WindowWith(firstId);
  if (!window) return;
  for (int id = firstId; id <= lastId; ++id) {
    auto* radio = qobject_cast<QRadioButton*>(window->Control(id));
    if (!radio) continue;
    // Exclusive buttons cannot be cleared one by one.
    radio->setAutoExclusive(false);
    radio->setChecked(id == checkedId);
    radio->setAutoExclusive(true);
  }
}

int CQtPlatform::GetCheckedRadioButton(int firstId, int lastId) {
  CDialogWindow* window = WindowWith(firstId);
  if (!window) return 0;
  for (int id = firstId; id <= lastId; ++id)
    if (auto* radio = qobject_cast<QRadioButton*>(window->Control(id)); radio && radio->isChecked())
      return id;
  return 0;
}

void CQtPlatform::ShowScrollBar(int id, int minPos, int maxPos, int pos) {
  if (CDialogWindow* window = WindowWith(id)) window->ShowScrollBar(id, minPos, maxPos, pos);
}

bool CQtPlatform::AppendAboutMenuEntry(unsigned commandId, const std::string& text) {
  m_aboutEntries.emplace_back(commandId, text);
  return true;
}
