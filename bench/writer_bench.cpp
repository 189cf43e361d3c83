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

// Times build(design, block), which makes the whole file in block.
template <class Build>
void TimeWriter(benchmark::State& state, Build&& build) {
  Viewer v;
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    build(v.dlg, block);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(block.size());
}

void BM_BuildDstBlock(benchmark::State& state) {
  TimeWriter(state, [](const CDesign& d, std::vector<std::uint8_t>& block) { BuildDstBlock(d, block); });
}
BENCHMARK(BM_BuildDstBlock)->Unit(benchmark::kMillisecond);

void BM_OnSaveDstCancelled(benchmark::State& state) {
  Viewer v;
  for (auto _ : state) v.dlg.OnSaveDst();
  state.SetItemsProcessed(state.iterations() * kStitches);
}
BENCHMARK(BM_OnSaveDstCancelled)->Unit(benchmark::kMillisecond);

// The PCS and SEW handlers refuse a design this large (PCS's count field
// holds 65535 stitches, a SEW block's word count 65535 words), so their
// block building is timed directly.
void BM_BuildPcsBlock(benchmark::State& state) {
  TimeWriter(state, [](const CDesign& d, std::vector<std::uint8_t>& block) {
    benchmark::DoNotOptimize(BuildPcsBlock(d, block));
  });
}
BENCHMARK(BM_BuildPcsBlock)->Unit(benchmark::kMillisecond);

// The Brother writers: records, thread list and the 1 + 11 icons drawn.
void BM_EncodePes(benchmark::State& state) {
  TimeWriter(state, [](const CDesign& d, std::vector<std::uint8_t>& block) { block = EncodePes(d, {"bench"}).bytes; });
}
BENCHMARK(BM_EncodePes)->Unit(benchmark::kMillisecond);

void BM_EncodePec(benchmark::State& state) {
  TimeWriter(state, [](const CDesign& d, std::vector<std::uint8_t>& block) { block = EncodePec(d, {"bench"}).bytes; });
}
BENCHMARK(BM_EncodePec)->Unit(benchmark::kMillisecond);

// The SEW file with its header and every picture.
void BM_BuildSewBlock(benchmark::State& state) {
  TimeWriter(state, [](const CDesign& d, std::vector<std::uint8_t>& block) { BuildSewBlock(d, block); });
}
BENCHMARK(BM_BuildSewBlock)->Unit(benchmark::kMillisecond);

}  // namespace
