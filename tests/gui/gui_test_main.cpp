// The widgets need one QApplication for the whole run, with Qt's texts in
// German as the program has them.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
  // Listing the tests at build time runs without the test's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  CQtPlatform::InstallGermanTranslations();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
