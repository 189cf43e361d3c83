#include "platform/posix/messages.h"

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/window_words.h"

namespace {

constexpr const char* kDomain = "nadelwerk";
// The window's texts: their msgids are the German texts as the lower layers
// write them, and the catalogues translate them into other languages
// (English: po/window/en.po).
constexpr const char* kWindowDomain = "nadelwerk-window";

bool g_speaksGerman = false;

// The catalogues lie in share/locale beside the program's bin folder: under
// the install prefix, whichever it is (/usr, /usr/local, ~/.local), and in
// the build tree, where po/ builds them into build/share/locale. A program
// copied elsewhere falls back to the configured folder.
std::string CatalogueFolder() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string path(exe, static_cast<std::size_t>(n));
    for (int up = 0; up < 2; ++up) {
      const auto slash = path.rfind('/');
      if (slash == std::string::npos) break;
      path.erase(slash);
    }
    path += "/share/locale";
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return path;
  }
  return NADELWERK_LOCALEDIR;
}

// The language of the catalogue gettext chose for the programs' own texts,
// from its header (the translation of the empty msgid); empty when it chose
// none.
std::string CatalogueLanguage() {
  const std::string header = dgettext(kDomain, "");
  const auto at = ("\n" + header).find("\nLanguage: ");
  if (at == std::string::npos) return {};
  const auto from = at + std::strlen("Language: ");
  return header.substr(from, header.find_first_of("_\n", from) - from);
}

// For a user who does not get German, the window's texts come from the
// English catalogue, or from one in the user's language where there is
// one: English goes last in the LANGUAGE list that gettext tries in turn.
// glibc's gettext answers every lookup with its msgid (here German) under
// the C locale and ignores LANGUAGE there. Under it the messages take
// C.UTF-8, which gettext does not treat so, and LANGUAGE English alone: the
// user's LANGUAGE had no effect, and must not start having one on the
// programs' own texts now. (tests/language_test.cpp fails when the
// window's texts stay German under LANG=C.)
void FallBackToEnglish() {
  const char* messages = std::setlocale(LC_MESSAGES, nullptr);
  std::string languages;
  if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0) {
    std::setlocale(LC_MESSAGES, "C.UTF-8");
  } else {
    const char* asked = std::getenv("LANGUAGE");
    languages = std::string(asked && *asked ? asked : messages) + ":";
  }
  setenv("LANGUAGE", (languages + "en").c_str(), 1);
  // Lookups made so far are cached: a new text domain starts afresh.
  textdomain(kDomain);
}

}  // namespace

void UseUserLanguage() {
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  const std::string folder = CatalogueFolder();
  bindtextdomain(kDomain, folder.c_str());
  bindtextdomain(kWindowDomain, folder.c_str());
  textdomain(kDomain);
  g_speaksGerman = CatalogueLanguage() == "de";
  if (!g_speaksGerman) FallBackToEnglish();
  SetWindowWords(WindowText);
}

const char* Tr(const char* msgid) { return dgettext(kDomain, msgid); }

const char* WindowText(const char* german) { return g_speaksGerman ? german : dgettext(kWindowDomain, german); }
