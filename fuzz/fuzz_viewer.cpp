#include "fuzz/fuzz_viewer.h"

#include <algorithm>
#include <cstring>

const char* const kFuzzExtensions[5] = {"pes", "pec", "dst", "pcs", "sew"};

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
  std::vector<std::uint8_t> m_bytes;  // a copy: the file may be replaced while open
  std::size_t m_pos = 0;
};

}  // namespace

const std::vector<std::uint8_t>* CMemoryFiles::Find(const std::string& path) const {
  const auto it = m_files.find(path);
  return it == m_files.end() ? nullptr : &it->second;
}

std::unique_ptr<CInputFile> CMemoryFiles::OpenForRead(const std::string& path) {
  const auto* bytes = Find(path);
  if (!bytes) throw CFileException{FileCause::fileNotFound, path};
  return std::make_unique<CMemoryInputFile>(*bytes);
}

CFuzzViewer::CFuzzViewer(bool paint) {
  platform.files = &files;
  platform.paintOnRepaint = paint;
  platform.Create(dlg);
}

LoadOutcome CFuzzViewer::Load(const std::uint8_t* data, std::size_t size, const std::string& name) {
  const std::string path = "/fuzz/" + name;
  files.Put(path, data, size);
  platform.openAnswers.push_back({path, name});
  dlg.OnBrowse();
  files.Remove(path);
  return dlg.LastLoadOutcome();
}
