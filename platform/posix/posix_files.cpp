// Files of this machine through POSIX calls, with errno mapped to the
// file-error causes.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <string>

#include "platform/posix/posix_files.h"

namespace {

[[noreturn]] void Throw(int err, const std::string& path = {}) {
  throw CFileException{FileCauseFromErrno(err), path};
}

class PosixInputFile : public CInputFile {
 public:
  explicit PosixInputFile(int fd) : m_fd(fd) {}
  ~PosixInputFile() override {
    if (m_fd >= 0) ::close(m_fd);
  }

  std::uint64_t GetLength() override {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) Throw(errno);
    return static_cast<std::uint64_t>(st.st_size);
  }

  std::size_t Read(void* buffer, std::size_t n) override {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < n) {
      const ssize_t got = ::read(m_fd, out + done, n - done);
      if (got < 0) {
        if (errno == EINTR) continue;
        Throw(errno);
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  void Close() override {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) Throw(errno);
  }

 private:
  int m_fd;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The name a save replaces: a link is followed to the file it names, or to
// where that file is to be for a link to nothing yet. A chain of links that
// does not end is a bad path, as the kernel reports it.
std::string FollowLinks(const std::string& requested) {
  std::string path = requested;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t got;
    while ((got = ::readlink(path.c_str(), target.data(), target.size())) >= 0 &&
           static_cast<std::size_t>(got) == target.size())
      target.resize(target.size() * 2);
    if (got < 0) Throw(errno, requested);
    target.resize(static_cast<std::size_t>(got));
    path = target.empty() || target[0] == '/' ? target : FolderOf(path) + "/" + target;
  }
  Throw(ELOOP, requested);
}

// While a save writes its temporary file, an interrupt or a termination
// removes that file before the program ends as the signal says, and a file
// size limit fails the write (reported as a full disk) instead of ending
// the program. Signals the program ignores stay ignored.
class CTempFileGuard {
 public:
  // Signals are held back from before the temporary file exists until it is
  // recorded, so none can end the program in between.
  CTempFileGuard() {
    const sigset_t held = CleanupSignals();
    ::sigprocmask(SIG_BLOCK, &held, &m_savedMask);
  }
  ~CTempFileGuard() { Clear(); }

  // Records the temporary file (path is mkstemp's result) and lets the
  // signals through.
  void Watch(const std::string& path) {
    if (path.size() < s_temp.size()) {
      path.copy(s_temp.data(), path.size());
      s_temp[path.size()] = '\0';
    }
    for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i) {
      struct sigaction cleanup {};
      cleanup.sa_handler = &CTempFileGuard::OnSignal;
      sigfillset(&cleanup.sa_mask);
      ::sigaction(kCleanupSignals[i], nullptr, &s_previous[i]);
      if (s_previous[i].sa_handler != SIG_IGN) ::sigaction(kCleanupSignals[i], &cleanup, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, nullptr, &m_previousFileSize);
    if (m_previousFileSize.sa_handler == SIG_DFL) ::sigaction(SIGXFSZ, &ignore, nullptr);
    m_watching = true;
    ::sigprocmask(SIG_SETMASK, &m_savedMask, nullptr);
  }

  // The temporary file is gone (renamed or removed): back to the program's
  // own handling of the signals.
  void Clear() {
    if (!m_watching) {
      ::sigprocmask(SIG_SETMASK, &m_savedMask, nullptr);
      return;
    }
    const sigset_t held = CleanupSignals();
    ::sigprocmask(SIG_BLOCK, &held, nullptr);
    s_temp[0] = '\0';
    for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
      if (s_previous[i].sa_handler != SIG_IGN) ::sigaction(kCleanupSignals[i], &s_previous[i], nullptr);
    ::sigaction(SIGXFSZ, &m_previousFileSize, nullptr);
    m_watching = false;
    ::sigprocmask(SIG_SETMASK, &m_savedMask, nullptr);
  }

