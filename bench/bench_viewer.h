// The benchmarks' viewer: the headless viewer with its files in memory and
// no painting on repaint unless a benchmark asks for it.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/headless/headless_viewer.h"

struct BenchViewer : CHeadlessViewer {
  BenchViewer() : CHeadlessViewer(kMemoryOnly) {}
};

// Times a reader: bytes are loaded once as a file named name (into
// m_fileData, as the load sequence puts them), then decoded again each
// iteration. Fails the benchmark when the stitch count is not `stitches`
// (negative: not checked); items processed are records, or stitches.
inline void TimeReader(benchmark::State& state, const std::vector<std::uint8_t>& bytes,
                       const char* name, const char* format, std::int64_t stitches,
                       std::int64_t records = -1) {
  BenchViewer v;
  v.Load(bytes, name);
  const auto read = FindFormat(format)->read;
  for (auto _ : state) {
    read(v.dlg, static_cast<int>(bytes.size()));
    benchmark::DoNotOptimize(v.dlg.m_nStitchCount);
  }
  if (stitches >= 0 && v.dlg.m_nStitchCount != stitches)
    state.SkipWithError("stitch count does not match the file");
  state.SetItemsProcessed(state.iterations() * (records >= 0 ? records : v.dlg.m_nStitchCount));
}
