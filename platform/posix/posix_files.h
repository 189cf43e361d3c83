// The file system of this machine, through POSIX calls.
#pragma once
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "framework/platform.h"

// A save writes an unnamed file where the file system has them (O_TMPFILE),
// else a hidden temporary file beside the target.
IFileSystem& PosixFileSystem();
// The same files, saved always through the hidden temporary file: the path
// of file systems without unnamed files, which the tests run on any.
IFileSystem& PosixFileSystemWithNamedTemp();

// Writes all size bytes to fd, again after an interrupted call: 0 when
// done, else the error (ENOSPC for a write that took nothing).
int WriteAll(int fd, const std::uint8_t* data, std::size_t size);

// A file's identity: its device and inode.
struct CFileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const CFileId&) const = default;
};

// The identity of the file that path names, links followed; none when
// there is no such file.
std::optional<CFileId> FileIdOf(const std::string& path);

// Whether two paths name one existing file: the same name, a link to it, a
// hard link, or another spelling on a volume that ignores letter case.
bool SameFile(const std::string& a, const std::string& b);
