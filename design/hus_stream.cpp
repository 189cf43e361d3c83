#include "design/hus_stream.h"

#include <algorithm>
#include <cstring>

namespace hus {
namespace {

constexpr int kMaxCodeLength = 16;
constexpr int kLengthCodeSymbols = 19;
constexpr int kLiteralSymbols = 511;
constexpr int kDistanceSymbols = 15;
constexpr int kEndSymbol = 510;
constexpr int kFirstCopySymbol = 256;
constexpr int kCopyLengthBias = 253;
// Codes of at most this many bits are decoded by one table look-up.
constexpr int kTableBits = 11;
// Blocks with fewer tokens decode bit by bit: a table would cost more to
// fill than it saves, and a hostile file could make every block that short.
constexpr unsigned kTableTokens = 64;

// Bits of one stream, bit 7 of each byte first; zeros past the end. The
// position counts every bit asked for, so a reader can tell whether a token
// ran past the input.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size)
      : m_data(data), m_size(size), m_bits(static_cast<std::uint64_t>(size) * 8) {}

  // The next 57 bits or more at the top of a 64-bit word.
  std::uint64_t Window() const {
    const std::uint64_t byte = m_pos >> 3;
    std::uint64_t v = 0;
    if (byte + 8 <= m_size) {
      std::memcpy(&v, m_data + byte, 8);
      v = __builtin_bswap64(v);
    } else {
      for (std::uint64_t i = 0; i < 8 && byte + i < m_size; ++i) v |= std::uint64_t{m_data[byte + i]} << (56 - 8 * i);
    }
    return v << (m_pos & 7);
  }
  void Skip(int bits) { m_pos += static_cast<unsigned>(bits); }
  // k <= 16 bits as a number, the first bit the most significant.
  unsigned Read(int k) {
    if (k == 0) return 0;
    const unsigned v = static_cast<unsigned>(Window() >> (64 - k));
    Skip(k);
    return v;
  }
  bool PastEnd() const { return m_pos > m_bits; }
  bool AtEnd() const { return m_pos >= m_bits; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::uint64_t m_bits;
  std::uint64_t m_pos = 0;
};

// A canonical prefix code (codes of one length in symbol order, shorter
// lengths first), or a constant code that reads no bits.
class Code {
 public:
  void SetConstant(unsigned value) {
    m_constant = true;
    m_value = static_cast<std::uint16_t>(value);
  }

  // From the lengths of symbols 0..alphabet-1 (0: unused). False for an
  // over-full code. An incomplete one is taken: only a bit pattern that
  // matches no code is an error, when it is decoded.
  bool Build(const std::uint8_t* lengths, int alphabet, bool withTable) {
    m_constant = false;
    std::uint16_t count[kMaxCodeLength + 1] = {};
    for (int s = 0; s < alphabet; ++s) ++count[lengths[s]];
    std::uint32_t space = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) space += std::uint32_t{count[len]} << (kMaxCodeLength - len);
    if (space > (1u << kMaxCodeLength)) return false;
    std::uint32_t code = 0;
    std::uint16_t next[kMaxCodeLength + 1] = {};
    for (int len = 1, index = 0; len <= kMaxCodeLength; ++len) {
      m_count[len] = count[len];
      m_first[len] = code;
      m_start[len] = static_cast<std::uint16_t>(index);
      next[len] = static_cast<std::uint16_t>(index);
      index += count[len];
      code = (code + count[len]) * 2;
    }
    for (int s = 0; s < alphabet; ++s)
      if (lengths[s]) m_symbols[next[lengths[s]]++] = static_cast<std::uint16_t>(s);
    m_table = withTable;
    if (withTable) {
      std::fill(std::begin(m_lookup), std::end(m_lookup), std::uint16_t{0});
      for (int len = 1; len <= kTableBits; ++len)
        for (unsigned j = 0; j < m_count[len]; ++j) {
          const std::uint32_t from = (m_first[len] + j) << (kTableBits - len);
          const auto entry = static_cast<std::uint16_t>(m_symbols[m_start[len] + j] << 5 | len);
          std::fill_n(m_lookup + from, 1u << (kTableBits - len), entry);
        }
    }
    return true;
  }

  // The next symbol, or -1 when the bits match no code.
  int Decode(BitReader& in) const {
    if (m_constant) return m_value;
    const std::uint64_t window = in.Window();
    int len = 1;
    if (m_table) {
      const std::uint16_t entry = m_lookup[window >> (64 - kTableBits)];
      if (entry & 31) {
        in.Skip(entry & 31);
        return entry >> 5;
      }
      len = kTableBits + 1;
    }
    for (; len <= kMaxCodeLength; ++len) {
      const std::uint32_t offset = static_cast<std::uint32_t>(window >> (64 - len)) - m_first[len];
      if (offset < m_count[len]) {
        in.Skip(len);
        return m_symbols[m_start[len] + offset];
      }
    }
    return -1;
  }

