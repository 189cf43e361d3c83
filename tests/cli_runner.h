// Runs nadelwerk-cli (its path comes from the test target's NADELWERK_CLI
// definition) with stderr discarded, or any command line.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CliRun {
  int status;       // exit status, -1 when the program did not exit normally
  std::string out;  // what it printed on stdout
};

// A shell command line, with what it prints on stdout.
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

inline CliRun RunCli(const std::string& args) {
  return RunShell(std::string(NADELWERK_CLI) + " " + args + " 2>/dev/null");
}

inline int CliStatus(const std::string& args) { return RunCli(args).status; }
