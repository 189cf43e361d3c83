#include <cstdio>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "platform/posix/messages.h"

int RunInfo(const CliArgs& args) {
  if (args.empty()) {
    std::fprintf(stderr, "%s\n", Tr("usage: nadelwerk-cli info FILE..."));
    return kExitUsage;
  }
  int status = 0;
  CliSession session;
  for (const std::string& path : args) {
    if (!session.LoadOrReport(path)) {
      status = kExitFileError;
      continue;
    }
    std::printf("%s\n", BaseName(path).c_str());
    for (int field = 0; field < 5; ++field) std::printf("%s\n", session.InfoText(field).c_str());
  }
  return status;
}
