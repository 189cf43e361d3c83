// The signals around a save. While it holds a named temporary file, every
// signal that would end the program removes that file first and then ends
// the program as the signal says; signals the program ignores stay ignored.
#pragma once
#include <signal.h>

#include <string>

class CTempFileGuard {
 public:
  // The signals are held back from here until the temporary file is
  // recorded, so none can end the program in between.
  CTempFileGuard();
  ~CTempFileGuard() { Clear(); }
  CTempFileGuard(const CTempFileGuard&) = delete;
  CTempFileGuard& operator=(const CTempFileGuard&) = delete;

  // Records the temporary file and lets the signals through.
  void Watch(const std::string& path);
  // The temporary file is gone (renamed or removed): back to the program's
  // own handling of the signals.
  void Clear();

 private:
  sigset_t m_savedMask{};
  bool m_watching = false;
};

// While one lives, a write past the file size limit fails (EFBIG, reported
// as a full disk) instead of ending the program; a program that handles
// SIGXFSZ itself keeps its handler.
class CFileSizeLimitAsError {
 public:
  CFileSizeLimitAsError();
  ~CFileSizeLimitAsError();
  CFileSizeLimitAsError(const CFileSizeLimitAsError&) = delete;
  CFileSizeLimitAsError& operator=(const CFileSizeLimitAsError&) = delete;

 private:
  struct sigaction m_previous {};
};
