// Memory for the large arrays through the kernel's mappings, with huge pages
// where the kernel gives them (posix_memory.cpp says why).
#pragma once
#include "framework/block_memory.h"

IBlockMemory& PosixBlockMemory();
