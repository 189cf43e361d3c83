// Shared helpers of the tests: a headless viewer, byte builders for fixture
// files, temporary folders and the optional corpus of real design files.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/viewer_dlg.h"
#include "platform/headless/headless_viewer.h"

using Bytes = std::vector<std::uint8_t>;

// Builds a file byte by byte; multi-byte values little-endian.
class ByteBuilder {
 public:
  ByteBuilder& u8(unsigned v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  ByteBuilder& bytes(std::initializer_list<unsigned> values) {
    for (unsigned v : values) u8(v);
    return *this;
  }
  ByteBuilder& u16le(unsigned v) { return u8(v).u8(v >> 8); }
  ByteBuilder& u24le(unsigned v) { return u8(v).u8(v >> 8).u8(v >> 16); }
  ByteBuilder& s32le(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return u8(u).u8(u >> 8).u8(u >> 16).u8(u >> 24);
  }
  // Big-endian, as VP3 stores its numbers.
  ByteBuilder& u16be(unsigned v) { return u8(v >> 8).u8(v); }
  ByteBuilder& s32be(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return u8(u >> 24).u8(u >> 16).u8(u >> 8).u8(u);
  }
  ByteBuilder& text(const std::string& s) {
    for (char c : s) u8(static_cast<unsigned char>(c));
    return *this;
  }
  ByteBuilder& fill(std::size_t count, unsigned v = 0) {
    m_bytes.insert(m_bytes.end(), count, static_cast<std::uint8_t>(v));
    return *this;
  }
  // Pads with zeros up to the given length.
  ByteBuilder& padTo(std::size_t length, unsigned v = 0) {
    if (m_bytes.size() < length) fill(length - m_bytes.size(), v);
    return *this;
  }
  // Overwrites four bytes at an absolute offset with v, big-endian.
  ByteBuilder& put32be(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) put(offset + static_cast<std::size_t>(i), v >> (24 - 8 * i));
    return *this;
  }
  // Overwrites one byte at an absolute offset, growing the file if needed.
  ByteBuilder& put(std::size_t offset, unsigned v) {
    padTo(offset + 1);
    m_bytes[offset] = static_cast<std::uint8_t>(v);
    return *this;
  }
  std::size_t size() const { return m_bytes.size(); }
  const Bytes& data() const { return m_bytes; }
  operator const Bytes&() const { return m_bytes; }

 private:
  Bytes m_bytes;
};

struct Record {
  int x;
  int y;
  int kind;
  bool operator==(const Record&) const = default;
};
void PrintTo(const Record& r, std::ostream* os);

// How many stitch, move and colour-change records a list holds.
struct KindCounts {
  int stitches = 0, moves = 0, colors = 0;
  bool operator==(const KindCounts&) const = default;
};
void PrintTo(const KindCounts& c, std::ostream* os);
KindCounts CountKinds(const std::vector<Record>& records);

struct Bounds {
  int minX, maxX, minY, maxY;
  bool operator==(const Bounds&) const = default;
};
void PrintTo(const Bounds& b, std::ostream* os);
Bounds BoundsOf(const CViewerDlg& dlg);

// The headless viewer, initialised as at start-up, on this machine's files.
class ViewerTest : public ::testing::Test, protected CHeadlessViewer {
 protected:
  // Loads bytes through the load sequence as a file whose extension selects
  // the given reader.
  void Read(const char* format, const Bytes& bytes);
  // The format's reader on bytes, as the load runs it but without looking
  // at what the bytes are first: what a reader makes of a file the load
  // would report as holding no design.
  void ReadDirectly(const char* format, const Bytes& bytes);
  // A loaded design built with the reader operations from absolute positions:
  // KIND_COLOR records become colour changes, KIND_MOVE moves, the rest stitches.
  void LoadDesign(const std::vector<Record>& records, int format);
  // The five information texts, 1044 to 1015 in the dialog's order.
  std::vector<std::string> InfoTexts() {
    std::vector<std::string> texts;
    for (int id : kInfoFieldIds) texts.push_back(Info(id));
    return texts;
  }
  // Records from 0 up to and including the end record.
  std::vector<Record> Records() const;
  // The records a reader decoded: those after its `leading` records at the
  // origin (record 0, and record 1 for every reader but PCS), without the
  // end record that must close them.
  std::vector<Record> DecodedAfter(std::size_t leading) const;
};

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return m_path; }
  std::string Write(const std::string& name, const Bytes& bytes) const;

 private:
  std::filesystem::path m_path;
};

Bytes ReadFileBytes(const std::filesystem::path& path);

// Runs save in a child process that sig ends in the middle of its first
// write past 4 KiB (a file size limit stops the write there, and the
// limit's own signal raises sig; no core file). Returns the child's wait
// status.
int RunEndedMidWrite(int sig, const std::function<void()>& save);

// Files of the shared corpus folder with the given extension (lower case,
// without dot); empty when the corpus is absent.
std::vector<std::filesystem::path> CorpusFiles(const std::string& extension);
// Skips the current test when the corpus is absent.
#define SKIP_WITHOUT_CORPUS(files)                                   \
  if ((files).empty()) GTEST_SKIP() << "corpus folder not present"
