// nadelwerk-cli: the viewer's logic from the command line, on the headless
// platform.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "formats/formats.h"
#include "framework/version.h"
#include "platform/posix/posix_memory.h"
#include "platform/posix/standard_streams.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const CliArgs&);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"info", RunInfo, "info FILE...        the five information texts of each file"},
    {"dump", RunDump, "dump FILE           the loaded design state as JSON"},
    {"convert", RunConvert, nullptr},
    {"render", RunRender,
     "render FILE OUT.png [--zoom Z] [--rotate N] [--scroll H,V] [--size WxH] [--thumbnail]\n"
     "                      the preview frame (or the thumbnail frame) as PNG\n"
     "  render FILE OUT.svg|OUT.pdf\n"
     "                      the design as a vector picture at true size"},
    {"sheet", RunSheet,
     "sheet FILE OUT.pdf [--paper a4|letter]\n"
     "                      the worksheet: size, stitches, sewing time, the design at true\n"
     "                      size and the colour sequence with threads"},
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "usage: nadelwerk-cli COMMAND [ARGS]\n\ncommands:\n");
  for (const Command& c : kCommands) {
    if (c.usage) {
      std::fprintf(out, "  %s\n", c.usage);
      continue;
    }
    // convert names the formats it writes, from the format table.
    std::fprintf(out, "  convert IN OUT      save IN as OUT (%s);\n", WrittenFormats(".", ", ", " or ").c_str());
    std::fprintf(out, "  convert --to %s -o DIR [--force] IN...\n"
                 "                      each IN into DIR under its own name; existing files\n"
                 "                      are kept unless --force is given\n",
                 WrittenFormats("", "|", "|").c_str());
  }
  std::fprintf(out, "\n  --help              this text\n  --version           the program's version\n");
  std::fprintf(out, "\nformats read: ");
  for (std::size_t i = 0; i < Formats().size(); ++i)
    std::fprintf(out, "%s%s", i ? ", " : "", Formats()[i].name);
  std::fprintf(out, "\n");
}

int RunCommand(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    PrintHelp(stdout);
    return 0;
  }
  if (command == "--version") {
    std::printf("nadelwerk-cli %s\n", kAppVersion);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (command != c.name) continue;
    try {
      return c.run(CliArgs(argv + 2, argv + argc));
    } catch (const std::bad_alloc&) {
      // Loads and saves report their own; this is memory for anything else
      // (a frame of the --size asked for, say).
      std::fprintf(stderr, "nadelwerk-cli: not enough memory\n");
      return kExitFileError;
    }
  }
  std::fprintf(stderr, "nadelwerk-cli: unknown command '%s' (try --help)\n", command.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  TakeClosedStandardDescriptors();
  // Large files load into huge pages where the kernel has them.
  SetBlockMemory(PosixBlockMemory());
  const int status = RunCommand(argc, argv);
  // Output that did not arrive (a full device, a closed stdout) is a
  // failure, whatever the command made of it.
  const int err = CloseStandardOutput();
  if (err == 0) return status;
  std::fprintf(stderr, "nadelwerk-cli: standard output: %s\n", std::strerror(err));
  return status == 0 ? kExitFileError : status;
}
