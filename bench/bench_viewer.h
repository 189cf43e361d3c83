// The benchmarks' viewer: the headless viewer with its files in memory and
// no painting on repaint unless a benchmark asks for it.
#pragma once
#include "platform/headless/headless_viewer.h"

struct BenchViewer : CHeadlessViewer {
  BenchViewer() : CHeadlessViewer(kMemoryOnly) {}
};