 private:
  bool m_constant = true;
  bool m_table = false;
  std::uint16_t m_value = 0;
  std::uint16_t m_count[kMaxCodeLength + 1] = {};
  std::uint32_t m_first[kMaxCodeLength + 1] = {};
  std::uint16_t m_start[kMaxCodeLength + 1] = {};
  std::uint16_t m_symbols[kLiteralSymbols] = {};
  std::uint16_t m_lookup[1u << kTableBits] = {};  // symbol << 5 | length; 0: longer code
};

// The CL and D codes: 5 bits m, then m lengths (or a constant).
bool ReadSmallCode(BitReader& in, int alphabet, bool skipRule, bool withTable, Code& code) {
  const int m = static_cast<int>(in.Read(5));
  if (m == 0) {
    const unsigned value = in.Read(5);
    if (value >= static_cast<unsigned>(alphabet)) return false;
    code.SetConstant(value);
    return true;
  }
  if (m > alphabet) return false;
  std::uint8_t lengths[kLengthCodeSymbols] = {};
  int i = 0;
  while (i < m) {
    int len = static_cast<int>(in.Read(3));
    if (len == 7)
      while (in.Read(1))
        if (++len > kMaxCodeLength) return false;
    lengths[i++] = static_cast<std::uint8_t>(len);
    // Read even when m is 3: the writer always stores the skip.
    if (skipRule && i == 3) i += static_cast<int>(in.Read(2));
  }
  return code.Build(lengths, alphabet, withTable);
}

// The LL code: 9 bits m, then m lengths in CL symbols (or a constant).
bool ReadLiteralCode(BitReader& in, const Code& lengthCode, bool withTable, Code& code) {
  const int m = static_cast<int>(in.Read(9));
  if (m == 0) {
    const unsigned value = in.Read(9);
    if (value > kEndSymbol) return false;
    code.SetConstant(value);
    return true;
  }
  std::uint8_t lengths[kLiteralSymbols] = {};
  int i = 0;
  while (i < m) {
    const int c = lengthCode.Decode(in);
    if (c < 0) return false;
    if (c <= 2) {
      // Runs of unused symbols; one may pass m but not the alphabet.
      const int run = c == 0 ? 1 : c == 1 ? 3 + static_cast<int>(in.Read(4)) : 20 + static_cast<int>(in.Read(9));
      if (i + run > kLiteralSymbols) return false;
      i += run;
    } else {
      lengths[i++] = static_cast<std::uint8_t>(c - 2);
    }
  }
  return code.Build(lengths, kLiteralSymbols, withTable);
}

struct Codes {
  Code lengths, literals, distances;
};

}  // namespace

StreamStop ExpandStream(const std::uint8_t* data, std::size_t size, std::size_t cap,
                        CArray<std::uint8_t>& out) {
  BitReader in(data, size);
  Codes codes;
  std::size_t n = 0;
  out.SetSize(0);
  // Grows the output to hold want bytes, geometrically and never past cap.
  auto room = [&](std::size_t want) -> std::uint8_t* {
    if (want > out.size()) out.SetSize(std::min(cap, std::max(want, out.size() * 2 + 4096)));
    return out.data();
  };
  auto stop = [&](StreamStop why) {
    out.SetSize(n);
    return why;
  };
  unsigned tokensLeft = 0;
  for (;;) {
    if (n >= cap) return stop(StreamStop::full);
    if (tokensLeft == 0) {
      tokensLeft = in.Read(16);
      const bool table = tokensLeft >= kTableTokens;
      if (tokensLeft == 0 || !ReadSmallCode(in, kLengthCodeSymbols, true, false, codes.lengths) ||
          !ReadLiteralCode(in, codes.lengths, table, codes.literals) ||
          !ReadSmallCode(in, kDistanceSymbols, false, table, codes.distances))
        return stop(StreamStop::corrupt);
    }
    --tokensLeft;
    const int symbol = codes.literals.Decode(in);
    if (symbol < 0) return stop(StreamStop::corrupt);
    if (symbol < kFirstCopySymbol) {
      if (in.PastEnd()) return stop(StreamStop::cut);
      room(n + 1)[n] = static_cast<std::uint8_t>(symbol);
      ++n;
    } else if (symbol == kEndSymbol) {
      return stop(in.PastEnd() ? StreamStop::cut : StreamStop::endToken);
    } else {
      const int klass = codes.distances.Decode(in);
      if (klass < 0) return stop(StreamStop::corrupt);
      const std::size_t distance = klass == 0 ? 0 : (std::size_t{1} << (klass - 1)) + in.Read(klass - 1);
      if (in.PastEnd()) return stop(StreamStop::cut);
      // A copy from before the first byte has no source.
      if (distance >= n) return stop(StreamStop::corrupt);
      // The cap holds inside the copy, not only between tokens.
      const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(symbol - kCopyLengthBias), cap - n);
      std::uint8_t* bytes = room(n + count);
      const std::uint8_t* from = bytes + (n - distance - 1);
      if (distance == 0) {
        std::memset(bytes + n, *from, count);
      } else {
        // Forward, byte by byte: the source may overlap what is written.
        for (std::size_t k = 0; k < count; ++k) bytes[n + k] = from[k];
      }
      n += count;
    }
    if (in.AtEnd()) return stop(StreamStop::inputUsed);
  }
}

}  // namespace hus
