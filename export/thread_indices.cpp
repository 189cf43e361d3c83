#include "export/thread_indices.h"

#include <span>

#include "design/thread_charts.h"

namespace {

constexpr int kDstFirstIndex = 2;
constexpr int kDstIndices = 60;

// What a chart of a written format allows.
struct ChartRule {
  ThreadChart chart;
  std::span<const CChartEntry> entries;
  int lastKept;     // a file's own index is kept from 1 to here
  int lastMatched;  // nearest matching picks from 1 to here
  int fallback;     // for a file's own index outside 1..lastKept
};

std::vector<std::uint8_t> BlockIndices(const CDesign& design, int firstBlock, int count,
                                       const ChartRule& rule) {
  std::vector<std::uint8_t> indices;
  indices.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  int previous = -1;
  bool previousMatched = false;
  COLORREF previousColor = 0;
  for (int j = 0; j < count; ++j) {
    const CThread thread = SourceThread(design, firstBlock + j);
    int index;
    bool matched = false;
    if (thread.chart == rule.chart) {
      index = thread.index >= 1 && thread.index <= rule.lastKept ? thread.index : rule.fallback;
    } else {
      matched = true;
      index = NearestChartIndex(rule.entries, 1, rule.lastMatched, thread.color);
      if (previousMatched && index == previous && thread.color != previousColor)
        index = NearestChartIndex(rule.entries, 1, rule.lastMatched, thread.color, previous);
    }
    indices.push_back(static_cast<std::uint8_t>(index));
    previous = index;
    previousMatched = matched;
    previousColor = thread.color;
  }
  return indices;
}

}  // namespace

CThread SourceThread(const CDesign& design, int block) {
  if (block >= 0 && static_cast<std::size_t>(block) < design.m_threads.size()) return design.m_threads[block];
  if (design.m_nFormat == FORMAT_DST && block >= 0)
    return ChartThread(ThreadChart::pec, kDstFirstIndex + block % kDstIndices);
  return BlockThread(design, block);
}

std::vector<std::uint8_t> PecBlockIndices(const CDesign& design, int firstBlock, int count) {
  // The appliqué placeholders 62..64 are no thread colour: never matched.
  return BlockIndices(design, firstBlock, count, {ThreadChart::pec, PecChart(), 64, 61, 20});
}

std::vector<std::uint8_t> JanomeBlockCodes(const CDesign& design, int firstBlock, int count) {
  return BlockIndices(design, firstBlock, count, {ThreadChart::janome, JanomeChart(), 78, 78, 1});
}
