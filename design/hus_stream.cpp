#include "design/hus_stream.h"

#include <algorithm>
#include <cstring>

namespace hus {
namespace {

// Codes of at most 16 bits over three alphabets: 19 code-length symbols,
// 511 literal/length symbols (256..509 copy symbol - 253 bytes, 510 ends
// the stream) and 15 distance classes.
constexpr int kMaxCodeLength = 16;
constexpr int kLengthCodeSymbols = 19, kLiteralSymbols = 511, kDistanceSymbols = 15;
constexpr int kFirstCopySymbol = 256, kCopyLengthBias = 253, kEndSymbol = 510;
// Codes of at most this many bits are decoded by one table look-up.
constexpr int kTableBits = 11;
// Blocks with fewer tokens decode bit by bit: a table would cost more to
// fill than it saves, and a hostile file could make every block that short.
constexpr unsigned kTableTokens = 64;
// Blocks this long also get a table that decodes two literals at once.
constexpr unsigned kPairTokens = 1024;
// A stream may hold one block per 64 bytes of its cap, and 16 more: a block
// header costs a thousand steps or so, and headers that read few bits and
// yield one byte each would make a large file slow without that limit. No
// encoder is known to write blocks this short ([unsure]: the format sets no
// limit; the samples hold one block per stream).
constexpr std::size_t kBlocksPerCapByte = 64;
constexpr std::size_t kExtraBlocks = 16;

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
  // Whether the next 64 bits lie inside the input.
  bool FarFromEnd() const { return (m_pos >> 3) + 8 <= m_size; }
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

  // For every table index, the literals whose codes lie wholly in its bits:
  // length | count << 5 | first << 8 | second << 16; 0 when none.
  void FillPairs(std::uint32_t* pairs) const {
    constexpr std::uint32_t kMask = (1u << kTableBits) - 1;
    for (std::uint32_t i = 0; i <= kMask; ++i) {
      const unsigned first = m_lookup[i], len1 = first & 31;
      std::uint32_t pair = 0;
      if (len1 && (first >> 5) < kFirstCopySymbol) {
        pair = len1 | 1u << 5 | (first >> 5) << 8;
        const unsigned second = m_lookup[(i << len1) & kMask], len2 = second & 31;
        if (len2 && len1 + len2 <= kTableBits && (second >> 5) < kFirstCopySymbol)
          pair = (len1 + len2) | 2u << 5 | (first >> 5) << 8 | (second >> 5) << 16;
      }
      pairs[i] = pair;
    }
  }
  bool HasTable() const { return m_table && !m_constant; }

  // The symbol at the top of a window and its length as symbol << 5 |
  // length, where one look-up gives it (a constant code: length 0); else -1.
  int Quick(std::uint64_t window) const {
    if (m_constant) return m_value << 5;
    if (!m_table) return -1;
    const std::uint16_t entry = m_lookup[window >> (64 - kTableBits)];
    return entry & 31 ? entry : -1;
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
  bool pairs = false;
  std::uint32_t literalPairs[1u << kTableBits];  // Code::FillPairs of literals
};

// Tokens that need no check of the input's end or of the cap: each window
// holds 57 bits from inside the input, a token is decoded from it only while
// its bits fit, and 264 bytes fit below limit (a copy and the 8-byte steps
// past it). Returns at anything else (a code longer than the tables, the
// end token, a copy without source), leaving that token to the careful path.
void FastTokens(BitReader& in, const Codes& codes, unsigned& tokensLeft, std::uint8_t* out, std::size_t& n,
                std::size_t limit) {
  constexpr int kWindowBits = 57;
  constexpr std::size_t kRoom = 264;
  bool more = true;
  while (more && tokensLeft && n + kRoom <= limit && in.FarFromEnd()) {
    const std::uint64_t window = in.Window();
    int used = 0;
    while (used + kTableBits <= kWindowBits && tokensLeft && n + kRoom <= limit) {
      const std::uint64_t bits = window << used;
      if (codes.pairs && tokensLeft >= 2) {
        const std::uint32_t pair = codes.literalPairs[bits >> (64 - kTableBits)];
        if (pair) {
          // Both bytes written; the second counts only in a pair.
          out[n] = static_cast<std::uint8_t>(pair >> 8);
          out[n + 1] = static_cast<std::uint8_t>(pair >> 16);
          const unsigned count = (pair >> 5) & 3;
          n += count;
          tokensLeft -= count;
          used += static_cast<int>(pair & 31);
          continue;
        }
      }
      const int symbol = codes.literals.Quick(bits);
      if (symbol < 0 || (symbol >> 5) == kEndSymbol) {
        more = false;
        break;
      }
      const int length = symbol & 31;
      if (symbol >> 5 < kFirstCopySymbol) {
        out[n++] = static_cast<std::uint8_t>(symbol >> 5);
        used += length;
        --tokensLeft;
        continue;
      }
      const int klass = codes.distances.Quick(bits << length);
      if (klass < 0) {
        more = false;
        break;
      }
      const int extra = (klass >> 5) > 1 ? (klass >> 5) - 1 : 0;
      const int total = length + (klass & 31) + extra;
      if (used + total > kWindowBits) break;  // the next window decodes it
      const std::size_t distance =
          (klass >> 5) == 0 ? 0
                            : (std::size_t{1} << extra) +
                                  (extra ? static_cast<std::size_t>((bits << (total - extra)) >> (64 - extra)) : 0);
      if (distance >= n) {
        more = false;
        break;
      }
      used += total;
      --tokensLeft;
      const std::size_t count = static_cast<std::size_t>((symbol >> 5) - kCopyLengthBias);
      const std::uint8_t* from = out + (n - distance - 1);
      if (distance == 0) {
        std::memset(out + n, *from, count);
      } else if (distance >= 7) {
        // Eight bytes at a time, each read from before the first it writes;
        // up to 7 bytes past the copy are written and later overwritten.
        for (std::size_t k = 0; k < count; k += 8) std::memcpy(out + n + k, from + k, 8);
      } else {
        for (std::size_t k = 0; k < count; ++k) out[n + k] = from[k];
      }
      n += count;
    }
    in.Skip(used);
  }
}

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
  std::size_t blocks = 0;
  const std::size_t maxBlocks = kExtraBlocks + cap / kBlocksPerCapByte;
  for (;;) {
    if (n >= cap) return stop(StreamStop::full);
    if (tokensLeft == 0) {
      tokensLeft = in.Read(16);
      const bool table = tokensLeft >= kTableTokens;
      if (tokensLeft == 0 || ++blocks > maxBlocks ||
          !ReadSmallCode(in, kLengthCodeSymbols, true, false, codes.lengths) ||
          !ReadLiteralCode(in, codes.lengths, table, codes.literals) ||
          !ReadSmallCode(in, kDistanceSymbols, false, table, codes.distances))
        return stop(StreamStop::corrupt);
      codes.pairs = tokensLeft >= kPairTokens && codes.literals.HasTable();
      if (codes.pairs) codes.literals.FillPairs(codes.literalPairs);
    }
    FastTokens(in, codes, tokensLeft, room(std::min(cap, n + 4096)), n, out.size());
    if (n >= cap || tokensLeft == 0) continue;
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
