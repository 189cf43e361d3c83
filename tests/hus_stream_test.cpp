// The HUS/VIP stream decompressor on streams written bit by bit and by the
// test's own encoder (tests/hus_fixture.h).
#include <random>

#include "design/hus_stream.h"
#include "tests/hus_fixture.h"

namespace {

using hus::StreamStop;

struct Expanded {
  StreamStop stop;
  Bytes bytes;
};

Expanded Expand(const Bytes& stream, std::size_t cap = 1 << 20) {
  CArray<std::uint8_t> out;
  const StreamStop stop = hus::ExpandStream(stream.data(), stream.size(), cap, out);
  return {stop, Bytes(out.begin(), out.end())};
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A header whose CL and D are constant: LL constant too, or LL lengths as
// one CL symbol each (c = length + 2, the CL code constant, so no bits).
void ConstantHeader(BitWriter& w, unsigned tokens, unsigned literal, unsigned distance = 0) {
  w.Put(tokens, 16);           // T
  w.Put(0, 5).Put(0, 5);       // CL: m = 0, constant 0
  w.Put(0, 9).Put(literal, 9); // LL: m = 0, constant literal
  w.Put(0, 5).Put(distance, 5);  // D: m = 0, constant distance class
}

}  // namespace

TEST(HusStreamTest, AHeaderWrittenFieldByField) {
  BitWriter w;
  w.Put(3, 16);                      // T = 3 tokens
  // CL: m = 4; lengths of symbols 0, 1, 2 (3 bits each), the 2-bit skip
  // after symbol 2 (z = 0), symbol 3. Codes: symbol 2 "0", symbol 3 "1".
  w.Put(4, 5).Put(0, 3).Put(0, 3).Put(1, 3).Put(0, 2).Put(1, 3);
  // LL: m = 511; 65 unused (CL 2, 20 + 45), 'A' length 1 (CL 3), 444
  // unused (CL 2, 20 + 424), symbol 510 length 1 (CL 3).
  w.Put(511, 9).Put(0, 1).Put(45, 9).Put(1, 1).Put(0, 1).Put(424, 9).Put(1, 1);
  w.Put(0, 5).Put(0, 5);             // D: constant 0
  w.Put(0, 1).Put(0, 1).Put(1, 1);   // 'A' "0", 'A' "0", end "1"
  const Expanded e = Expand(w.bytes());
  EXPECT_EQ(e.stop, StreamStop::endToken);
  EXPECT_EQ(e.bytes, Text("AA"));

  // The skip is read even when m is 3: here z = 1, and the LL code follows
  // it. A decoder that left it unread would take "01" and the LL's first 7
  // bits for the LL's m (128) and decode other bytes.
  BitWriter m3;
  m3.Put(2, 16);                                        // T = 2
  m3.Put(3, 5).Put(0, 3).Put(1, 3).Put(1, 3).Put(1, 2);  // CL: m = 3, lengths 0, 1, 1; z = 1
  m3.Put(0, 9).Put('B', 9);                             // LL: constant 'B'
  m3.Put(0, 5).Put(0, 5);                               // D: constant 0
  EXPECT_EQ(Expand(m3.bytes()).bytes, Text("BB"));
}

TEST(HusStreamTest, CopiesRepeatOverlapAndReachBack) {
  const HusCode literals = LengthsCode([] {
    std::vector<int> l(511, 0);
    for (int s : {int{'a'}, int{'b'}, int{'c'}, 256 + 0 /* copy 3 */, 256 + 5 /* copy 8 */, 509 /* copy 256 */, 510}) l[s] = 3;
    return l;
  }());
  const HusCode distances = LengthsCode({2, 2, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4});  // classes 0..3, 14
  BitWriter w;
  const std::vector<HusToken> tokens = {
      Literal('a'), CopyToken(3, 0),   // distance 0: the last byte again -> "aaaa"
      Literal('b'), CopyToken(8, 1),   // overlapping: "ab" repeated -> "bababab" + "a"
      Literal('c'), CopyToken(3, 5),   // class 3 with 2 extra bits: 4 + 1
      EndToken()};
  WriteBlockHeader(w, static_cast<unsigned>(tokens.size()), literals, distances);
  for (const HusToken& t : tokens) WriteToken(w, t, literals, distances);
  const Expanded e = Expand(w.bytes());
  EXPECT_EQ(e.stop, StreamStop::endToken);
  EXPECT_EQ(e.bytes, Text("aaaabababababcbab"));
}

TEST(HusStreamTest, WhatTheEncoderWritesComesBack) {
  std::mt19937 rng(22);
  for (int round = 0; round < 12; ++round) {
    // Runs, repeats from far back (class 14 reaches 16383), noise.
    Bytes data;
    while (data.size() < 40'000u) {
      const unsigned kind = rng() % 3, n = 1 + rng() % 300;
      if (kind == 0) data.insert(data.end(), n, static_cast<std::uint8_t>(rng()));
      else if (kind == 1 && data.size() > 16'400u) {
        const Bytes earlier(data.end() - 16'384, data.end() - 16'384 + n);
        data.insert(data.end(), earlier.begin(), earlier.end());
      }
      else for (unsigned i = 0; i < n; ++i) data.push_back(static_cast<std::uint8_t>(rng() % (round + 2)));
    }
    // Small blocks too, each with codes of its own (the decoder takes one
    // block per 64 bytes of output).
    const std::size_t block = round % 2 ? 65535 : 64 + rng() % 1500;
    const Expanded e = Expand(EncodeHusTokens(HusTokensOf(data, round % 3 != 0), block), data.size());
    EXPECT_EQ(e.bytes, data) << "round " << round;
  }
}

TEST(HusStreamTest, CorruptHeadersAndTokensStopWithWhatCameBefore) {
  struct Case {
    const char* what;
    void (*write)(BitWriter&);
  };
  const Case cases[] = {
      {"T = 0", [](BitWriter& w) { w.Put(0, 16); }},
      {"CL constant outside 0..18", [](BitWriter& w) { w.Put(1, 16).Put(0, 5).Put(19, 5); }},
      {"CL m above 19", [](BitWriter& w) { w.Put(1, 16).Put(20, 5); }},
      {"LL constant 511", [](BitWriter& w) { w.Put(1, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put(511, 9); }},
      {"D m above 15", [](BitWriter& w) { w.Put(1, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put('x', 9).Put(16, 5); }},
      {"D constant outside 0..14", [](BitWriter& w) { w.Put(1, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put('x', 9).Put(0, 5).Put(15, 5); }},
      // CL: symbol 0 of length 7 + 10 = 17.
      {"length above 16", [](BitWriter& w) { w.Put(1, 16).Put(1, 5).Put(7, 3).Put(0x3FF, 10).Put(0, 1); }},
      // CL constant 2 with 9 bits 492: a run of 512 unused from symbol 0.
      {"zero run past symbol 510", [](BitWriter& w) { w.Put(1, 16).Put(0, 5).Put(2, 5).Put(2, 9).Put(492, 9); }},
      // D: three symbols of length 1.
      {"over-full code", [](BitWriter& w) {
         w.Put(1, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put('x', 9).Put(3, 5).Put(1, 3).Put(1, 3).Put(1, 3);
       }},
      // LL: CL constant 3 (length 1) for m = 1: only symbol 0, code "0"; the token reads "1".
      {"a pattern no code has", [](BitWriter& w) {
         w.Put(1, 16).Put(0, 5).Put(3, 5).Put(1, 9).Put(0, 5).Put(0, 5).Put(1, 1);
       }},
      // A copy of 3 from distance class 2 (2 + 1 bit) after one byte.
      {"copy before the first byte", [](BitWriter& w) { ConstantHeader(w, 1, 256, 2); }},
  };
  for (const Case& c : cases) {
    BitWriter w;
    ConstantHeader(w, 1, 'Q');  // one good block first: "Q"
    c.write(w);
    w.Put(0xFFFF, 16);          // and more bits after
    const Expanded e = Expand(w.bytes());
    EXPECT_EQ(e.stop, StreamStop::corrupt) << c.what;
    EXPECT_EQ(e.bytes, Text("Q")) << c.what;
  }
  // A zero run may pass m but not symbol 510. CL: symbol 2 "0", symbol 3
  // "1"; LL: m = 67, 65 unused, 'A' of length 1, then a run of 20 + extra.
  auto runPastM = [](unsigned extra) {
    BitWriter w;
    w.Put(2, 16);
    w.Put(4, 5).Put(0, 3).Put(0, 3).Put(1, 3).Put(0, 2).Put(1, 3);
    w.Put(67, 9).Put(0, 1).Put(45, 9).Put(1, 1).Put(0, 1).Put(extra, 9);
    w.Put(0, 5).Put(0, 5);
    w.Put(0, 1).Put(0, 1);  // 'A', 'A'
    return Expand(w.bytes()).bytes;
  };
  EXPECT_EQ(runPastM(424), Text("AA"));  // up to symbol 509
  EXPECT_EQ(runPastM(425), Text("AA"));  // up to symbol 510
  EXPECT_EQ(runPastM(426), Bytes());     // one past it
  // An incomplete code is taken: one symbol of length 2 ("00"), decoded twice.
  BitWriter incomplete;
  incomplete.Put(2, 16).Put(0, 5).Put(4, 5);  // CL constant 4: every LL length 2
  incomplete.Put(1, 9).Put(0, 5).Put(0, 5).Put(0, 2).Put(0, 2);
  EXPECT_EQ(Expand(incomplete.bytes()).bytes, Bytes({0, 0}));
}

TEST(HusStreamTest, OutputStopsAtTheCapInsideACopyAndAtTheInputsEnd) {
  // 14 bytes that would expand to 16,776,961 bytes: a literal, then a
  // block of 65,535 copies of 256 that read no bits at all.
  BitWriter w;
  ConstantHeader(w, 1, 'z');
  ConstantHeader(w, 65535, 509);
  const Bytes hostile = w.bytes();
  for (std::size_t cap : {std::size_t{1}, std::size_t{2}, std::size_t{100}, std::size_t{257}, std::size_t{hus::kMaxRecords}}) {
    const Expanded e = Expand(hostile, cap);
    EXPECT_EQ(e.stop, StreamStop::full) << cap;
    ASSERT_EQ(e.bytes.size(), cap);
    EXPECT_EQ(std::count(e.bytes.begin(), e.bytes.end(), 'z'), static_cast<long>(cap));
  }
  // Past the block the next header reads zeros: T = 0 ends it.
  EXPECT_EQ(Expand(hostile, 20'000'000).bytes.size(), 1u + 65535u * 256u);

  // Literal tokens without an end: the input is used up after the last one.
  const HusCode literals = LengthsCode([] {
    std::vector<int> l(511, 0);
    l['p'] = l['q'] = 1;
    return l;
  }());
  BitWriter noEnd;
  WriteBlockHeader(noEnd, 100, literals, ConstantCode(0));
  std::size_t tokens = 0;
  do {
    WriteToken(noEnd, Literal('p'), literals, ConstantCode(0));
    ++tokens;
  } while (noEnd.bits() % 8);
  const Expanded used = Expand(noEnd.bytes());
  EXPECT_EQ(used.stop, StreamStop::inputUsed);
  EXPECT_EQ(used.bytes, Bytes(tokens, 'p'));
}

TEST(HusStreamTest, EveryCutOfAStreamGivesAPrefixOfItsBytes) {
  Bytes data;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<std::uint8_t>(i % 7 == 0 ? i : i % 5));
  const Bytes stream = EncodeHusTokens(HusTokensOf(data), 700);
  ASSERT_EQ(Expand(stream).bytes, data);
  for (std::size_t cut = 0; cut < stream.size(); ++cut) {
    const Expanded e = Expand(Bytes(stream.begin(), stream.begin() + static_cast<long>(cut)));
    ASSERT_LE(e.bytes.size(), data.size()) << cut;
    ASSERT_TRUE(std::equal(e.bytes.begin(), e.bytes.end(), data.begin())) << cut;
    ASSERT_NE(e.stop, StreamStop::endToken) << cut;
  }
}

TEST(HusStreamTest, AStreamHoldsAtMostOneBlockPer64BytesOfItsCapAnd16More) {
  // Blocks of one literal each: with cap 640, block 27 (16 + 640 / 64 + 1)
  // is refused whatever it holds.
  BitWriter w;
  for (int i = 0; i < 40; ++i) ConstantHeader(w, 1, 'k');
  const Expanded e = Expand(w.bytes(), 640);
  EXPECT_EQ(e.stop, StreamStop::corrupt);
  EXPECT_EQ(e.bytes, Bytes(26, 'k'));
  EXPECT_EQ(Expand(w.bytes(), 64 * 24).bytes, Bytes(40, 'k'));
}
