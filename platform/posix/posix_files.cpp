// Files of this machine through POSIX calls, with errno mapped to the
// file-error causes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
    // Saving onto a link replaces the file it points to, not the link.
    std::string path = requested;
    struct stat st {};
    if (::lstat(requested.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      if (char* real = ::realpath(requested.c_str(), nullptr)) {
        path = real;
        std::free(real);
      }
    }
    // An existing file keeps its permissions; one we may not write stays as
    // it is, as it would for a plain create.
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK) != 0) Throw(errno, requested);
    mode_t mode;
    if (exists && S_ISREG(st.st_mode)) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }

    const std::string folder = FolderOf(path);
    std::string temp = folder + "/.nadelwerk-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    // A folder that does not exist is a bad path, not a missing file.
    if (fd < 0) Throw(errno == ENOENT ? ENOTDIR : errno, requested);
    auto fail = [&](int err) {
      ::close(fd);
      ::unlink(temp.c_str());
      Throw(err, requested);
    };
    std::size_t done = 0;
    while (done < size) {
      const ssize_t put = ::write(fd, data + done, size - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        fail(errno);
      }
      if (put == 0) fail(ENOSPC);
      done += static_cast<std::size_t>(put);
    }
    if (::fchmod(fd, mode) != 0) fail(errno);
    if (::fsync(fd) != 0) fail(errno);
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
    // Make the rename itself durable; the data is already safe either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }
};

}  // namespace

IFileSystem& PosixFileSystem() {
  static PosixFiles files;
  return files;
}
