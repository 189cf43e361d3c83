// Times two commands in pairs, one right after the other, and prints the
// median of the per-pair ratios: on a machine shared with other work a ratio
// of neighbouring runs says more than two separate averages.
//
//   time-pairs [-n PAIRS] [-w WARMUP] -- BASE ARGS... -- CMD ARGS...
//
// Both commands run without a shell, stdout to /dev/null. Within a pair the
// order alternates, so a slow drift favours neither. Printed: the median wall
// time of each, the median, lowest and highest ratio CMD / BASE, and the
// largest peak resident size of CMD (KiB, from wait4).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct RunResult {
  double ms = 0;
  long maxRssKiB = 0;
  bool ok = false;
};

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

RunResult Run(const std::vector<char*>& argv) {
  RunResult result;
  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return result;
  result.ms = Now() - start;
  result.maxRssKiB = usage.ru_maxrss;
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int Usage() {
  std::fputs("usage: time-pairs [-n PAIRS] [-w WARMUP] -- BASE ARGS... -- CMD ARGS...\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int pairs = 41, warmup = 3;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (i + 1 >= argc) return Usage();
    if (std::strcmp(argv[i], "-n") == 0)
      pairs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "-w") == 0)
      warmup = std::atoi(argv[++i]);
    else
      return Usage();
  }
  std::vector<char*> base, cmd;
  for (++i; i < argc && std::strcmp(argv[i], "--") != 0; ++i) base.push_back(argv[i]);
  for (++i; i < argc; ++i) cmd.push_back(argv[i]);
  if (base.empty() || cmd.empty() || pairs < 1 || warmup < 0) return Usage();
  base.push_back(nullptr);
  cmd.push_back(nullptr);

  for (int w = 0; w < warmup; ++w) {
    Run(base);
    Run(cmd);
  }
  std::vector<double> baseMs, cmdMs, ratios;
  long peak = 0;
  for (int p = 0; p < pairs; ++p) {
    RunResult a, b;
    if (p % 2 == 0) {
      a = Run(base);
      b = Run(cmd);
    } else {
      b = Run(cmd);
      a = Run(base);
    }
    if (!a.ok || !b.ok) {
      std::fprintf(stderr, "time-pairs: a command failed in pair %d\n", p + 1);
      return 1;
    }
    baseMs.push_back(a.ms);
    cmdMs.push_back(b.ms);
    ratios.push_back(b.ms / a.ms);
    peak = std::max(peak, b.maxRssKiB);
  }
  std::printf("pairs %d  base %.2f ms  cmd %.2f ms  ratio median %.2f (min %.2f, max %.2f)  cmd peak %ld KiB\n",
              pairs, Median(baseMs), Median(cmdMs), Median(ratios),
              *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()), peak);
  return 0;
}
