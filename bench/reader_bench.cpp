// Reader speed on generated files of 1,000,000 records.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"

namespace {

constexpr int kRecords = 1'000'000;

using Viewer = BenchViewer;

// Random small stitches with a colour change every 5000 and a jump every 100.
std::vector<std::uint8_t> DstFile() {
  std::vector<std::uint8_t> bytes(512, ' ');
  std::mt19937 rng(7);
  for (int i = 0; i < kRecords; ++i) {
    std::uint8_t b2 = 0x03;
    if (i % 5000 == 4999) b2 = 0xC3;
    else if (i % 100 == 99) b2 = 0x83;
    bytes.push_back(static_cast<std::uint8_t>(rng() & 0x33));
    bytes.push_back(static_cast<std::uint8_t>(rng() & 0x33));
    bytes.push_back(b2);
  }
  bytes.insert(bytes.end(), {0x00, 0x00, 0xF3});
  return bytes;
}

// Short random stitches only (as make-stress dense-dst writes them): every
// record in a run of plain stitches.
std::vector<std::uint8_t> DenseDstFile() {
  std::vector<std::uint8_t> bytes(512, ' ');
  std::mt19937 rng(7);
  for (int i = 0; i < kRecords; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(rng() & 0xC3));
    bytes.push_back(static_cast<std::uint8_t>(rng() & 0xC3));
    bytes.push_back(0x03);
  }
  bytes.insert(bytes.end(), {0x00, 0x00, 0xF3});
  return bytes;
}

void BM_ReadDst(benchmark::State& state) {
  Viewer v;
  const auto bytes = DstFile();
  v.Load(bytes, "bench.dst");
  for (auto _ : state) {
    v.dlg.ReadDst(static_cast<int>(bytes.size()));
    benchmark::DoNotOptimize(v.dlg.m_nStitchCount);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadDst)->Unit(benchmark::kMillisecond);

}  // namespace

void BM_ReadDstStitchesOnly(benchmark::State& state) {
  Viewer v;
  const auto bytes = DenseDstFile();
  v.Load(bytes, "bench.dst");
  for (auto _ : state) {
    v.dlg.ReadDst(static_cast<int>(bytes.size()));
    benchmark::DoNotOptimize(v.dlg.m_nStitchCount);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadDstStitchesOnly)->Unit(benchmark::kMillisecond);
