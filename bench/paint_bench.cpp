// One full paint of a generated 1,000,000-stitch design into the preview
// frame, at the default frame size and in a large frame; of a design a
// tenth of a millimetre across, whose pen is as wide as the frame; and of
// the hostile 32 MiB files of make-stress (16.8 M stitches between random
// points of a 1 mm or 2 mm square as PEC, 11.2 M as DST), whose pen is many
// pixels wide and whose every stroke crosses much of the frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>

#include "bench/bench_viewer.h"
#include "tools/stress_files.h"

namespace {

constexpr int kStitches = 1'000'000;

enum class Design { denseFill, tiny };

struct Viewer : BenchViewer {
  Viewer(int frameWidth, int frameHeight, int zoomPercent, Design design) {
    platform.SetFrameSize(IDC_PREVIEW, frameWidth, frameHeight);
    dlg.BeginDesign(kStitches + kStitches / 5000 + 3);
    if (design == Design::denseFill) {
      // A random walk of short stitches over 20 x 15 cm, a jump every 200
      // stitches and a colour change every 5000, as a dense fill looks.
      std::mt19937 rng(11);
      std::uniform_int_distribution<int> step(-25, 25), jump(-300, 300);
      int x = 1000, y = 750;
      for (int i = 1; i <= kStitches; ++i) {
        const bool isJump = i % 200 == 0;
        x = std::clamp(x + (isJump ? jump(rng) : step(rng)), 0, 2000);
        y = std::clamp(y + (isJump ? jump(rng) : step(rng)), 0, 1500);
        dlg.AddStitch(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
        if (i % 5000 == 0)
          dlg.AddColorChange(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
      }
    } else {
      // Stitches alternating between X = 0 and X = 1 (0.1 mm), a colour
      // change every 5000.
      for (int i = 1; i <= kStitches; ++i) {
        dlg.AddStitch(static_cast<std::int16_t>(i % 2), 0);
        if (i % 5000 == 0) dlg.AddColorChange(static_cast<std::int16_t>(i % 2), 0);
      }
    }
    dlg.EndDesign();
    for (int k = 0; k < kBlockColorEntries; ++k)
      dlg.m_blockColor[k] = static_cast<std::uint8_t>(k % 62);
    dlg.m_bLoaded = TRUE;
    dlg.m_nZoomPercent = zoomPercent;
  }
};

void Paint(benchmark::State& state, int width, int height, int zoom,
           Design design = Design::denseFill) {
  Viewer v(width, height, zoom, design);
  for (auto _ : state) {
    v.dlg.OnPaint();
    benchmark::DoNotOptimize(v.platform.ControlPixels(IDC_PREVIEW).pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * kStitches);
}

void BM_PaintFrame100(benchmark::State& state) { Paint(state, 262, 330, 100); }
void BM_PaintFrame300(benchmark::State& state) { Paint(state, 262, 330, 300); }
void BM_PaintLarge100(benchmark::State& state) { Paint(state, 1000, 1000, 100); }
void BM_PaintLarge300(benchmark::State& state) { Paint(state, 1000, 1000, 300); }
void BM_PaintTinyDesign(benchmark::State& state) { Paint(state, 262, 330, 100, Design::tiny); }
BENCHMARK(BM_PaintFrame100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFrame300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLarge100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLarge300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTinyDesign)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

struct ScatterViewer : BenchViewer {
  ScatterViewer(const char* format, int side, int frameWidth, int frameHeight) {
    platform.SetFrameSize(IDC_PREVIEW, frameWidth, frameHeight);
    const std::string name = std::string("scatter.") + format;
    constexpr std::size_t kSize = std::size_t{32} << 20;
    Load(name == "scatter.pec" ? stress::ScatterPec(kSize, side) : stress::ScatterDst(kSize, side),
         name);
  }
};

// Frame 262 x 330, the window's; zoom in percent; quarter turns.
void PaintScatter(benchmark::State& state, const char* format, int side, int zoom, int turns,
                  int width = 262, int height = 330) {
  ScatterViewer v(format, side, width, height);
  v.dlg.m_nZoomPercent = zoom;
  v.dlg.m_nRotation = turns;
  for (auto _ : state) {
    v.dlg.OnPaint();
    benchmark::DoNotOptimize(v.platform.ControlPixels(IDC_PREVIEW).pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * v.dlg.m_nStitchCount);
}

void BM_PaintScatterPec1mm100(benchmark::State& s) { PaintScatter(s, "pec", 10, 100, 0); }
void BM_PaintScatterPec1mm300(benchmark::State& s) { PaintScatter(s, "pec", 10, 300, 0); }
void BM_PaintScatterPec2mm100(benchmark::State& s) { PaintScatter(s, "pec", 20, 100, 0); }
void BM_PaintScatterPec2mm300(benchmark::State& s) { PaintScatter(s, "pec", 20, 300, 0); }
void BM_PaintScatterDst1mm100(benchmark::State& s) { PaintScatter(s, "dst", 10, 100, 0); }
void BM_PaintScatterDst2mm100(benchmark::State& s) { PaintScatter(s, "dst", 20, 100, 0); }
void BM_PaintScatterPec1mmTurned(benchmark::State& s) { PaintScatter(s, "pec", 10, 100, 1); }
void BM_PaintScatterPec1mmLarge(benchmark::State& s) {
  PaintScatter(s, "pec", 10, 100, 0, 1000, 1600);
}
// One iteration each: an unbounded paint of these takes tens of seconds
// (more figures with --benchmark_repetitions).
BENCHMARK(BM_PaintScatterPec1mm100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterPec1mm300)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterPec2mm100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterPec2mm300)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterDst1mm100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterDst2mm100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterPec1mmTurned)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintScatterPec1mmLarge)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
