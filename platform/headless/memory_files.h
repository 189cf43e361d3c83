// Files held in memory: what the fuzz targets, the benchmarks and the tests
// load and save without touching the disk. Paths not held here go to the
// disk file system given, or are missing when there is none.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/platform.h"

class CMemoryFiles : public IFileSystem {
 public:
  // disk: where paths not held in memory are read and where files are
  // written; without one, writes stay in memory too.
  explicit CMemoryFiles(IFileSystem* disk = nullptr) : m_disk(disk) {}

  void Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    m_files[path].assign(data, data + size);
  }
  // nullptr when no such file was put or written here.
  const std::vector<std::uint8_t>* Find(const std::string& path) const;
  void Remove(const std::string& path) { m_files.erase(path); }

  std::unique_ptr<CInputFile> OpenForRead(const std::string& path) override;
  void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) override;
  void WriteWholeFileUnsynced(const std::string& path, const std::uint8_t* data, std::size_t size) override;

 private:
  IFileSystem* m_disk;
  std::map<std::string, std::vector<std::uint8_t>> m_files;
};
