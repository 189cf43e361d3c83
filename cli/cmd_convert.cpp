// convert: loads a design as "&Auswahl" does and saves it through the
// "&Tajima" or "&Pfaff" handler, the save dialog answered with the output path.
//
// A conversion never destroys an input: an output that is the same file as
// an input (by device and inode, so through links, hard links and another
// letter case on volumes that ignore it) is refused. A batch decides for
// every input before it writes anything, keeps existing files unless told
// to replace them, names its input in every message and ends with one
// summary line.
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/output_names.h"
#include "export/encoder.h"
#include "platform/posix/messages.h"
#include "platform/posix/posix_files.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               Tr("usage: nadelwerk-cli convert IN OUT            (OUT ending in %s)\n"
                  "       nadelwerk-cli convert --to %s -o DIR [--force] IN...\n"),
               WrittenExtensions().c_str(), WrittenFormats("", "|", "|").c_str());
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

enum class Result { written, skipped, refused, failed };

// Loads in and saves it to out. Refusals, warnings and file errors have
// been printed by their message boxes.
Result ConvertOne(CliSession& session, const std::string& in, const std::string& out,
                  const FormatEntry& format) {
  if (!session.LoadOrReport(in)) return Result::failed;
  switch (session.Save(format, out)) {
    case SaveOutcome::written: return Result::written;
    case SaveOutcome::refused: return Result::refused;
    default: return Result::failed;
  }
}

struct BatchJob {
  std::string in, out;
  std::optional<Result> decided;  // set before the batch writes: not converted
};

// Decides for every input whether it may be written, before anything is:
// an output that is an input, or that another input's output also names
// (letter case aside), is refused; an existing output is kept without force.
void PlanBatch(std::vector<BatchJob>& jobs, bool force) {
  std::map<CFileId, const BatchJob*> inputs;
  for (const BatchJob& job : jobs)
    if (const auto id = FileIdOf(job.in)) inputs.emplace(*id, &job);
  std::map<std::string, const BatchJob*> names;
  std::map<CFileId, const BatchJob*> existing;
  for (BatchJob& job : jobs) {
    const auto id = FileIdOf(job.out);
    if (const auto input = id ? inputs.find(*id) : inputs.end(); input != inputs.end()) {
      SayAbout(job.in, Tr("refused, its output %s is the input %s"), job.out.c_str(), input->second->in.c_str());
      job.decided = Result::refused;
      continue;
    }
    const std::string folded = FoldedName(BaseName(job.out));
    const auto claimed = names.find(folded);
    const auto linked = id ? existing.find(*id) : existing.end();
    const BatchJob* other = claimed != names.end() ? claimed->second
                            : linked != existing.end() ? linked->second
                                                       : nullptr;
    if (other) {
      SayAbout(job.in, Tr("refused, its output %s is also the output of %s"), job.out.c_str(),
               other->in.c_str());
      job.decided = Result::refused;
      continue;
    }
    // A link counts as a file, even one that leads nowhere.
    std::error_code ec;
    if (!force && std::filesystem::exists(std::filesystem::symlink_status(job.out, ec))) {
      SayAbout(job.in, Tr("skipped, %s exists and is kept (--force replaces it)"), job.out.c_str());
      job.decided = Result::skipped;
      continue;
    }
    names.emplace(folded, &job);
    if (id) existing.emplace(*id, &job);
  }
}

int RunBatch(const FormatEntry& format, const std::string& dir, const CliArgs& inputs, bool force) {
  std::vector<BatchJob> jobs;
  for (const std::string& in : inputs)
    jobs.push_back({in, dir + "/" + DefaultSaveName(BaseName(in)) + "." + format.name, {}});
  PlanBatch(jobs, force);

  CliSession session;
  int counts[4] = {};
  for (const BatchJob& job : jobs) {
    Result result = job.decided.value_or(Result::written);
    if (!job.decided) {
      result = ConvertOne(session, job.in, job.out, format);
    }
    ++counts[static_cast<int>(result)];
  }
  std::fprintf(stderr, "nadelwerk-cli: ");
  std::fprintf(stderr, Tr("%d written, %d skipped, %d refused, %d failed"), counts[static_cast<int>(Result::written)],
               counts[static_cast<int>(Result::skipped)], counts[static_cast<int>(Result::refused)],
               counts[static_cast<int>(Result::failed)]);
  std::fprintf(stderr, "\n");
  return counts[static_cast<int>(Result::written)] == static_cast<int>(jobs.size()) ? 0 : kExitFileError;
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

std::string WrittenExtensions() {
  // TRANSLATORS: stands between the last two written formats: ".dst or .pcs".
  return WrittenFormats(".", ", ", Tr(" or "));
}

int RunConvert(const CliArgs& args) {
  std::string to, dir;
  bool force = false;
  CliArgs inputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--to" || a == "-o") {
      if (i + 1 >= args.size()) return Usage();
      (a == "--to" ? to : dir) = args[++i];
    } else if (a == "--force") {
      force = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage();
    } else {
      inputs.push_back(a);
    }
  }

  if (to.empty() && dir.empty()) {
    if (inputs.size() != 2) return Usage();
    const FormatEntry* format = WritableFormat(ExtensionOf(inputs[1]));
    if (!format) {
      SayAbout(inputs[1], Tr("the output must end in %s"), WrittenExtensions().c_str());
      return kExitUsage;
    }
    // OUT is replaced if it exists, but never when it is IN itself.
    if (RefusedAsInput(inputs[0], inputs[1])) return kExitFileError;
    CliSession session;
    return ConvertOne(session, inputs[0], inputs[1], *format) == Result::written ? 0 : kExitFileError;
  }

  const FormatEntry* format = WritableFormat(to);
  if (!format || dir.empty() || inputs.empty()) return Usage();
  return RunBatch(*format, dir, inputs, force);
}
