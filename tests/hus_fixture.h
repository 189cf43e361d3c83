// Builders of HUS and VIP files for the tests, the fuzz seeds and the
// benchmarks: a bit writer, the block header and tokens of a compressed
// stream written from the format sheet, a compressor (greedy LZ77, Huffman
// codes per block) and the two containers.
#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/test_support.h"

// Bits most significant first, bit 7 of each byte first; the last byte
// padded with zeros.
class BitWriter {
 public:
  BitWriter& Put(unsigned value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (m_used % 8 == 0) m_bytes.push_back(0);
      if ((value >> i) & 1) m_bytes.back() |= static_cast<std::uint8_t>(0x80 >> (m_used % 8));
      ++m_used;
    }
    return *this;
  }
  const Bytes& bytes() const { return m_bytes; }
  std::size_t bits() const { return m_used; }

 private:
  Bytes m_bytes;
  std::size_t m_used = 0;
};

// A token: 0..255 a literal, 256..509 a copy of symbol - 253 bytes from
// distance + 1 bytes back, 510 the end.
struct HusToken {
  int symbol;
  unsigned distance = 0;
};
inline HusToken Literal(unsigned byte) { return {static_cast<int>(byte)}; }
inline HusToken CopyToken(unsigned length, unsigned distance) { return {static_cast<int>(length + 253), distance}; }
inline HusToken EndToken() { return {510}; }

// The distance class of a distance: 0 for 0, else its bit count.
inline int DistanceClass(unsigned distance) {
  int d = 0;
  while (distance >> d) ++d;
  return d;
}

// A code as lengths per symbol (0: unused), or a constant when lengths is empty.
struct HusCode {
  std::vector<int> lengths;
  int constant = 0;

  // Canonical codes: shorter lengths first, one length in symbol order.
  std::vector<unsigned> Codes() const {
    std::vector<unsigned> codes(lengths.size());
    unsigned code = 0;
    for (int len = 1; len <= 16; ++len) {
      for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] == len) codes[s] = code++;
      code <<= 1;
    }
    return codes;
  }
  void Write(BitWriter& w, int symbol) const {
    if (lengths.empty()) return;
    if (m_codes.empty()) m_codes = Codes();
    w.Put(m_codes[static_cast<std::size_t>(symbol)], lengths[static_cast<std::size_t>(symbol)]);
  }

 private:
  mutable std::vector<unsigned> m_codes;
};

inline HusCode ConstantCode(int value) {
  HusCode code;
  code.constant = value;
  return code;
}
inline HusCode LengthsCode(std::vector<int> lengths) {
  HusCode code;
  code.lengths = std::move(lengths);
  return code;
}

// Lengths of a Huffman code for the frequencies, none above limit (the
// frequencies halved until it fits); a constant code when at most one
// symbol is used.
inline HusCode HuffmanCode(std::vector<std::uint64_t> freq, int limit = 16) {
  HusCode code;
  std::vector<std::size_t> used;
  for (std::size_t s = 0; s < freq.size(); ++s)
    if (freq[s]) used.push_back(s);
  if (used.size() <= 1) {
    code.constant = used.empty() ? 0 : static_cast<int>(used[0]);
    return code;
  }
  for (;;) {
    // Open trees by weight with their leaves: merging the two lightest
    // puts each of their leaves one deeper.
    code.lengths.assign(freq.size(), 0);
    std::multimap<std::uint64_t, std::vector<std::size_t>> open;
    for (std::size_t s : used) open.emplace(freq[s], std::vector<std::size_t>{s});
    while (open.size() > 1) {
      auto a = open.extract(open.begin()), b = open.extract(open.begin());
      a.mapped().insert(a.mapped().end(), b.mapped().begin(), b.mapped().end());
      for (std::size_t s : a.mapped()) ++code.lengths[s];
      open.emplace(a.key() + b.key(), std::move(a.mapped()));
    }
    if (*std::max_element(code.lengths.begin(), code.lengths.end()) <= limit) return code;
    for (std::size_t s : used) freq[s] = (freq[s] + 1) / 2;
  }
}

