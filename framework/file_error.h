// File failures and their report. Every failing file operation throws a
// CFileException carrying one cause; handlers catch it and show the report.
#pragma once
#include <string>

enum class FileCause {
  none,
  genericException,
  fileNotFound,
  badPath,
  tooManyOpenFiles,
  accessDenied,
  invalidFile,
  removeCurrentDir,
  directoryFull,
  badSeek,
  hardIO,
  sharingViolation,
  lockViolation,
  diskFull,
  endOfFile,
};

struct CFileException {
  FileCause m_cause = FileCause::none;
  // The path for failures of open and create; empty for the operations that
  // carry no file name (length, read, write of an open file, close).
  std::string m_strFileName;
};

// Maps an errno value of this platform to its cause.
FileCause FileCauseFromErrno(int err);

// The text of the report, German as the window shows it (framework/
// window_words.h): the cause's message with the file name in it, or
// "eine unbenannte Datei" when the exception carries none.
std::string FileErrorMessage(const CFileException& e);

class IPlatform;
// Shows a failed file operation as the modal report with that text.
void ReportFileError(IPlatform& platform, const CFileException& e);
