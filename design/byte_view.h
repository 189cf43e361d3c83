// The one way readers look at a file: a bounded view of its first len bytes.
// Every access is checked; bytes outside the view read as 0, and Has() tells
// the reader whether a field lies wholly inside the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class ByteView {
 public:
  // The first len bytes of a byte array (anything with data() and size()).
  template <class Bytes>
  ByteView(const Bytes& data, int len)
      : m_data(data.data()),
        m_size(len <= 0 ? 0
                        : (static_cast<std::size_t>(len) < data.size() ? static_cast<std::size_t>(len)
                                                                      : data.size())) {}

  std::size_t size() const { return m_size; }

  // Whether count bytes starting at off lie inside the view.
  bool Has(std::int64_t off, std::int64_t count) const {
    return off >= 0 && count >= 0 && static_cast<std::uint64_t>(off) <= m_size &&
           static_cast<std::uint64_t>(count) <= m_size - static_cast<std::uint64_t>(off);
  }

  std::uint8_t u8(std::int64_t off) const { return Has(off, 1) ? m_data[off] : 0; }
  std::uint16_t u16le(std::int64_t off) const {
    return static_cast<std::uint16_t>(u8(off) | (u8(off + 1) << 8));
  }
  std::uint32_t u24le(std::int64_t off) const {
    return static_cast<std::uint32_t>(u8(off)) | (static_cast<std::uint32_t>(u8(off + 1)) << 8) |
           (static_cast<std::uint32_t>(u8(off + 2)) << 16);
  }
  std::uint32_t u32le(std::int64_t off) const {
    return u24le(off) | (static_cast<std::uint32_t>(u8(off + 3)) << 24);
  }
  std::int32_t s32le(std::int64_t off) const { return static_cast<std::int32_t>(u32le(off)); }
  // Big-endian, as VP3 stores its numbers.
  std::uint16_t u16be(std::int64_t off) const {
    return static_cast<std::uint16_t>((u8(off) << 8) | u8(off + 1));
  }
  std::int16_t s16be(std::int64_t off) const { return static_cast<std::int16_t>(u16be(off)); }
  std::uint32_t u32be(std::int64_t off) const {
    return (static_cast<std::uint32_t>(u16be(off)) << 16) | u16be(off + 2);
  }
  std::int32_t s32be(std::int64_t off) const { return static_cast<std::int32_t>(u32be(off)); }

  // Unchecked access for hot loops that have tested Has() for the whole range.
  const std::uint8_t* UncheckedData(std::int64_t off) const { return m_data + off; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
};

// A label of at most count bytes at off: up to a CR, LF or zero byte, the
// bytes inside the view only, without trailing blanks.
inline std::string TrimmedLabel(const ByteView& file, std::int64_t off, int count) {
  std::string text;
  for (int i = 0; i < count && file.Has(off + i, 1); ++i) {
    const char c = static_cast<char>(file.u8(off + i));
    if (c == '\r' || c == '\n' || c == '\0') break;
    text += c;
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}
