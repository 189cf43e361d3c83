#include "cli/cli_session.h"

#include <cstdio>

#include "framework/file_error.h"

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
