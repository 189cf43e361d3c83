#include "platform/headless/memory_files.h"

#include <algorithm>
#include <cstring>

namespace {

class CMemoryInputFile : public CInputFile {
 public:
  explicit CMemoryInputFile(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
  std::uint64_t GetLength() override { return m_bytes.size(); }
  std::size_t Read(void* buffer, std::size_t n) override {
    const std::size_t count = std::min(n, m_bytes.size() - m_pos);
    if (count) std::memcpy(buffer, m_bytes.data() + m_pos, count);
    m_pos += count;
    return count;
  }
  void Close() override {}

 private:
  const std::vector<std::uint8_t>& m_bytes;  // the caller removes the file only after the load
  std::size_t m_pos = 0;
};

}  // namespace

const std::vector<std::uint8_t>* CMemoryFiles::Find(const std::string& path) const {
  const auto it = m_files.find(path);
  return it == m_files.end() ? nullptr : &it->second;
}

std::unique_ptr<CInputFile> CMemoryFiles::OpenForRead(const std::string& path) {
  if (const auto* bytes = Find(path)) return std::make_unique<CMemoryInputFile>(*bytes);
  if (m_disk) return m_disk->OpenForRead(path);
  throw CFileException{FileCause::fileNotFound, path};
}

void CMemoryFiles::WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  if (m_disk && !Find(path))
    m_disk->WriteWholeFile(path, data, size);
  else
    Put(path, data, size);
}

void CMemoryFiles::WriteWholeFileUnsynced(const std::string& path, const std::uint8_t* data,
                                          std::size_t size) {
  if (m_disk && !Find(path))
    m_disk->WriteWholeFileUnsynced(path, data, size);
  else
    Put(path, data, size);
}
