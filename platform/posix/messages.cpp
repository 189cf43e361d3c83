#include "platform/posix/messages.h"

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <string>

namespace {

constexpr const char* kDomain = "nadelwerk";

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

}  // namespace

void UseUserLanguage() {
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  bindtextdomain(kDomain, CatalogueFolder().c_str());
  textdomain(kDomain);
}

const char* Tr(const char* msgid) { return dgettext(kDomain, msgid); }
