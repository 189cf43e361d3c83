// The subcommands of nadelwerk-cli. Each gets the arguments after its name and
// returns the exit status.
#pragma once
#include <string>
#include <vector>

using CliArgs = std::vector<std::string>;

int RunInfo(const CliArgs& args);
int RunDump(const CliArgs& args);
int RunConvert(const CliArgs& args);
int RunRender(const CliArgs& args);
int RunSheet(const CliArgs& args);

// The written formats as the help shows them: "dst|pcs" with separator "|",
// ".dst or .pcs" with prefix "." and last separator " or ".
std::string WrittenFormats(const char* prefix, const char* separator, const char* lastSeparator);
// The written formats as the user reads them: ".dst or .pcs", in the
// user's language.
std::string WrittenExtensions();
