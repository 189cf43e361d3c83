// Memory for the large arrays of a load (the file buffer, the record arrays).
//
// A fresh page costs a fault and the kernel's zeroing on first touch; for a
// 12 MB file and its 20 MB of records that is eight thousand faults of 4 KiB,
// more than the decoding itself. Blocks of 2 MiB and more are therefore
// mapped on huge-page boundaries with the kernel asked for huge pages, so
// they fault in 2 MiB at a time; pages that nothing writes are never faulted
// at all. Growing such a block moves its pages into the larger mapping
// instead of copying them. Smaller blocks come from the free store.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_memory.h"

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t PageSize() {
  static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

std::size_t MappedLength(std::size_t bytes) {
  const std::size_t page = PageSize();
  return (bytes + page - 1) / page * page;
}

bool IsLarge(std::size_t bytes) { return bytes >= kHugePage; }

// length bytes starting on a huge-page boundary; nullptr when none are left.
void* MapAligned(std::size_t length) {
  if (length > SIZE_MAX - kHugePage) return nullptr;
  void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) ::munmap(raw, aligned - start);
  const std::uintptr_t tail = aligned + length;
  const std::uintptr_t rawEnd = start + length + kHugePage;
  if (rawEnd > tail) ::munmap(reinterpret_cast<void*>(tail), rawEnd - tail);
  void* block = reinterpret_cast<void*>(aligned);
  // Only advice: without huge pages the block still works, in small pages.
  ::madvise(block, length, MADV_HUGEPAGE);
  return block;
}

class CPosixMemory : public IBlockMemory {
 public:
  void* Allocate(std::size_t bytes) override {
    return IsLarge(bytes) ? MapAligned(MappedLength(bytes)) : std::malloc(bytes);
  }

  void* Grow(void* block, std::size_t bytes, std::size_t keep, std::size_t newBytes) override {
    if (!IsLarge(newBytes)) return std::realloc(block, newBytes);
    void* grown = MapAligned(MappedLength(newBytes));
    if (!grown) return nullptr;
    if (!IsLarge(bytes)) {
      std::memcpy(grown, block, keep);
      std::free(block);
      return grown;
    }
    // The old pages move to the start of the new mapping; pages never
    // touched stay untouched.
    const std::size_t oldLength = MappedLength(bytes);
    if (::mremap(block, oldLength, oldLength, MREMAP_MAYMOVE | MREMAP_FIXED, grown) == MAP_FAILED) {
      ::munmap(grown, MappedLength(newBytes));
      return nullptr;
    }
    return grown;
  }

  void Release(void* block, std::size_t bytes) override {
    if (IsLarge(bytes))
      ::munmap(block, MappedLength(bytes));
    else
      std::free(block);
  }
};

}  // namespace

IBlockMemory& PosixBlockMemory() {
  static CPosixMemory memory;
  return memory;
}
