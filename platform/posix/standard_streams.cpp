#include "platform/posix/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

void TakeClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open gives the lowest free descriptor: fd itself, as the ones below
    // it are open by now.
    const int taken = ::open("/dev/null", O_RDONLY);
    if (taken >= 0 && taken != fd) ::close(taken);
  }
}

namespace {
int g_notedError = 0;
}  // namespace

void NoteStandardOutputError(int err) {
  if (!g_notedError) g_notedError = err;
}

int CloseStandardOutput() {
  int err = g_notedError;
  if (std::fflush(stdout) != 0 && !err) err = errno;
  if (!err && std::ferror(stdout)) err = EIO;
  if (std::fclose(stdout) != 0 && !err) err = errno;
  return err;
}
