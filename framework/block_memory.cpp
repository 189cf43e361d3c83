#include "framework/block_memory.h"

#include <cstdlib>

namespace {

class CFreeStoreMemory : public IBlockMemory {
 public:
  void* Allocate(std::size_t bytes) override { return std::malloc(bytes); }
  void* Grow(void* block, std::size_t, std::size_t, std::size_t newBytes) override {
    return std::realloc(block, newBytes);
  }
  void Release(void* block, std::size_t) override { std::free(block); }
};

IBlockMemory* g_memory = nullptr;

}  // namespace

IBlockMemory& FreeStoreMemory() {
  static CFreeStoreMemory memory;
  return memory;
}

IBlockMemory& BlockMemory() { return g_memory ? *g_memory : FreeStoreMemory(); }

void SetBlockMemory(IBlockMemory& memory) { g_memory = &memory; }
