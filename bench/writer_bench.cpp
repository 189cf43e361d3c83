// Writer speed on a generated design of 1,000,000 stitches: building the
// whole file block of every writer, and the DST handler with its save
// dialog cancelled (so no disk I/O is timed).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"
#include "export/dst_writer.h"
#include "export/pcs_writer.h"
#include "export/pec_writer.h"
#include "export/pes_writer.h"
#include "export/sew_writer.h"

namespace {

constexpr int kStitches = 1'000'000;

// Random stitches of up to 6 mm, a 40 mm jump every 1000 stitches and a
// colour change every 100,000, as a reader would leave them.
struct Viewer : BenchViewer {
  Viewer() {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> step(-60, 60);
    dlg.BeginDesign(kStitches + 100);
    std::int16_t x = 0, y = 0;
    for (int i = 0; i < kStitches; ++i) {
      if (i % 100'000 == 99'999) dlg.AddColorChange(x, y);
      if (i % 1000 == 999) {
        x = static_cast<std::int16_t>(x > 0 ? x - 400 : x + 400);
        dlg.AddMove(x, y);
        continue;
      }
      x = static_cast<std::int16_t>(std::clamp(x + step(rng), -3000, 3000));
      y = static_cast<std::int16_t>(std::clamp(y + step(rng), -3000, 3000));
      dlg.AddStitch(x, y);
    }
    dlg.EndDesign();
    dlg.m_bLoaded = TRUE;
    dlg.m_nFormat = 4;
  }
};

void BM_BuildDstBlock(benchmark::State& state) {
  Viewer v;
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    BuildDstBlock(v.dlg, block);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(block.size());
}
BENCHMARK(BM_BuildDstBlock)->Unit(benchmark::kMillisecond);

void BM_OnSaveDstCancelled(benchmark::State& state) {
  Viewer v;
  for (auto _ : state) v.dlg.OnSaveDst();
  state.SetItemsProcessed(state.iterations() * kStitches);
}
BENCHMARK(BM_OnSaveDstCancelled)->Unit(benchmark::kMillisecond);

// The PCS handler refuses a design this large (its count field holds 65535),
// so the block building is timed directly.
void BM_BuildPcsBlock(benchmark::State& state) {
  Viewer v;
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildPcsBlock(v.dlg, block));
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(block.size());
}
BENCHMARK(BM_BuildPcsBlock)->Unit(benchmark::kMillisecond);

// The Brother writers: records, thread list and the 1 + 11 icons drawn.
template <CEncoded (*Encode)(const CDesign&, const CEncodeRequest&)>
void BM_EncodeBrother(benchmark::State& state) {
  Viewer v;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const CEncoded encoded = Encode(v.dlg, {"bench"});
    bytes = encoded.bytes.size();
    benchmark::DoNotOptimize(encoded.bytes.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeBrother<EncodePes>)->Name("BM_EncodePes")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBrother<EncodePec>)->Name("BM_EncodePec")->Unit(benchmark::kMillisecond);

// The SEW encoder refuses a block this long (its word count holds 65535),
// so the block building is timed directly, pictures included.
void BM_BuildSewBlock(benchmark::State& state) {
  Viewer v;
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    BuildSewBlock(v.dlg, block);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(block.size());
}
BENCHMARK(BM_BuildSewBlock)->Unit(benchmark::kMillisecond);

}  // namespace
