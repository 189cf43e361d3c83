#include "cli/cli_session.h"

#include <cstdio>

CliSession::CliSession(bool paint) {
  platform.echoBoxes = true;
  platform.paintOnRepaint = paint;
  platform.Create(dialog);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CliSession::Load(const std::string& path) {
  platform.openAnswers.push_back({path, BaseName(path)});
  dialog.OnBrowse();
  switch (dialog.LastLoadOutcome()) {
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

std::string CliSession::InfoText(int field) const {
  return const_cast<CHeadlessPlatform&>(platform).GetControlText(kInfoFieldIds[field]);
}