// A small code (CL or D): 5 bits m, m lengths (3 bits, 7 and a unary
// rest), the CL's 2-bit skip after its third length.
inline void WriteSmallCode(BitWriter& w, const HusCode& code, bool skipRule) {
  if (code.lengths.empty()) {
    w.Put(0, 5).Put(static_cast<unsigned>(code.constant), 5);
    return;
  }
  int m = static_cast<int>(code.lengths.size());
  while (m > 0 && code.lengths[static_cast<std::size_t>(m - 1)] == 0) --m;
  w.Put(static_cast<unsigned>(m), 5);
  for (int i = 0; i < m; ++i) {
    const int len = code.lengths[static_cast<std::size_t>(i)];
    w.Put(static_cast<unsigned>(std::min(len, 7)), 3);
    for (int extra = 7; extra < len; ++extra) w.Put(1, 1);
    if (len >= 7) w.Put(0, 1);
    if (skipRule && i == 2) {
      int z = 0;
      while (z < 3 && i + 1 + z < m && code.lengths[static_cast<std::size_t>(i + 1 + z)] == 0) ++z;
      w.Put(static_cast<unsigned>(z), 2);
      i += z;
    }
  }
}

// The LL lengths as CL symbols: 0 one unused, 1 3..18 unused (4 bits), 2
// 20..531 unused (9 bits), len + 2 a used symbol.
struct ClSymbol {
  int symbol;
  unsigned extra;
};
inline std::vector<ClSymbol> LengthSymbols(const std::vector<int>& lengths, int m) {
  std::vector<ClSymbol> out;
  for (int i = 0; i < m;) {
    if (lengths[static_cast<std::size_t>(i)]) {
      out.push_back({lengths[static_cast<std::size_t>(i)] + 2, 0});
      ++i;
      continue;
    }
    int run = 0;
    while (i + run < m && lengths[static_cast<std::size_t>(i + run)] == 0 && run < 531) ++run;
    if (run >= 20) out.push_back({2, static_cast<unsigned>(run - 20)});
    else if (run >= 3) out.push_back({1, static_cast<unsigned>(std::min(run, 18) - 3)}), run = std::min(run, 18);
    else out.push_back({0, 0}), run = 1;
    i += run;
  }
  return out;
}

// A block header: T, then CL, LL and D.
inline void WriteBlockHeader(BitWriter& w, unsigned tokens, const HusCode& literals, const HusCode& distances) {
  w.Put(tokens, 16);
  if (literals.lengths.empty()) {
    WriteSmallCode(w, ConstantCode(0), true);
    w.Put(0, 9).Put(static_cast<unsigned>(literals.constant), 9);
  } else {
    int m = static_cast<int>(literals.lengths.size());
    while (literals.lengths[static_cast<std::size_t>(m - 1)] == 0) --m;
    const auto symbols = LengthSymbols(literals.lengths, m);
    std::vector<std::uint64_t> freq(19, 0);
    for (const ClSymbol& s : symbols) ++freq[static_cast<std::size_t>(s.symbol)];
    const HusCode cl = HuffmanCode(freq);
    WriteSmallCode(w, cl, true);
    w.Put(static_cast<unsigned>(m), 9);
    for (const ClSymbol& s : symbols) {
      cl.Write(w, s.symbol);
      if (s.symbol == 1) w.Put(s.extra, 4);
      if (s.symbol == 2) w.Put(s.extra, 9);
    }
  }
  WriteSmallCode(w, distances, false);
}

inline void WriteToken(BitWriter& w, const HusToken& t, const HusCode& literals, const HusCode& distances) {
  literals.Write(w, t.symbol);
  if (t.symbol < 256 || t.symbol == 510) return;
  const int d = DistanceClass(t.distance);
  distances.Write(w, d);
  if (d > 1) w.Put(t.distance - (1u << (d - 1)), d - 1);
}

