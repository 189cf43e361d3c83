// EXP and XXX reader speed on generated files of 1,000,000 stitch records,
// with a jump every 100 and a colour change every 5000, as in BM_ReadDst.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/bench_viewer.h"

namespace {

constexpr int kStitches = 1'000'000;

// Short random stitches; the escape and command bytes never start one.
template <class Command>
std::vector<std::uint8_t> Records(std::vector<std::uint8_t> out, Command&& command) {
  std::mt19937 rng(7);
  auto small = [&] { return static_cast<std::uint8_t>(static_cast<int>(rng() % 81) - 40); };
  for (int i = 0; i < kStitches; ++i) {
    if (i % 5000 == 4999) command(out, true);
    if (i % 100 == 99) command(out, false);
    out.push_back(small());
    out.push_back(small());
  }
  return out;
}

std::vector<std::uint8_t> ExpFile() {
  return Records({}, [](std::vector<std::uint8_t>& out, bool color) {
    if (color)
      out.insert(out.end(), {0x80, 0x01, 0x00, 0x00});
    else
      out.insert(out.end(), {0x80, 0x04, 0x10, 0x10});
  });
}

std::vector<std::uint8_t> XxxFile() {
  std::vector<std::uint8_t> out = Records(std::vector<std::uint8_t>(0x100, 0), [](std::vector<std::uint8_t>& o, bool color) {
    if (color)
      o.insert(o.end(), {0x7F, 0x08, 0x00, 0x00});
    else
      o.insert(o.end(), {0x7F, 0x01, 0x10, 0x10});
  });
  const std::size_t end = out.size();
  for (int i = 0; i < 4; ++i) out[0xFC + i] = static_cast<std::uint8_t>(end >> (8 * i));
  out.insert(out.end(), {0x7F, 0x7F, 0x03, 0x14, 0x00, 0x00});
  const int colors = kStitches / 5000 + 1;
  out[0x27] = static_cast<std::uint8_t>(colors);
  for (int k = 0; k < colors; ++k) out.insert(out.end(), {0x00, static_cast<std::uint8_t>(k), 0x40, 0x80});
  return out;
}

// Items are records: stitches, jumps and colour changes.
constexpr std::int64_t kRecords = kStitches + kStitches / 100 + kStitches / 5000;

void BM_ReadExp(benchmark::State& state) {
  TimeReader(state, ExpFile(), "bench.exp", "exp", kStitches + kStitches / 100, kRecords);
}
BENCHMARK(BM_ReadExp)->Unit(benchmark::kMillisecond);

void BM_ReadXxx(benchmark::State& state) {
  TimeReader(state, XxxFile(), "bench.xxx", "xxx", kStitches + kStitches / 100, kRecords);
}
BENCHMARK(BM_ReadXxx)->Unit(benchmark::kMillisecond);

}  // namespace
