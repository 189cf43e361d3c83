// The growable array and the memory it takes: growing keeps what was
// written, running out leaves it as it was, and the large-block memory keeps
// contents across growth from small to large and from large to larger.
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "framework/array.h"
#include "platform/posix/posix_memory.h"
#include "tests/limited_memory.h"
#include "tests/test_support.h"

TEST(ArrayTest, GrowingKeepsEntriesAndTheVectorLikeMembersWork) {
  CArray<std::int16_t> a;
  EXPECT_TRUE(a.empty());
  a.SetSize(3);
  for (int i = 0; i < 3; ++i) a[i] = static_cast<std::int16_t>(-i - 1);
  a.SetSize(100'000);
  EXPECT_EQ(a.size(), 100'000u);
  EXPECT_EQ(a[0], -1);
  EXPECT_EQ(a[2], -3);
  a.SetSize(2);  // shorter: the first entries stay
  EXPECT_EQ(a.size(), 2u);
  EXPECT_EQ(a[1], -2);
  a.resize(4);  // as std::vector: added entries are zero
  EXPECT_EQ(a[2], 0);
  EXPECT_EQ(a[3], 0);
  a.push_back(9);
  EXPECT_EQ(a.size(), 5u);
  EXPECT_EQ(a[4], 9);

  const std::vector<std::int16_t> values{4, 5, 6};
  a = values;
  EXPECT_EQ(std::vector<std::int16_t>(a.begin(), a.end()), values);
  CArray<std::int16_t> moved(std::move(a));
  EXPECT_EQ(moved.size(), 3u);
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(moved[2], 6);
}

TEST(ArrayTest, RunningOutOfMemoryLeavesTheArrayAsItWas) {
  CArray<std::uint8_t> a;
  a.SetSize(10);
  std::memset(a.data(), 7, 10);
  {
    CMemoryLimit limit(1000);
    EXPECT_THROW(a.SetSize(2000), std::bad_alloc);
    EXPECT_EQ(a.size(), 10u);
    EXPECT_EQ(a[9], 7);
    a.SetSize(500);  // moves into the limited memory
    EXPECT_THROW(a.Reserve(1200), std::bad_alloc);
    EXPECT_EQ(a.size(), 500u);
    EXPECT_EQ(a[9], 7);
  }
  // Back on the free store, it moves out of the limited memory again.
  a.SetSize(5000);
  EXPECT_EQ(a[0], 7);
  EXPECT_EQ(a[9], 7);
  EXPECT_THROW(a.Reserve(static_cast<std::size_t>(-1)), std::bad_alloc);
}

TEST(PosixMemoryTest, LargeBlocksAreAlignedAndGrowWithTheirContent) {
  IBlockMemory& memory = PosixBlockMemory();
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  auto* small = static_cast<std::uint8_t*>(memory.Allocate(1000));
  ASSERT_NE(small, nullptr);
  std::memset(small, 0x11, 1000);
  // From the free store into a mapping.
  auto* large = static_cast<std::uint8_t*>(memory.Grow(small, 1000, 1000, 3 * kMiB));
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(large) % (2 * kMiB), 0u);
  EXPECT_EQ(large[0], 0x11);
  EXPECT_EQ(large[999], 0x11);
  large[3 * kMiB - 1] = 0x22;
  // From one mapping into a larger one: the pages move, written or not.
  auto* larger = static_cast<std::uint8_t*>(memory.Grow(large, 3 * kMiB, 1000, 9 * kMiB + 5));
  ASSERT_NE(larger, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(larger) % (2 * kMiB), 0u);
  EXPECT_EQ(larger[0], 0x11);
  EXPECT_EQ(larger[3 * kMiB - 1], 0x22);
  larger[9 * kMiB + 4] = 0x33;
  memory.Release(larger, 9 * kMiB + 5);

  // An array on it: what it wrote survives growth.
  SetBlockMemory(memory);
  {
    CArray<std::int16_t> a;
    a.SetSize(10);
    a[9] = 99;
    a.SetSize(4 * kMiB);
    a[4 * kMiB - 1] = -5;
    a.SetSize(12 * kMiB);
    EXPECT_EQ(a[9], 99);
    EXPECT_EQ(a[4 * kMiB - 1], -5);
  }
  SetBlockMemory(FreeStoreMemory());
}
