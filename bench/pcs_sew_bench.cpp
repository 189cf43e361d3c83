// PCS and SEW reader speed on generated files of 1,000,000 stitch records.
// The PCS header counts stitches in 16 bits, so the PCS reader decodes the
// first 65,535 of them; both benchmarks report items per decoded stitch.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"

namespace {

constexpr int kStitches = 1'000'000;

void Put32(std::vector<std::uint8_t>& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

// A random walk of short stitches with a colour change every 5000.
std::vector<std::uint8_t> PcsFile() {
  std::vector<std::uint8_t> out = {2, 3, 16, 0};
  for (int i = 0; i < 16; ++i) out.insert(out.end(), {static_cast<std::uint8_t>(i * 16), 0x40, 0x80, 0});
  out.insert(out.end(), {0xFF, 0xFF});
  std::mt19937 rng(7);
  std::int32_t x = 0, y = 0;
  for (int i = 0; i < kStitches; ++i) {
    if (i % 5000 == 0) {
      Put32(out, (i / 5000) % 16);
      Put32(out, 0);
      out.push_back(0x03);
    }
    x += static_cast<std::int32_t>(rng() % 4096) - 2048;
    y += static_cast<std::int32_t>(rng() % 4096) - 2048;
    Put32(out, x);
    Put32(out, y);
    out.push_back(0x00);
  }
  return out;
}

// Short stitches with a move every 100 and a colour change every 5000.
std::vector<std::uint8_t> SewFile() {
  std::vector<std::uint8_t> out(7544, 0);
  out[0] = 8;
  for (int k = 0; k < 8; ++k) out[2 + 2 * k] = static_cast<std::uint8_t>(k * 9);
  std::mt19937 rng(7);
  auto small = [&] { return static_cast<std::uint8_t>(static_cast<int>(rng() % 41) - 20); };
  for (int i = 0; i < kStitches; ++i) {
    if (i % 5000 == 4999) out.insert(out.end(), {0x80, 0x01});
    if (i % 100 == 99)
      out.insert(out.end(), {0x80, 0x02, small(), small()});
    else
      out.insert(out.end(), {small(), small()});
  }
  out.insert(out.end(), {0x80, 0x10});
  return out;
}

void BM_ReadPcs(benchmark::State& state) {
  TimeReader(state, PcsFile(), "bench.pcs", "pcs", 0xFFFF);
}
BENCHMARK(BM_ReadPcs)->Unit(benchmark::kMicrosecond);

void BM_ReadSew(benchmark::State& state) {
  TimeReader(state, SewFile(), "bench.sew", "sew", kStitches);
}
BENCHMARK(BM_ReadSew)->Unit(benchmark::kMillisecond);

}  // namespace
