// Where the growable arrays (CArray) take their memory from. The free store
// serves by default; a program may install a platform's memory that backs
// large blocks better, before it creates any array.
#pragma once
#include <cstddef>

class IBlockMemory {
 public:
  virtual ~IBlockMemory() = default;
  // A block of at least bytes (bytes > 0), aligned for any value; nullptr
  // when there is no memory left. Its content is unspecified.
  virtual void* Allocate(std::size_t bytes) = 0;
  // A block of bytes (as allocated) grown to newBytes with its first keep
  // bytes kept; nullptr when there is no memory left, the old block then
  // unchanged and still owned.
  virtual void* Grow(void* block, std::size_t bytes, std::size_t keep, std::size_t newBytes) = 0;
  virtual void Release(void* block, std::size_t bytes) = 0;
};

// The memory that new blocks come from.
IBlockMemory& BlockMemory();
// From now on new blocks come from memory; blocks taken earlier are given
// back to the memory they came from. memory must outlive every array.
void SetBlockMemory(IBlockMemory& memory);
// The free store (malloc and realloc), the default.
IBlockMemory& FreeStoreMemory();
