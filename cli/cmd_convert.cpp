// convert: loads a design as "&Auswahl" does and saves it through the
// "&Tajima" or "&Pfaff" handler, the save dialog answered with the output path.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "export/encoder.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: nadelwerk-cli convert IN OUT            (OUT ending in %s)\n"
               "       nadelwerk-cli convert --to %s -o DIR IN...\n",
               WrittenFormats(".", ", ", " or ").c_str(), WrittenFormats("", "|", "|").c_str());
  return kExitUsage;
}

// The format with a writer whose short name this is (any case); nullptr for
// others.
const FormatEntry* WritableFormat(const std::string& name) {
  const FormatEntry* format = FindFormat(name);
  return format && format->encode ? format : nullptr;
}

std::string ExtensionOf(const std::string& path) {
  const std::string name = BaseName(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// Loads in and saves it to out; returns the exit status of this conversion.
// Refusals and file errors have been printed by their message boxes.
int ConvertOne(CliSession& session, const std::string& in, const std::string& out,
               const FormatEntry& format) {
  if (!session.LoadOrReport(in)) return kExitFileError;
  return session.Save(format, out) == SaveOutcome::written ? 0 : kExitFileError;
}

}  // namespace

std::string WrittenFormats(const char* prefix, const char* separator, const char* lastSeparator) {
  std::vector<std::string> names;
  for (const FormatEntry& f : Formats())
    if (f.encode) names.push_back(prefix + std::string(f.name));
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i)
    out += (i == 0 ? "" : i + 1 == names.size() ? lastSeparator : separator) + names[i];
  return out;
}

int RunConvert(const CliArgs& args) {
  std::string to, dir;
  CliArgs inputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--to" || a == "-o") {
      if (i + 1 >= args.size()) return Usage();
      (a == "--to" ? to : dir) = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage();
    } else {
      inputs.push_back(a);
    }
  }

  CliSession session;
  if (to.empty() && dir.empty()) {
    if (inputs.size() != 2) return Usage();
    const FormatEntry* format = WritableFormat(ExtensionOf(inputs[1]));
    if (!format) {
      std::fprintf(stderr, "nadelwerk-cli: %s: the output must end in %s\n", inputs[1].c_str(),
                   WrittenFormats(".", ", ", " or ").c_str());
      return kExitUsage;
    }
    return ConvertOne(session, inputs[0], inputs[1], *format);
  }

  const FormatEntry* format = WritableFormat(to);
  if (!format || dir.empty() || inputs.empty()) return Usage();
  int status = 0;
  std::set<std::string> written;
  for (const std::string& in : inputs) {
    const std::string out = dir + "/" + DefaultSaveName(BaseName(in)) + "." + format->name;
    // Two inputs of one name (rose.pes, rose.dst) would overwrite each other.
    if (!written.insert(out).second) {
      std::fprintf(stderr, "nadelwerk-cli: %s: skipped, %s was already written from another input\n",
                   in.c_str(), out.c_str());
      status = kExitFileError;
      continue;
    }
    if (ConvertOne(session, in, out, *format) != 0) status = kExitFileError;
  }
  return status;
}
