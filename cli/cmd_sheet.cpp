// sheet: the worksheet of a design as a PDF, the same sheet the window's
// "Arbeitsblatt speichern..." writes.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "platform/posix/messages.h"
#include "picture/worksheet.h"

namespace {

int Usage() {
  std::fprintf(stderr, "%s\n", Tr("usage: nadelwerk-cli sheet FILE OUT.pdf [--paper a4|letter]"));
  return kExitUsage;
}

}  // namespace

int RunSheet(const CliArgs& args) {
  std::vector<std::string> positional;
  Paper paper = Paper::a4;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--paper" && i + 1 < args.size()) {
      if (!ParsePaper(args[++i], paper)) return Usage();
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Usage();
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return Usage();
  const std::string& input = positional[0];
  const std::string& output = positional[1];
  if (LowerExtension(output) != "pdf") {
    SayAbout(output, "%s", Tr("the worksheet is written as .pdf"));
    return kExitUsage;
  }
  if (RefusedAsInput(input, output)) return kExitFileError;
  CliSession session(false);
  if (!session.LoadOrReport(input)) return kExitFileError;
  std::vector<std::uint8_t> pdf;
  try {
    pdf = WorksheetPdf(session.dlg, session.dlg.WorksheetRequest(paper));
  } catch (const std::runtime_error& e) {
    SayAbout(output, Tr("the worksheet could not be made (%s)"), e.what());
    return kExitFileError;
  }
  // A document to keep: synced to disk like a converted design.
  return WriteOrReport(session, output, pdf, /*synced=*/true) ? 0 : kExitFileError;
}
