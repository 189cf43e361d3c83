#include "platform/posix/temp_file_guard.h"

#include <limits.h>
#include <unistd.h>

#include <array>
#include <iterator>

namespace {

// Every signal whose default action ends the program and that a handler
// can catch: the terminal's and kill's (SIGINT, SIGTERM, SIGHUP, SIGQUIT),
// timers (SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU of a CPU limit), the user
// signals, the faults, and the real-time signals.
constexpr int kFixedSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP,   SIGABRT,
                                 SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2,   SIGPIPE,
                                 SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF,
                                 SIGIO,   SIGPWR,  SIGSYS};

bool IsCleanupSignal(int sig) {
  for (int s : kFixedSignals)
    if (s == sig) return true;
  return sig >= SIGRTMIN && sig <= SIGRTMAX;
}

sigset_t CleanupSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig = 1; sig < NSIG; ++sig)
    if (IsCleanupSignal(sig)) sigaddset(&set, sig);
  return set;
}

// Read by the handler, so fixed storage rather than a std::string.
std::array<char, PATH_MAX + 32> g_temp{};
struct sigaction g_previous[NSIG] = {};

void OnSignal(int sig) {
  if (g_temp[0] != '\0') ::unlink(g_temp.data());
  ::sigaction(sig, &g_previous[sig], nullptr);
  // Delivered once this handler returns, with the program's own handling.
  ::raise(sig);
}

}  // namespace

CTempFileGuard::CTempFileGuard() {
  const sigset_t held = CleanupSignals();
  ::sigprocmask(SIG_BLOCK, &held, &m_savedMask);
}

void CTempFileGuard::Watch(const std::string& path) {
  if (path.size() < g_temp.size()) {
    path.copy(g_temp.data(), path.size());
    g_temp[path.size()] = '\0';
  }
  struct sigaction cleanup {};
  cleanup.sa_handler = &OnSignal;
  sigfillset(&cleanup.sa_mask);
  for (int sig = 1; sig < NSIG; ++sig) {
    if (!IsCleanupSignal(sig)) continue;
    ::sigaction(sig, nullptr, &g_previous[sig]);
    if (g_previous[sig].sa_handler != SIG_IGN) ::sigaction(sig, &cleanup, nullptr);
  }
  m_watching = true;
  ::sigprocmask(SIG_SETMASK, &m_savedMask, nullptr);
}

void CTempFileGuard::Clear() {
  if (!m_watching) {
    ::sigprocmask(SIG_SETMASK, &m_savedMask, nullptr);
    return;
  }
  const sigset_t held = CleanupSignals();
  ::sigprocmask(SIG_BLOCK, &held, nullptr);
  g_temp[0] = '\0';
  for (int sig = 1; sig < NSIG; ++sig)
    if (IsCleanupSignal(sig) && g_previous[sig].sa_handler != SIG_IGN)
      ::sigaction(sig, &g_previous[sig], nullptr);
  m_watching = false;
  ::sigprocmask(SIG_SETMASK, &m_savedMask, nullptr);
}

CFileSizeLimitAsError::CFileSizeLimitAsError() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, nullptr, &m_previous);
  if (m_previous.sa_handler == SIG_DFL) ::sigaction(SIGXFSZ, &ignore, nullptr);
}

CFileSizeLimitAsError::~CFileSizeLimitAsError() { ::sigaction(SIGXFSZ, &m_previous, nullptr); }
