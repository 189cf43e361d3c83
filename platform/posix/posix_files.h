// The file system of this machine, through POSIX calls.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/platform.h"

IFileSystem& PosixFileSystem();

// Writes all size bytes to fd, again after an interrupted call: 0 when
// done, else the error (ENOSPC for a write that took nothing).
int WriteAll(int fd, const std::uint8_t* data, std::size_t size);
