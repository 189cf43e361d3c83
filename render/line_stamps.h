// The pixels of short lines, kept as offsets from the start pixel for each
// step (dx, dy): dense fills are made of short stitches whose few steps
// repeat over and over, so each line costs a table look-up and its stores.
// A stamp is the line the device context would draw there, so it may only
// be used where the whole line lies inside the clip area.
//
// Layout: one entry per step, (2 kReach + 1)^2 of them, dy major; an entry
// names a run of offsets in the pool, padded to a multiple of four with
// copies of its first offset (painting a pixel twice changes nothing).
#pragma once
#include <cstdint>
#include <vector>

class CLineStamps {
 public:
  static constexpr int kReach = 48;
  static constexpr int kMaxWidth = 8;  // wider pens draw row by row

  // Forgets every stamp: pens of penPixels pixels (1: the thin line, up to
  // kMaxWidth: the round-capped stroke) into rows stride pixels apart.
  void Reset(int penPixels, std::int64_t stride);
  bool Ready() const { return !m_index.empty(); }

  // Paints the line from p by (dx, dy), |dx|, |dy| <= kReach; false when
  // the stamp cannot be kept (the pool is full), and nothing was painted.
  bool Paint(std::uint32_t* p, std::int64_t dx, std::int64_t dy, std::uint32_t rgb) {
    Entry& e = m_index[static_cast<std::size_t>((dy + kReach) * kSide + (dx + kReach))];
    if (e.count < 0 && !Build(e, dx, dy)) return false;
    const std::int32_t* o = m_pool.data() + e.first;
    for (std::int32_t i = 0; i < e.count; i += 4) {
      p[o[i]] = rgb;
      p[o[i + 1]] = rgb;
      p[o[i + 2]] = rgb;
      p[o[i + 3]] = rgb;
    }
    return true;
  }

 private:
  static constexpr int kSide = 2 * kReach + 1;
  static constexpr std::size_t kPoolLimit = std::size_t{1} << 20;  // 4 MB of offsets
  struct Entry {
    std::int32_t first = 0;
    std::int32_t count = -1;  // -1: not built yet
  };
  bool Build(Entry& e, std::int64_t dx, std::int64_t dy);

  int m_nPenPixels = 1;
  std::int64_t m_stride = 0;
  std::vector<Entry> m_index;
  std::vector<std::int32_t> m_pool;
  std::vector<std::int32_t> m_cap;
};
