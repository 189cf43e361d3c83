// A growable array of plain values: the file buffer and the record arrays of
// the design. It differs from std::vector where large files care: growing it
// writes nothing into the new entries. They hold unspecified values until
// their owner writes them, so a file is written once into its buffer (by the
// read), and entries that no record reaches cost neither time nor resident
// memory. Owners therefore read only what they have written: the readers
// stop at the file's length, every walk over the records at the end record.
//
// Memory comes from BlockMemory() (framework/block_memory.h); running out
// throws std::bad_alloc and leaves the array as it was.
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <type_traits>

#include "framework/block_memory.h"

// Under AddressSanitizer new entries are filled with a pattern that is no
// record kind and no plausible position, so that a read of an entry nobody
// wrote shows up in the fuzz invariants instead of passing as an old zero.
#if defined(__SANITIZE_ADDRESS__)
#define NADELWERK_FILL_NEW_ENTRIES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NADELWERK_FILL_NEW_ENTRIES 1
#endif
#endif

inline constexpr unsigned char kUnwrittenFill = 0xA5;

template <class T>
class CArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "CArray holds plain values only");

 public:
  using value_type = T;

  CArray() = default;
  CArray(const CArray&) = delete;
  CArray& operator=(const CArray&) = delete;
  CArray(CArray&& other) noexcept { Take(other); }
  CArray& operator=(CArray&& other) noexcept {
    if (this != &other) {
      Free();
      Take(other);
    }
    return *this;
  }
  ~CArray() { Free(); }

  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  std::size_t capacity() const { return m_capacity; }
  T* data() { return m_data; }
  const T* data() const { return m_data; }
  T& operator[](std::size_t i) {
    assert(i < m_size);
    return m_data[i];
  }
  const T& operator[](std::size_t i) const {
    assert(i < m_size);
    return m_data[i];
  }
  T* begin() { return m_data; }
  T* end() { return m_data + m_size; }
  const T* begin() const { return m_data; }
  const T* end() const { return m_data + m_size; }

  // Room for n entries without changing the size.
  void Reserve(std::size_t n) {
    if (n <= m_capacity) return;
    // More than the address space can hold is refused before asking for it.
    if (n > static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(T)) throw std::bad_alloc();
    IBlockMemory& memory = BlockMemory();
    const std::size_t bytes = n * sizeof(T);
    void* block;
    if (m_data && m_memory == &memory) {
      block = memory.Grow(m_data, m_capacity * sizeof(T), m_size * sizeof(T), bytes);
      if (!block) throw std::bad_alloc();
    } else {
      block = memory.Allocate(bytes);
      if (!block) throw std::bad_alloc();
      if (m_size) std::memcpy(block, m_data, m_size * sizeof(T));
      if (m_data) m_memory->Release(m_data, m_capacity * sizeof(T));
    }
    m_data = static_cast<T*>(block);
    m_capacity = n;
    m_memory = &memory;
  }

  // Makes the array n entries long; entries it adds are unspecified until
  // written.
  void SetSize(std::size_t n) {
    Reserve(n);
#ifdef NADELWERK_FILL_NEW_ENTRIES
    if (n > m_size) std::memset(static_cast<void*>(m_data + m_size), kUnwrittenFill, (n - m_size) * sizeof(T));
#endif
    m_size = n;
  }

  // As std::vector's resize: entries it adds are zero.
  void resize(std::size_t n) {
    const std::size_t old = m_size;
    SetSize(n);
    if (n > old) std::memset(static_cast<void*>(m_data + old), 0, (n - old) * sizeof(T));
  }

  void push_back(const T& value) {
    if (m_size == m_capacity) Reserve(m_capacity < 8 ? 16 : m_capacity * 2);
    m_data[m_size++] = value;
  }

  // The values of another container, as std::vector's assignment copies them.
  template <class Container>
    requires(!std::is_same_v<Container, CArray>)
  CArray& operator=(const Container& values) {
    assign(std::begin(values), std::end(values));
    return *this;
  }

  template <class It>
  void assign(It first, It last) {
    const auto count = static_cast<std::size_t>(std::distance(first, last));
    Reserve(count);
    std::size_t i = 0;
    for (; first != last; ++first) m_data[i++] = *first;
    m_size = count;
  }

 private:
  void Free() {
    if (m_data) m_memory->Release(m_data, m_capacity * sizeof(T));
    m_data = nullptr;
    m_size = m_capacity = 0;
  }
  void Take(CArray& other) {
    m_data = other.m_data;
    m_size = other.m_size;
    m_capacity = other.m_capacity;
    m_memory = other.m_memory;
    other.m_data = nullptr;
    other.m_size = other.m_capacity = 0;
  }

  T* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
  IBlockMemory* m_memory = nullptr;  // where m_data came from
};
