// Block memory with a budget, for tests of running out of memory: it fails
// every allocation that would take more than the budget in all, as a process
// at its memory limit does. Arrays keep the memory they came from, so it must
// outlive them: tests take the one instance and install it for a scope.
#pragma once
#include <cstddef>
#include <cstdlib>

#include "framework/block_memory.h"

class CLimitedMemory : public IBlockMemory {
 public:
  static CLimitedMemory& Instance() {
    static CLimitedMemory memory;
    return memory;
  }

  void* Allocate(std::size_t bytes) override {
    if (bytes > m_budget - m_used) return nullptr;
    void* block = std::malloc(bytes);
    if (block) m_used += bytes;
    return block;
  }
  void* Grow(void* block, std::size_t bytes, std::size_t, std::size_t newBytes) override {
    if (newBytes - bytes > m_budget - m_used) return nullptr;
    void* grown = std::realloc(block, newBytes);
    if (grown) m_used += newBytes - bytes;
    return grown;
  }
  void Release(void* block, std::size_t bytes) override {
    std::free(block);
    m_used -= bytes;
  }

  std::size_t m_budget = 0;
  std::size_t m_used = 0;
};

// Installs the limited memory with a budget of bytes beyond what it already
// holds; the free store again when the scope ends.
class CMemoryLimit {
 public:
  explicit CMemoryLimit(std::size_t bytes) {
    CLimitedMemory& memory = CLimitedMemory::Instance();
    memory.m_budget = memory.m_used + bytes;
    SetBlockMemory(memory);
  }
  ~CMemoryLimit() {
    CLimitedMemory::Instance().m_budget = static_cast<std::size_t>(-1);
    SetBlockMemory(FreeStoreMemory());
  }
  CMemoryLimit(const CMemoryLimit&) = delete;
  CMemoryLimit& operator=(const CMemoryLimit&) = delete;
};