// Tokens in blocks of at most blockTokens, each with Huffman codes of its
// own tokens; the end token closes the last block.
inline Bytes EncodeHusTokens(std::vector<HusToken> tokens, std::size_t blockTokens = 65535) {
  tokens.push_back(EndToken());
  BitWriter w;
  for (std::size_t from = 0; from < tokens.size(); from += blockTokens) {
    const std::size_t to = std::min(tokens.size(), from + blockTokens);
    std::vector<std::uint64_t> lit(511, 0), dist(15, 0);
    for (std::size_t i = from; i < to; ++i) {
      ++lit[static_cast<std::size_t>(tokens[i].symbol)];
      if (tokens[i].symbol >= 256 && tokens[i].symbol < 510) ++dist[static_cast<std::size_t>(DistanceClass(tokens[i].distance))];
    }
    const HusCode literals = HuffmanCode(lit), distances = HuffmanCode(dist);
    WriteBlockHeader(w, static_cast<unsigned>(to - from), literals, distances);
    for (std::size_t i = from; i < to; ++i) WriteToken(w, tokens[i], literals, distances);
  }
  return w.bytes();
}

// Greedy LZ77: the longest of the last position with the same three bytes
// and a run of the previous byte, when it reaches 4 bytes, or 3 from at most
// 256 back (a 3-byte copy from further costs more bits than its literals).
inline std::vector<HusToken> HusTokensOf(const Bytes& data, bool copies = true) {
  std::vector<HusToken> tokens;
  std::vector<long> last(1 << 16, -1);
  auto key = [&](std::size_t i) { return (data[i] * 1973u ^ data[i + 1] * 61u ^ data[i + 2]) & 0xFFFF; };
  auto matching = [&](std::size_t i, std::size_t from) {
    std::size_t n = 0;
    while (n < 256 && i + n < data.size() && data[from + n] == data[i + n]) ++n;
    return n;
  };
  for (std::size_t i = 0; i < data.size();) {
    std::size_t best = 0, bestFrom = 0;
    if (copies && i + 2 < data.size()) {
      const long from = last[key(i)];
      if (from >= 0 && i - static_cast<std::size_t>(from) <= 16384) best = matching(i, bestFrom = static_cast<std::size_t>(from));
      if (i > 0 && matching(i, i - 1) > best) best = matching(i, bestFrom = i - 1);
      last[key(i)] = static_cast<long>(i);
    }
    if (best >= 4 || (best == 3 && i - bestFrom <= 256)) {
      tokens.push_back(CopyToken(static_cast<unsigned>(best), static_cast<unsigned>(i - bestFrom - 1)));
      i += best;
    } else {
      tokens.push_back(Literal(data[i]));
      ++i;
    }
  }
  return tokens;
}

inline Bytes CompressHusStream(const Bytes& data, bool copies = true) { return EncodeHusTokens(HusTokensOf(data, copies)); }

// A HUS or VIP container: the 32-byte header (extents zero, they are not
// read), then `middle` (bytes 32 up to the first stream), then the streams.
inline Bytes HusContainer(std::uint32_t magic, std::uint32_t records, std::uint32_t colors, const Bytes& middle,
                          const Bytes& command, const Bytes& x, const Bytes& y) {
  const auto o1 = static_cast<std::int32_t>(32 + middle.size());
  const auto o2 = o1 + static_cast<std::int32_t>(command.size()), o3 = o2 + static_cast<std::int32_t>(x.size());
  ByteBuilder b;
  b.s32le(static_cast<std::int32_t>(magic)).s32le(static_cast<std::int32_t>(records)).s32le(static_cast<std::int32_t>(colors));
  b.fill(8).s32le(o1).s32le(o2).s32le(o3);
  for (const Bytes* part : {&middle, &command, &x, &y})
    for (std::uint8_t v : *part) b.u8(v);
  return b;
}

// The three fields of records (command, X step, Y step).
struct HusRecords {
  Bytes command, x, y;
  void Add(unsigned c, int dx, int dy) {
    command.push_back(static_cast<std::uint8_t>(c));
    x.push_back(static_cast<std::uint8_t>(dx));
    y.push_back(static_cast<std::uint8_t>(dy));
  }
};

