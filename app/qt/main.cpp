// nadelwerk: the viewer's window. "nadelwerk FILE" loads FILE at start as if
// it had been dropped on the window, so the desktop's "Open with" works.
#include <QApplication>
#include <string>
#include <vector>

#include "app/qt/qt_platform.h"
#include "app/viewer_dlg.h"

CViewerApp theApp;

int main(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  QApplication::setApplicationName(QStringLiteral("Nadelwerk"));
  QApplication::setApplicationVersion(QStringLiteral("1.3.0"));
  QApplication::setDesktopFileName(QStringLiteral("nadelwerk"));
  QApplication::setWindowIcon(CQtPlatform::AppIcon());

  CQtPlatform platform;
  AfxSetPlatform(&platform);
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) files.emplace_back(argv[i]);
  if (!files.empty()) platform.DropAtStart(std::move(files));

  theApp.InitInstance();
  AfxSetPlatform(nullptr);
  return 0;
}
