#include "cli/cli_session.h"

#include <cstdio>

bool CliSession::LoadOrReport(const std::string& path) {
  switch (Load(path)) {
    case LoadOutcome::loaded:
      return true;
    case LoadOutcome::noReader:
      std::fprintf(stderr, "nadelwerk-cli: %s: not a design file (no reader for its extension)\n",
                   path.c_str());
      return false;
    default:
      return false;  // the file-error report has been printed
  }
}
