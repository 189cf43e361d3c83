#include "platform/qt/qt_platform.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>
#include <QTranslator>
#include <algorithm>

#include "framework/version.h"
#include "platform/qt/file_filter.h"
#include "platform/posix/posix_files.h"
#include "platform/qt/qt_text.h"

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

bool CQtPlatform::InstallGermanTranslations() {
  // German whatever the user's locale says: every text of the program is.
  const QLocale german(QLocale::German, QLocale::Germany);
  QLocale::setDefault(german);
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

CDialogWindow* CQtPlatform::Create(CDialog& dialog) {
  // Boxes other than the main dialog are owned by the window below them.
  QWidget* parent = m_windows.empty() ? nullptr : m_windows.back().get();
  m_windows.push_back(std::make_unique<CDialogWindow>(*this, dialog, parent));
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
      window->Dialog().OnMessage(CMessage::DropFiles(&drop));
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
    main->Frames().Erase(id);
    if (QWidget* widget = main->Control(id)) widget->update();
    return;
  }
  // The whole dialog: the paint handler runs, every frame is erased once,
  // and the frames show the result before this returns.
  main->Frames().RepaintDialog([main] { main->Dialog().OnMessage(CMessage::Paint()); });
  main->Frames().ForEach([main](int frameId, CPixelBuffer&) {
    if (QWidget* widget = main->Control(frameId)) widget->repaint();
  });
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
  // With several choices a typed extension follows the choice (the dialog
  // takes it from the first pattern), and so does the one a bare name gets.
  const bool choices = QtNameFilters(request.filter).size() > 1;
  const QStringList filters = QtNameFilters(request.filter, choices);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  if (!request.defaultExt.empty()) {
    dialog.setDefaultSuffix(Text(request.defaultExt));
    if (choices)
      QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                       [&dialog, &filters, &request](const QString& chosen) {
                         const QString suffix = ChoiceSuffix(request.filter, NameFilterIndex(filters, chosen));
                         if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
                       });
  }
  if (!request.defaultName.empty()) dialog.selectFile(Text(request.defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {true, PathBytes(dialog.selectedFiles().front()),
          static_cast<int>(NameFilterIndex(filters, dialog.selectedNameFilter())) + 1};
}

void CQtPlatform::AcceptDroppedFiles(bool accept) {
  m_acceptDrops = accept;
  if (CDialogWindow* main = MainWindow()) main->SetAcceptingDrops(accept);
}

IFileSystem& CQtPlatform::Files() { return PosixFileSystem(); }

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

bool CQtPlatform::AppendMenuEntry(unsigned commandId, const std::string& text, const std::string& shortcut) {
  m_menuEntries.push_back({commandId, text, shortcut});
  if (CDialogWindow* main = MainWindow(); main && !shortcut.empty()) main->AddShortcut(commandId, Text(shortcut));
  return true;
}

