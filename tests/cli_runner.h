// Runs nadelwerk-cli (its path comes from the test target's NADELWERK_CLI
// definition), by default with stderr discarded.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CliRun {
  int status;       // exit status, -1 when the program did not exit normally
  std::string out;  // what it printed on stdout
};

// redirect: what the shell does with the program's output; by default
// stderr is dropped.
inline CliRun RunCli(const std::string& args, const char* redirect = " 2>/dev/null") {
  const std::string command = std::string(NADELWERK_CLI) + " " + args + redirect;
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

inline int CliStatus(const std::string& args) { return RunCli(args).status; }

// What a run prints on stderr (in out), stdout dropped.
inline CliRun CliErrors(const std::string& args) { return RunCli(args, " 2>&1 >/dev/null"); }
