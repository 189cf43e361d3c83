// A viewer dialog on the headless platform for the benchmarks: no painting on
// repaint unless a benchmark asks for it.
#pragma once
#include <cstdint>
#include <vector>

#include "app/headless_platform.h"
#include "app/viewer_dlg.h"

struct BenchViewer {
  CHeadlessPlatform platform;
  CViewerDlg dlg{platform};

  BenchViewer() {
    platform.paintOnRepaint = false;
    platform.Create(dlg);
  }
  // Puts a file's bytes where the load sequence puts them.
  void Load(const std::vector<std::uint8_t>& bytes) {
    dlg.m_fileData.assign(bytes.begin(), bytes.end());
    dlg.m_fileData.push_back(0);
  }
};
