// Files of this machine through POSIX calls, with errno mapped to the
// file-error causes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/posix/posix_files.h"
#include "platform/posix/temp_file_guard.h"

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

class PosixFiles : public IFileSystem {
 public:
  explicit PosixFiles(bool unnamed) : m_unnamed(unnamed) {}

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
  // The new content goes into a file of its own in the target's folder,
  // which takes the target's place only when complete (and, with sync, on
  // disk). Where the file system has unnamed files (O_TMPFILE), that file
  // has no name until it is complete, so nothing is left behind whatever
  // ends the program, SIGKILL and a power cut included; elsewhere it is a
  // hidden temporary file that the cleanup signals remove.
  void Replace(const std::string& requested, const std::uint8_t* data, std::size_t size, bool sync) {
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
    const CFileSizeLimitAsError sizeLimit;
    if (m_unnamed && ReplaceThroughUnnamed(requested, path, folder, data, size, mode, sync)) return;
    ReplaceThroughNamed(requested, path, folder, data, size, mode, sync);
  }

  // False, with nothing written, where the file system or the system has no
  // unnamed files or cannot give them a name (no /proc): then the named
  // temporary file serves. Any other failure is thrown.
  static bool ReplaceThroughUnnamed(const std::string& requested, const std::string& path,
                                    const std::string& folder, const std::uint8_t* data,
                                    std::size_t size, mode_t mode, bool sync) {
    // Whatever refuses the unnamed file (no support, no folder, no access)
    // is left to the named path, which reports it as it always has.
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd < 0) return false;
    auto fail = [&](int err, bool named) {
      ::close(fd);
      Throw(err, named ? requested : std::string());
    };
    if (const int err = WriteAll(fd, data, size)) fail(err, true);
    if (::fchmod(fd, mode) != 0) fail(errno, true);
    if (sync && ::fsync(fd) != 0) fail(errno, true);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    // A new file is linked at its name at once. Over an existing one, a link
    // under a temporary name is renamed over it: the name lives only for
    // the two calls, and the cleanup signals remove it.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno != EEXIST) {
        const int err = errno;
        ::close(fd);
        if (err == ENOENT || err == EPERM || err == EOPNOTSUPP || err == EXDEV) return false;
        Throw(err, requested);
      }
      CTempFileGuard guard;
      const std::string temp = LinkUnderFreeName(self, folder);
      if (temp.empty()) fail(errno, true);
      guard.Watch(temp);
      if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        fail(err, true);
      }
      guard.Clear();
    }
    if (::close(fd) != 0) Throw(errno);  // a failing close names no file
    if (sync) SyncFolder(folder);
    return true;
  }

  // Links the open file at a free hidden name in folder; that name, or
  // empty (errno set) when no link could be made.
  static std::string LinkUnderFreeName(const std::string& self, const std::string& folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::uint32_t bits = 0;
      if (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits))
        bits = static_cast<std::uint32_t>(::getpid()) * 2654435761u + static_cast<std::uint32_t>(attempt);
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "%08x", bits);
      const std::string temp = folder + "/.nadelwerk-" + suffix;
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return temp;
      if (errno != EEXIST) return {};
    }
    errno = EEXIST;
    return {};
  }

  static void ReplaceThroughNamed(const std::string& requested, const std::string& path,
                                  const std::string& folder, const std::uint8_t* data, std::size_t size,
                                  mode_t mode, bool sync) {
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
    if (sync) SyncFolder(folder);
  }

  // Makes the new name itself durable; the data is already safe either way.
  static void SyncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }

  bool m_unnamed;
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

std::optional<CFileId> FileIdOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return CFileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool SameFile(const std::string& a, const std::string& b) {
  const auto idA = FileIdOf(a);
  return idA && idA == FileIdOf(b);
}

IFileSystem& PosixFileSystem() {
  static PosixFiles files(true);
  return files;
}

IFileSystem& PosixFileSystemWithNamedTemp() {
  static PosixFiles files(false);
  return files;
}
