// Writer speed on a generated design of 1,000,000 stitches: building the
// whole file block, and the DST handler with its save dialog cancelled (so
// no disk I/O is timed).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_viewer.h"
#include "export/dst_writer.h"
#include "export/pcs_writer.h"
#include "export/sew_writer.h"
#include "formats/formats.h"

namespace {

constexpr int kStitches = 1'000'000;

// Random stitches of up to 6 mm within range of the origin, a 40 mm jump
// every 1000 stitches and a colour change every 100,000, as a reader would
// leave them.
struct Viewer : BenchViewer {
  explicit Viewer(int range = 3000) {
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
      x = static_cast<std::int16_t>(std::clamp(x + step(rng), -range, range));
      y = static_cast<std::int16_t>(std::clamp(y + step(rng), -range, range));
      dlg.AddStitch(x, y);
    }
    dlg.EndDesign();
    dlg.m_bLoaded = TRUE;
    dlg.m_nFormat = 4;
  }
};

// Times a builder of a file's whole block; items are the design's stitches.
template <class Build>
void TimeBlock(benchmark::State& state, int range, Build build) {
  Viewer v(range);
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    build(v.dlg, block);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(block.size());
}

void BM_BuildDstBlock(benchmark::State& state) {
  TimeBlock(state, 3000, [](const CDesign& d, std::vector<std::uint8_t>& block) { BuildDstBlock(d, block); });
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

// The same design within a 200 x 200 mm hoop, which JEF needs, through
// DST, JEF and VP3.
constexpr int kHoopRange = 990;

// Times an encoder; items are the design's stitches.
void TimeEncoder(benchmark::State& state, Encoder encode) {
  Viewer v(kHoopRange);
  std::size_t size = 0;
  for (auto _ : state) {
    const CEncoded file = encode(v.dlg, {});
    if (file.Refused()) state.SkipWithError("refused");
    size = file.bytes.size();
    benchmark::DoNotOptimize(file.bytes.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
  state.counters["bytes"] = static_cast<double>(size);
}

// Every encoder of the format table under the same conditions (DST's the
// reference of the others), as BM_EncodeDst, BM_EncodePes, ...; the Brother
// writers draw their 1 + 11 icons too. PCS and SEW refuse a design this long:
// their block builders are timed instead.
const bool kEncodersRegistered = [] {
  for (const FormatEntry& format : Formats()) {
    if (!format.encode || format.code == FORMAT_PCS || format.code == FORMAT_SEW) continue;
    std::string name = std::string("BM_Encode") + format.name;
    name[9] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[9])));
    benchmark::RegisterBenchmark(name.c_str(), TimeEncoder, format.encode)->Unit(benchmark::kMillisecond);
  }
  return true;
}();

// The SEW file with its header and every picture; the encoder refuses this
// design, whose blocks are longer than a block's 16-bit word count.
void BM_BuildSewBlock(benchmark::State& state) { TimeBlock(state, kHoopRange, BuildSewBlock); }
BENCHMARK(BM_BuildSewBlock)->Unit(benchmark::kMillisecond);
// The same on BM_BuildDstBlock's design, 600 mm across: its pictures, at
// the same size, hold lines a third as long.
void BM_BuildSewBlockWide(benchmark::State& state) { TimeBlock(state, 3000, BuildSewBlock); }
BENCHMARK(BM_BuildSewBlockWide)->Unit(benchmark::kMillisecond);

}  // namespace
