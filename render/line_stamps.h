// The pixels of short lines, kept as offsets from the start pixel for each
// step (dx, dy): dense fills are made of short stitches whose few steps
// repeat over and over, so each line costs a table look-up and its stores.
// A stamp is the line the device context would draw there; Paint may only
// be used where the whole line lies inside the clip area.
//
// Layout: one 4-byte entry per step, (2 kMaxStep + 1)^2 of them, dy major,
// naming a run of cache-line-sized blocks of 16 offsets in the pool. A block
// not filled by the line repeats its first offset (painting a pixel twice
// changes nothing); a line of up to 4 pixels uses only the first 4 offsets.
// The same blocks of m_steps hold each pixel's (x, y) from the start as two
// bytes, for lines that the clip area cuts.
//
// The stamps of a pen width and row stride outlive the device context that
// made them (Shared): the window repaints the same frame with the same pen
// over and over. Each thread keeps the last kKept sets, each with at most
// one stamp per step and kPoolLimit blocks (4 MB) of offsets.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CLineStamps {
 public:
  static constexpr int kMaxStep = 48;
  static constexpr int kMaxWidth = 8;  // wider pens draw row by row

  // The stamps of pens of penPixels pixels (1: the thin line, up to
  // kMaxWidth: the round-capped stroke) into rows stride pixels apart.
  static std::shared_ptr<CLineStamps> Shared(int penPixels, std::int64_t stride);
  CLineStamps(int penPixels, std::int64_t stride);
  bool Fits(int penPixels, std::int64_t stride) const {
    return penPixels == m_nPenPixels && stride == m_stride;
  }

  // Paints the line from p by (dx, dy), |dx|, |dy| <= kMaxStep; false when
  // the stamp cannot be kept (the pool is full), and nothing was painted.
  [[gnu::always_inline]] bool Paint(std::uint32_t* p, std::int64_t dx, std::int64_t dy,
                                    std::uint32_t rgb) {
    const std::size_t at = Index(dx, dy);
    Entry e = m_index[at];
    if (e.kind == kUnbuilt) {
      if (!Build(at, dx, dy)) return false;
      e = m_index[at];
    }
    // Fixed runs of stores rather than a loop whose length changes from
    // line to line: a mispredicted loop end costs more than a few stores.
    const CBlock* block = m_pool.data() + e.firstBlock;
    if (e.kind == kShort) {
      Store<4>(p, block->at, rgb);
    } else if (e.kind == kBlocks) {
      for (int k = 0; k < e.blocks; ++k) Store<16>(p, block[k].at, rgb);
    }
    return true;
  }
  // visit(x, y) for each pixel of the line from (0, 0) by (dx, dy), |dx|,
  // |dy| <= kMaxStep (a pixel may come more than once); false as for Paint.
  template <typename Visit>
  bool ForEachPixel(std::int64_t dx, std::int64_t dy, Visit&& visit) {
    const std::size_t at = Index(dx, dy);
    if (m_index[at].kind == kUnbuilt && !Build(at, dx, dy)) return false;
    const Entry e = m_index[at];
    if (e.kind == kEmpty) return true;
    const int perBlock = e.kind == kShort ? 4 : 16;
    for (int b = e.firstBlock; b < e.firstBlock + e.blocks; ++b)
      for (int i = 0; i < perBlock; ++i)
        visit((m_steps[b][i] & 0xFF) - 128, (m_steps[b][i] >> 8) - 128);
    return true;
  }
  // The same, painting only the pixels inside [left, right) x [top, bottom)
  // for a line from (x0, y0).
  bool PaintClipped(std::uint32_t* pixels, std::int64_t x0, std::int64_t y0, std::int64_t dx,
                    std::int64_t dy, std::uint32_t rgb, std::int64_t left, std::int64_t top,
                    std::int64_t right, std::int64_t bottom);

 private:
  struct alignas(64) CBlock {
    std::int32_t at[16];
  };
  enum : std::uint8_t { kUnbuilt, kEmpty, kShort, kBlocks };
  struct Entry {
    std::uint16_t firstBlock = 0;
    std::uint8_t blocks = 0;
    std::uint8_t kind = kUnbuilt;
  };
  static constexpr std::size_t kKept = 4;
  static constexpr int kSide = 2 * kMaxStep + 1;
  static std::size_t Index(std::int64_t dx, std::int64_t dy) {
    return static_cast<std::size_t>((dy + kMaxStep) * kSide + (dx + kMaxStep));
  }
  static constexpr std::size_t kPoolLimit = 65535;  // blocks: 4 MB of offsets

  // Offsets loaded before their stores: a store may alias the pool (int32),
  // so a load after it would wait for it.
  template <int N>
  [[gnu::always_inline]] static void Store(std::uint32_t* p, const std::int32_t* o,
                                           std::uint32_t rgb) {
#pragma GCC unroll 16
    for (int i = 0; i < N; i += 4) {
      const std::int32_t o0 = o[i], o1 = o[i + 1], o2 = o[i + 2], o3 = o[i + 3];
      p[o0] = rgb;
      p[o1] = rgb;
      p[o2] = rgb;
      p[o3] = rgb;
    }
  }
  bool Build(std::size_t at, std::int64_t dx, std::int64_t dy);

  int m_nPenPixels = 1;
  std::int64_t m_stride = 0;
  bool m_bFull = false;  // the pool reached kPoolLimit: no more stamps
  std::vector<Entry> m_index;
  std::vector<CBlock> m_pool;
  std::vector<std::array<std::uint16_t, 16>> m_steps;  // x + 128 low byte, y + 128 high
  std::vector<std::int32_t> m_cap;
  std::vector<std::array<std::int32_t, 2>> m_scratch;  // (x, y) of the stamp being built
};