// A HUS file of the records (each field compressed), named name, with
// the given thread indices.
inline Bytes HusFile(const HusRecords& r, const std::vector<unsigned>& threads, const std::string& name = "fixture",
                     bool copies = true) {
  ByteBuilder middle;
  middle.text(name.substr(0, 8)).padTo(8).u16le(0);  // name at 32, a zero u16 at 40
  for (unsigned t : threads) middle.u16le(t);          // thread indices at 42
  return HusContainer(0x00C8AF5B, static_cast<std::uint32_t>(r.command.size()), static_cast<std::uint32_t>(threads.size()),
                      middle, CompressHusStream(r.command, copies), CompressHusStream(r.x, copies),
                      CompressHusStream(r.y, copies));
}

// The first 15 colours' worth of the VIP colour key, as the format sheet
// gives it: enough to write fixtures without the reader's own table.
constexpr std::uint8_t kVipKeyStart[60] = {
    0x2E, 0x82, 0xE4, 0x6F, 0x38, 0xA9, 0xDC, 0xC6, 0x7B, 0xB6, 0x28, 0xAC, 0xFD, 0xAA, 0x8A, 0x4E, 0x76, 0x2E, 0xF0, 0xE4,
    0x25, 0x1B, 0x8A, 0x68, 0x4E, 0x92, 0xB9, 0xB4, 0x95, 0xF0, 0x3E, 0xEF, 0xF7, 0x40, 0x24, 0x18, 0x39, 0x31, 0xBB, 0xE1,
    0x53, 0xA8, 0x1F, 0xB1, 0x3A, 0x07, 0xFB, 0xCB, 0xE6, 0x00, 0x81, 0x50, 0x0E, 0x40, 0xE1, 0x2C, 0x73, 0x50, 0x0D, 0x91,
};

// The obfuscated VIP colour list of colours 0xRRGGBB: byte i is plain ^
// K[i] ^ the previous written byte; past the 15 colours of kVipKeyStart the
// key bytes are taken as 0x55, so those colours are arbitrary.
inline Bytes VipColorList(const std::vector<std::uint32_t>& colors) {
  Bytes out;
  std::uint8_t previous = 0;
  for (std::size_t k = 0; k < colors.size(); ++k) {
    const std::uint8_t plain[4] = {static_cast<std::uint8_t>(colors[k] >> 16), static_cast<std::uint8_t>(colors[k] >> 8),
                                   static_cast<std::uint8_t>(colors[k]), 0};
    for (int j = 0; j < 4; ++j) {
      previous = static_cast<std::uint8_t>(plain[j] ^ (4 * k + j < 60 ? kVipKeyStart[4 * k + j] : 0x55) ^ previous);
      out.push_back(previous);
    }
  }
  return out;
}

// A VIP file: ten zero bytes, the name field's offset, the colour list, a 1
// per colour, the name as UTF-16LE code units with a final NUL.
inline Bytes VipFile(const HusRecords& r, const std::vector<std::uint32_t>& colors, const std::u16string& name = u"",
                     bool copies = true) {
  const auto n = static_cast<unsigned>(colors.size());
  ByteBuilder middle;
  middle.fill(10);                               // 32: zero
  middle.s32le(static_cast<std::int32_t>(46 + 8 * n));  // 42: offset of the name field
  for (std::uint8_t v : VipColorList(colors)) middle.u8(v);  // 46: colours
  for (unsigned k = 0; k < n; ++k) middle.s32le(1);          // 46 + 4n: a 1 each
  middle.s32le(static_cast<std::int32_t>(name.size() + 1));  // 46 + 8n: c, then c units
  for (char16_t c : name) middle.u16le(c);
  middle.u16le(0);
  return HusContainer(0x0190FC5D, static_cast<std::uint32_t>(r.command.size()), n, middle,
                      CompressHusStream(r.command, copies), CompressHusStream(r.x, copies),
                      CompressHusStream(r.y, copies));
}
