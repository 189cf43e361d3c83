// PES reader speed on a generated single-part file of 1,000,000 stitches.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"

namespace {

constexpr int kStitches = 1'000'000;
constexpr std::uint32_t kSection = 100;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, unsigned v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Mostly short stitches, one in eight with long fields, a jump every 100
// and a colour change every 5000.
std::vector<std::uint8_t> PesFile() {
  std::vector<std::uint8_t> out(kSection + 532, 0x20);
  const char* head = "#PES0001";
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(head[i]);
  out[8] = kSection & 0xFF;
  out[9] = (kSection >> 8) & 0xFF;
  out[10] = 0;
  out[kSection] = 'L';
  out[kSection + 1] = 'A';
  out[kSection + 2] = ':';
  out[kSection + 48] = 3;  // four colours
  for (int k = 0; k < 4; ++k) out[kSection + 49 + k] = static_cast<std::uint8_t>(k + 1);
  Put16(out, kSection + 520, 1000);
  Put16(out, kSection + 522, 1000);
  std::mt19937 rng(7);
  for (int i = 0; i < kStitches; ++i) {
    if (i % 5000 == 4999) out.insert(out.end(), {0xFE, 0xB0, 0x01});
    if (i % 100 == 99) {
      out.insert(out.end(), {0x90, static_cast<std::uint8_t>(rng() & 0x3F), 0x90,
                             static_cast<std::uint8_t>(rng() & 0x3F)});
    } else if (i % 8 == 7) {
      out.insert(out.end(), {0x8F, static_cast<std::uint8_t>(0xC0 | (rng() & 0x3F)), 0x80,
                             static_cast<std::uint8_t>(rng() & 0x3F)});
    } else {
      const std::uint8_t dx = static_cast<std::uint8_t>((rng() & 0x1F) - 16) & 0x7F;
      const std::uint8_t dy = static_cast<std::uint8_t>((rng() & 0x1F) - 16) & 0x7F;
      out.insert(out.end(), {dx, dy});
    }
  }
  out.insert(out.end(), {0xFF, 0x00});
  // Thumbnail right after the stitch data.
  const std::size_t thumbnail = out.size();
  const std::uint32_t t = static_cast<std::uint32_t>(thumbnail - kSection - 512);
  out[kSection + 514] = t & 0xFF;
  out[kSection + 515] = (t >> 8) & 0xFF;
  out[kSection + 516] = (t >> 16) & 0xFF;
  out.insert(out.end(), 228, 0x55);
  return out;
}

void BM_ReadPes(benchmark::State& state) {
  TimeReader(state, PesFile(), "bench.pes", "pes", kStitches);
}
BENCHMARK(BM_ReadPes)->Unit(benchmark::kMillisecond);

}  // namespace
