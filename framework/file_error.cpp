#include "framework/file_error.h"

#include <cerrno>

#include "framework/platform.h"
#include "framework/window_words.h"

namespace {

struct CauseMessage {
  FileCause cause;
  const char* message;
};

constexpr CauseMessage kMessages[] = {
    {FileCause::none, WindowWordsLater("Kein Fehler aufgetreten.")},
    {FileCause::genericException, WindowWordsLater("Ein unbekannter Fehler ist beim Zugriff auf %s aufgetreten.")},
    {FileCause::fileNotFound, WindowWordsLater("%s wurde nicht gefunden.")},
    {FileCause::badPath, WindowWordsLater("%s enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe.")},
    {FileCause::tooManyOpenFiles,
     WindowWordsLater("%s konnte nicht ge\xC3\xB6" "ffnet werden, da zu viele Dateien ge\xC3\xB6" "ffnet sind.")},
    {FileCause::accessDenied, WindowWordsLater("Zugriff auf %s wurde verwehrt.")},
    {FileCause::invalidFile, WindowWordsLater("Eine ung\xC3\xBCltige Dateikennung war mit %s verbunden.")},
    {FileCause::removeCurrentDir,
     WindowWordsLater("Das Verzeichnis %s konnte nicht entfernt werden, da es das aktuelle Verzeichnis ist. ")},
    {FileCause::directoryFull, WindowWordsLater("%s konnte nicht erstellt werden, da das Verzeichnis voll ist.")},
    {FileCause::badSeek, WindowWordsLater("Positionierungsfehler auf %s.")},
    {FileCause::hardIO,
     WindowWordsLater("Ein Hardware-E/A-Fehler wurde w\xC3\xA4hrend des Zugriffs auf %s gemeldet.")},
    {FileCause::sharingViolation,
     WindowWordsLater("Eine Zugriffsverletzung ist w\xC3\xA4hrend des Zugriffs auf %s aufgetreten.")},
    {FileCause::lockViolation,
     WindowWordsLater("Eine Sperrverletzung ist w\xC3\xA4hrend des Zugriffs auf %s aufgetreten.")},
    {FileCause::diskFull, WindowWordsLater("Beim Zugriff auf %s wurde ein voller Datentr\xC3\xA4ger gemeldet.")},
    {FileCause::endOfFile,
     WindowWordsLater("Es wurde versucht, auf eine Stelle hinter dem Ende von %s zuzugreifen.")},
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
  const char* text = kMessages[1].message;
  for (const CauseMessage& entry : kMessages)
    if (entry.cause == e.m_cause) text = entry.message;
  if (e.m_strFileName.empty()) return Filled(WindowWords(text), {WindowWords("eine unbenannte Datei")});
  return Filled(WindowWords(text), {e.m_strFileName});
}

void ReportFileError(IPlatform& platform, const CFileException& e) {
  platform.NoticeBox(FileErrorMessage(e));
}
