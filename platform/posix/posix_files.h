// The file system of this machine, through POSIX calls.
#pragma once
#include "framework/platform.h"

IFileSystem& PosixFileSystem();
