// Reader speed on generated files of 1,000,000 records, and the whole load
// of a file from disk into a fresh viewer, as each run of nadelwerk-cli does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_viewer.h"
#include "platform/posix/posix_memory.h"
#include "tools/stress_files.h"

namespace {

constexpr int kRecords = 1'000'000;

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

void BM_ReadDst(benchmark::State& state) {
  TimeReader(state, DstFile(), "bench.dst", "dst", kRecords - kRecords / 5000, kRecords);
}
BENCHMARK(BM_ReadDst)->Unit(benchmark::kMillisecond);

}  // namespace

// Short random stitches only (as make-stress dense-dst writes them): every
// record in a run of plain stitches.
void BM_ReadDstStitchesOnly(benchmark::State& state) {
  TimeReader(state, stress::DenseDst(kRecords), "bench.dst", "dst", kRecords);
}
BENCHMARK(BM_ReadDstStitchesOnly)->Unit(benchmark::kMillisecond);

// LoadFile of a 4,000,000-stitch DST (12 MB, in the page cache) into a viewer
// made for the load, on the memory nadelwerk-cli uses: the read into a new
// buffer, the decoding into new record arrays, and giving both back. Fresh
// memory is what a program run pays for; the reuse above hides it.
void BM_LoadDstIntoFreshViewer(benchmark::State& state) {
  char path[] = "/tmp/nadelwerk-bench-XXXXXX.dst";
  const int fd = ::mkstemps(path, 4);
  if (fd < 0) {
    state.SkipWithError("no temporary file");
    return;
  }
  const std::vector<std::uint8_t> bytes = stress::DenseDst(4 * kRecords);
  const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ::close(fd);
  SetBlockMemory(PosixBlockMemory());
  for (auto _ : state) {
    CHeadlessViewer v;
    if (!written || v.Load(path) != LoadOutcome::loaded) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(v.dlg.m_nStitchCount);
  }
  SetBlockMemory(FreeStoreMemory());
  std::remove(path);
  state.SetItemsProcessed(state.iterations() * 4 * kRecords);
}
BENCHMARK(BM_LoadDstIntoFreshViewer)->Unit(benchmark::kMillisecond);
