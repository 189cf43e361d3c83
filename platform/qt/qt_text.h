// Text and paths between the dialog logic (UTF-8 strings, paths as the file
// system's bytes) and Qt.
#pragma once
#include <QFile>
#include <QString>
#include <string>

inline QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
