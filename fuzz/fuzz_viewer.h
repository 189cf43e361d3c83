// A viewer dialog for the fuzz targets and the corpus sweep: a headless
// platform whose files live in memory, so every input goes the user's way
// (the open dialog's answer, LoadFile, the reader the name selects,
// PublishDesign) without touching the disk.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/headless_platform.h"
#include "app/viewer_dlg.h"

class CMemoryFiles : public IFileSystem {
 public:
  void Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    m_files[path].assign(data, data + size);
  }
  // nullptr when no such file was put or written.
  const std::vector<std::uint8_t>* Find(const std::string& path) const;
  void Remove(const std::string& path) { m_files.erase(path); }

  std::unique_ptr<CInputFile> OpenForRead(const std::string& path) override;
  void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) override {
    Put(path, data, size);
  }

 private:
  std::map<std::string, std::vector<std::uint8_t>> m_files;
};

class CFuzzViewer {
 public:
  // paint: run the paint handler on every repaint, as the window does.
  explicit CFuzzViewer(bool paint = false);

  // Chooses the bytes as a file named name in the open dialog (so name
  // selects the reader) and returns how the load ended.
  LoadOutcome Load(const std::uint8_t* data, std::size_t size, const std::string& name);
  LoadOutcome Load(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    return Load(bytes.data(), bytes.size(), name);
  }

  CMemoryFiles files;
  CHeadlessPlatform platform;
  CViewerDlg dlg{platform};
};

// Extensions of the five readers, in the order of the reader table.
extern const char* const kFuzzExtensions[5];
