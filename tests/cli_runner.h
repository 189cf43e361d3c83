// Runs nadelwerk-cli (its path comes from the test target's NADELWERK_CLI
// definition) with stderr discarded, or capturing stderr alone, under the C
// locale whatever the tester's language: its messages in English.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CliRun {
  int status;       // exit status, -1 when the program did not exit normally
  std::string out;  // what it printed on the captured stream
};

// Runs a shell command and captures its stdout.
inline CliRun RunShell(const std::string& command) {
  CliRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  std::size_t got;
  while ((got = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline std::string CliCommand() { return std::string("LC_ALL=C ") + NADELWERK_CLI; }

inline CliRun RunCli(const std::string& args) { return RunShell(CliCommand() + " " + args + " 2>/dev/null"); }

inline int CliStatus(const std::string& args) { return RunCli(args).status; }

// What nadelwerk-cli printed on stderr; its stdout goes where stdoutTo
// sends it (discarded unless told otherwise: ">/dev/full", ">&-").
inline CliRun RunCliErrors(const std::string& args, const std::string& stdoutTo = ">/dev/null") {
  return RunShell(CliCommand() + " " + args + " 2>&1 " + stdoutTo);
}
