// JEF and VP3 reader speed on generated files of 1,000,000 stitches, items
// per record as BM_ReadDst counts them. The VP3 file is written by our own
// writer from a design as the DST reader leaves one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"
#include "export/vp3_writer.h"

namespace {

constexpr int kStitches = 1'000'000;

// Short random stitches with a jump every 100 and a colour change every
// 5000, after a header with one thread per block.
std::vector<std::uint8_t> JefFile() {
  constexpr int kBlocks = kStitches / 5000 + 1;
  std::vector<std::uint8_t> out(116 + 8 * kBlocks, 0);
  const std::uint32_t start = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(start >> (8 * i));
    out[24 + i] = static_cast<std::uint8_t>(kBlocks >> (8 * i));
  }
  for (int k = 0; k < kBlocks; ++k) out[116 + 4 * k] = static_cast<std::uint8_t>(1 + k % 78);
  std::mt19937 rng(7);
  auto small = [&] { return static_cast<std::uint8_t>(static_cast<int>(rng() % 41) - 20); };
  for (int i = 1; i <= kStitches; ++i) {
    const std::uint8_t dx = small(), dy = small();
    if (i % 5000 == 0) out.insert(out.end(), {0x80, 0x01, 0x00, 0x00});
    if (i % 100 == 0) out.insert(out.end(), {0x80, 0x02});  // this one a jump
    out.push_back(dx);
    out.push_back(dy);
  }
  out.push_back(0x80);
  out.push_back(0x10);
  return out;
}

void BM_ReadJef(benchmark::State& state) {
  TimeReader(state, JefFile(), "bench.jef", "jef", kStitches, kStitches + kStitches / 5000);
}
BENCHMARK(BM_ReadJef)->Unit(benchmark::kMillisecond);

// Short random stitches, a 30 mm move every 100 and a colour change every
// 5000, as VP3 blocks with a trim before each move.
std::vector<std::uint8_t> Vp3File() {
  BenchViewer v;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> step(-20, 20);
  v.dlg.BeginDesign(kStitches + kStitches / 50);
  std::int16_t x = 0, y = 0;
  for (int i = 1; i <= kStitches; ++i) {
    if (i % 5000 == 0) v.dlg.AddColorChange(x, y);
    if (i % 100 == 0) {
      x = static_cast<std::int16_t>(x > 0 ? x - 300 : x + 300);
      v.dlg.AddMove(x, y);
    }
    x = static_cast<std::int16_t>(std::clamp(x + step(rng), -900, 900));
    y = static_cast<std::int16_t>(std::clamp(y + step(rng), -900, 900));
    v.dlg.AddStitch(x, y);
  }
  v.dlg.EndDesign();
  return EncodeVp3(v.dlg, {}).bytes;
}

void BM_ReadVp3(benchmark::State& state) {
  // Stitches and moves, and the colour changes.
  const int records = kStitches + kStitches / 100 + kStitches / 5000;
  TimeReader(state, Vp3File(), "bench.vp3", "vp3", kStitches + kStitches / 100 + 1, records);
}
BENCHMARK(BM_ReadVp3)->Unit(benchmark::kMillisecond);

}  // namespace
