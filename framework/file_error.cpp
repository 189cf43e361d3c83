#include "framework/file_error.h"

#include <cerrno>

#include "framework/platform.h"

namespace {

struct CauseMessage {
  FileCause cause;
  const char* message;
};

constexpr CauseMessage kMessages[] = {
    {FileCause::none, "Kein Fehler aufgetreten."},
    {FileCause::genericException, "Ein unbekannter Fehler ist beim Zugriff auf %1 aufgetreten."},
    {FileCause::fileNotFound, "%1 wurde nicht gefunden."},
    {FileCause::badPath, "%1 enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe."},
    {FileCause::tooManyOpenFiles,
     "%1 konnte nicht ge\xC3\xB6" "ffnet werden, da zu viele Dateien ge\xC3\xB6" "ffnet sind."},
    {FileCause::accessDenied, "Zugriff auf %1 wurde verwehrt."},
    {FileCause::invalidFile, "Eine ung\xC3\xBCltige Dateikennung war mit %1 verbunden."},
    {FileCause::removeCurrentDir,
     "Das Verzeichnis %1 konnte nicht entfernt werden, da es das aktuelle Verzeichnis ist. "},
    {FileCause::directoryFull, "%1 konnte nicht erstellt werden, da das Verzeichnis voll ist."},
    {FileCause::badSeek, "Positionierungsfehler auf %1."},
    {FileCause::hardIO, "Ein Hardware-E/A-Fehler wurde w\xC3\xA4hrend des Zugriffs auf %1 gemeldet."},
    {FileCause::sharingViolation,
     "Eine Zugriffsverletzung ist w\xC3\xA4hrend des Zugriffs auf %1 aufgetreten."},
    {FileCause::lockViolation, "Eine Sperrverletzung ist w\xC3\xA4hrend des Zugriffs auf %1 aufgetreten."},
    {FileCause::diskFull, "Beim Zugriff auf %1 wurde ein voller Datentr\xC3\xA4ger gemeldet."},
    {FileCause::endOfFile,
     "Es wurde versucht, auf eine Stelle hinter dem Ende von %1 zuzugreifen."},
};

struct ErrnoCause {
  int err;
  FileCause cause;
};

constexpr ErrnoCause kErrnoCauses[] = {
    {ENOENT, FileCause::fileNotFound},
    {ENOTDIR, FileCause::badPath},
    {ENAMETOOLONG, FileCause::badPath},
    {ELOOP, FileCause::badPath},
    {EINVAL, FileCause::badPath},
    {EMFILE, FileCause::tooManyOpenFiles},
    {ENFILE, FileCause::tooManyOpenFiles},
    {EACCES, FileCause::accessDenied},
    {EPERM, FileCause::accessDenied},
    {EROFS, FileCause::accessDenied},
    {EISDIR, FileCause::accessDenied},
    {EBADF, FileCause::invalidFile},
    {EBUSY, FileCause::sharingViolation},
    {ETXTBSY, FileCause::sharingViolation},
    {EWOULDBLOCK, FileCause::sharingViolation},
    {ENOLCK, FileCause::lockViolation},
    {EDEADLK, FileCause::lockViolation},
    {ENOSPC, FileCause::diskFull},
    {EDQUOT, FileCause::diskFull},
    {EFBIG, FileCause::diskFull},
    {EIO, FileCause::hardIO},
    {ENXIO, FileCause::hardIO},
    {ENODEV, FileCause::hardIO},
    {ENOMEDIUM, FileCause::hardIO},
    {ESPIPE, FileCause::badSeek},
    {EOVERFLOW, FileCause::badSeek},
};

}  // namespace

FileCause FileCauseFromErrno(int err) {
  for (const ErrnoCause& entry : kErrnoCauses)
    if (entry.err == err) return entry.cause;
  return FileCause::genericException;
}

std::string FileErrorMessage(const CFileException& e) {
  std::string text = kMessages[1].message;
  for (const CauseMessage& entry : kMessages)
    if (entry.cause == e.m_cause) text = entry.message;
  const std::string name = e.m_strFileName.empty() ? "eine unbenannte Datei" : e.m_strFileName;
  const auto at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

void ReportFileError(IPlatform& platform, const CFileException& e) {
  platform.NoticeBox(FileErrorMessage(e));
}