 private:
  static sigset_t CleanupSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kCleanupSignals) sigaddset(&set, sig);
    return set;
  }
  static constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

  static void OnSignal(int sig) {
    if (s_temp[0] != '\0') ::unlink(s_temp.data());
    for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
      if (kCleanupSignals[i] == sig) ::sigaction(sig, &s_previous[i], nullptr);
    // Delivered once this handler returns, with the program's own handling.
    ::raise(sig);
  }

  // Read by the handler, so fixed storage rather than a std::string.
  static inline std::array<char, PATH_MAX + 32> s_temp{};
  static inline struct sigaction s_previous[std::size(kCleanupSignals)] = {};
  sigset_t m_savedMask{};
  struct sigaction m_previousFileSize {};
  bool m_watching = false;
};

class PosixFiles : public IFileSystem {
 public:
  std::unique_ptr<CInputFile> OpenForRead(const std::string& path) override {
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) Throw(errno, path);
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    // Only a regular file holds a design: folders, pipes and devices are refused.
    if (!known || !S_ISREG(st.st_mode)) {
      const int err = !known ? errno : S_ISDIR(st.st_mode) ? EISDIR : EACCES;
      ::close(fd);
      Throw(err, path);
    }
    // Not shared: a program that holds the file locked for writing keeps us out.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      Throw(err, path);
    }
    return std::make_unique<PosixInputFile>(fd);
  }

  void WriteWholeFile(const std::string& requested, const std::uint8_t* data,
                      std::size_t size) override {
    Replace(requested, data, size, true);
  }
  void WriteWholeFileUnsynced(const std::string& requested, const std::uint8_t* data,
                              std::size_t size) override {
    Replace(requested, data, size, false);
  }

 private:
  // A temporary file in the target's folder, renamed over the target only
  // when complete (and, with sync, on disk).
  static void Replace(const std::string& requested, const std::uint8_t* data, std::size_t size,
                      bool sync) {
    // Saving onto a link replaces the file it points to, not the link.
    const std::string path = FollowLinks(requested);
    // Only a regular file is replaced. A device, a pipe or a folder is not
    // a design file: renaming over it would destroy it (or, for a pipe,
    // leave its reader waiting), so it is refused untouched.
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) Throw(errno, requested);
    if (exists && !S_ISREG(st.st_mode)) Throw(S_ISDIR(st.st_mode) ? EISDIR : EACCES, requested);
    // An existing file keeps its permissions; one we may not write stays as
    // it is, as it would for a plain create.
    if (exists && ::access(path.c_str(), W_OK) != 0) Throw(errno, requested);
    mode_t mode;
    if (exists) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }

    const std::string folder = FolderOf(path);
    std::string temp = folder + "/.nadelwerk-XXXXXX";
    CTempFileGuard guard;
    const int fd = ::mkstemp(temp.data());
    // A folder that does not exist is a bad path, not a missing file.
    if (fd < 0) Throw(errno == ENOENT ? ENOTDIR : errno, requested);
    guard.Watch(temp);
    auto fail = [&](int err) {
      ::close(fd);
      ::unlink(temp.c_str());
      Throw(err, requested);
    };
    if (const int err = WriteAll(fd, data, size)) fail(err);
    if (::fchmod(fd, mode) != 0) fail(errno);
    if (sync && ::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
      const int err = errno;
      ::unlink(temp.c_str());
      Throw(err);  // a failing close names no file
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
      const int err = errno;
      ::unlink(temp.c_str());
      Throw(err, requested);
    }
    guard.Clear();
    if (!sync) return;
    // Make the rename itself durable; the data is already safe either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }
};

}  // namespace

int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t put = ::write(fd, data + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    if (put == 0) return ENOSPC;
    done += static_cast<std::size_t>(put);
  }
  return 0;
}

IFileSystem& PosixFileSystem() {
  static PosixFiles files;
  return files;
}
