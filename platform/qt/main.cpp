// nadelwerk: the viewer's window. "nadelwerk FILE" loads FILE at start as if
// it had been dropped on the window, so the desktop's "Open with" works.
#include <QApplication>
#include <string>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "app/viewer_dlg.h"
#include "framework/version.h"

CViewerApp theApp;

int main(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  QApplication::setApplicationName(QString::fromUtf8(kAppName));
  QApplication::setApplicationVersion(QString::fromUtf8(kAppVersion));
  QApplication::setDesktopFileName(QStringLiteral("nadelwerk"));
  QApplication::setWindowIcon(CQtPlatform::AppIcon());
  CQtPlatform::InstallGermanTranslations();

  CQtPlatform platform;
  AfxSetPlatform(&platform);
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) files.emplace_back(argv[i]);
  if (!files.empty()) platform.DropAtStart(std::move(files));

  theApp.InitInstance();
  AfxSetPlatform(nullptr);
  return 0;
}
