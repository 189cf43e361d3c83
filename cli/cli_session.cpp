#include "cli/cli_session.h"

#include <cstdarg>
#include <cstdio>

#include "framework/file_error.h"
#include "platform/posix/messages.h"
#include "platform/posix/posix_files.h"

bool CliSession::LoadOrReport(const std::string& path) {
  // Every line of a box the design brings up from here on (file errors,
  // notices, refusals and warnings of a save) starts with the file it is
  // about, as in a batch: "nadelwerk-cli: FILE: ...".
  platform.echoPrefix = "nadelwerk-cli: " + path + ": ";
  switch (Load(path)) {
    case LoadOutcome::loaded:
      return true;
    case LoadOutcome::noReader:
      SayAbout(path, "%s", Tr("not a design file (no reader for its extension)"));
      return false;
    default:
      return false;  // the file-error report has been printed
  }
}

void SayAbout(const std::string& subject, const char* format, ...) {
  std::fprintf(stderr, "nadelwerk-cli: %s: ", subject.c_str());
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

bool RefusedAsInput(const std::string& input, const std::string& output) {
  if (!SameFile(input, output)) return false;
  SayAbout(input, Tr("refused, the output %s is this input"), output.c_str());
  return true;
}

std::string LowerExtension(const std::string& path) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext;
}

bool WriteOrReport(CliSession& session, const std::string& path, const std::vector<std::uint8_t>& bytes,
                   bool synced) {
  try {
    if (synced)
      session.files.WriteWholeFile(path, bytes.data(), bytes.size());
    else
      session.files.WriteWholeFileUnsynced(path, bytes.data(), bytes.size());
  } catch (const CFileException& e) {
    ReportFileError(session.platform, e);
    return false;
  }
  return true;
}
