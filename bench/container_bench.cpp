// HUS, VIP, PHC and PHB reader speed on generated files of 1,000,000
// records (HUS and VIP compressed by the tests' encoder, copies included),
// per record as BM_ReadDst in reader_bench; and the HUS reader on its worst
// case, streams of one-token blocks.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"
#include "design/hus_stream.h"
#include "tests/hus_fixture.h"
#include "tests/phc_fixture.h"

namespace {

constexpr int kRecords = 1'000'000;

// Random steps of up to 15 in each direction, a jump every 100 records and
// a colour change every 5000, as the DST benchmark's file.
HusRecords Records() {
  HusRecords r;
  std::mt19937 rng(7);
  for (int i = 0; i < kRecords; ++i) {
    const unsigned command = i % 5000 == 4999 ? 0x84 : i % 100 == 99 ? 0x81 : 0x80;
    r.Add(command, command == 0x84 ? 0 : static_cast<int>(rng() % 31) - 15,
          command == 0x84 ? 0 : static_cast<int>(rng() % 31) - 15);
  }
  r.Add(0x90, 0, 0);
  return r;
}

constexpr int kChanges = kRecords / 5000;

void BM_ReadHus(benchmark::State& state) {
  TimeReader(state, HusFile(Records(), {1, 2, 3}), "bench.hus", "hus", kRecords - kChanges, kRecords);
}
BENCHMARK(BM_ReadHus)->Unit(benchmark::kMillisecond);

void BM_ReadVip(benchmark::State& state) {
  TimeReader(state, VipFile(Records(), {0x102030, 0x405060}), "bench.vip", "vip", kRecords - kChanges, kRecords);
}
BENCHMARK(BM_ReadVip)->Unit(benchmark::kMillisecond);

// The PES benchmark's records: mostly short stitches, one in eight with long
// fields, a jump every 100 and a colour change every 5000.
std::vector<unsigned> PecRecords() {
  std::vector<unsigned> out;
  std::mt19937 engine(7);
  auto rng = [&engine] { return static_cast<unsigned>(engine()); };
  for (int i = 0; i < kRecords; ++i) {
    if (i % 5000 == 4999) out.insert(out.end(), {0xFE, 0xB0, 0x01});
    if (i % 100 == 99)
      out.insert(out.end(), {0x90, rng() & 0x3F, 0x90, rng() & 0x3F});
    else if (i % 8 == 7)
      out.insert(out.end(), {0x8F, 0xC0 | (rng() & 0x3F), 0x80, rng() & 0x3F});
    else
      out.insert(out.end(), {((rng() & 0x1F) - 16) & 0x7F, ((rng() & 0x1F) - 16) & 0x7F});
  }
  out.push_back(0xFF);
  return out;
}

void ReadPhcOrPhb(benchmark::State& state, bool phb) {
  PhcLayout s;
  s.phb = phb;
  s.colors = {1, 2, 3, 4};
  s.stitches = PecRecords();
  TimeReader(state, PhcFile(s), phb ? "bench.phb" : "bench.phc", phb ? "phb" : "phc", kRecords);
}
void BM_ReadPhc(benchmark::State& state) { ReadPhcOrPhb(state, false); }
void BM_ReadPhb(benchmark::State& state) { ReadPhcOrPhb(state, true); }
BENCHMARK(BM_ReadPhc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPhb)->Unit(benchmark::kMillisecond);

// The most header work a file can ask for: a count at the readers' limit
// and three streams of one-token blocks, each header 54 bits with a full
// 511-symbol literal code (every length 9 from a constant CL code), more of
// them than the decoder takes (16 + count / 64 a stream).
void BM_ReadHusMostBlocks(benchmark::State& state) {
  BitWriter w;
  const int blocks = 16 + static_cast<int>(hus::kMaxRecords / 64) + 1000;
  for (int i = 0; i < blocks; ++i) {
    w.Put(1, 16).Put(0, 5).Put(11, 5);  // T = 1; CL constant 11: every LL length 9
    w.Put(511, 9);                      // LL: all 511 symbols
    w.Put(0, 5).Put(0, 5);              // D constant
    w.Put(0x80, 9);                     // the token: literal 0x80
  }
  ByteBuilder middle;
  middle.fill(10).u16le(1);
  const Bytes stream = w.bytes();
  TimeReader(state, HusContainer(0x00C8AF5B, hus::kMaxRecords, 1, middle, stream, stream, stream), "bench.hus",
             "hus", 16 + hus::kMaxRecords / 64);
}
BENCHMARK(BM_ReadHusMostBlocks)->Unit(benchmark::kMillisecond);

}  // namespace
