#include "tests/test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <algorithm>

void PrintTo(const Record& r, std::ostream* os) {
  *os << "(" << r.x << ", " << r.y << ", kind " << r.kind << ")";
}

void PrintTo(const KindCounts& c, std::ostream* os) {
  *os << c.stitches << " stitches, " << c.moves << " moves, " << c.colors << " colour changes";
}

KindCounts CountKinds(const std::vector<Record>& records) {
  KindCounts c;
  for (const Record& r : records) {
    c.stitches += r.kind == KIND_STITCH;
    c.moves += r.kind == KIND_MOVE;
    c.colors += r.kind == KIND_COLOR;
  }
  return c;
}

void ViewerTest::Read(const char* format, const Bytes& bytes) {
  ASSERT_NE(FindFormat(format), nullptr) << format;
  ASSERT_EQ(CHeadlessViewer::Load(bytes, std::string("test.") + format), LoadOutcome::loaded);
}

void ViewerTest::ReadDirectly(const char* format, const Bytes& bytes) {
  const FormatEntry* row = FindFormat(format);
  ASSERT_NE(row, nullptr) << format;
  // Exactly the file's length: a read past it is a sanitizer finding.
  dlg.m_fileData.SetSize(bytes.size());
  std::copy(bytes.begin(), bytes.end(), dlg.m_fileData.data());
  row->read(dlg, static_cast<int>(bytes.size()));
}

void ViewerTest::LoadDesign(const std::vector<Record>& records, int format) {
  dlg.BeginDesign(4);
  for (const Record& r : records) {
    const auto x = static_cast<std::int16_t>(r.x), y = static_cast<std::int16_t>(r.y);
    if (r.kind == KIND_COLOR)
      dlg.AddColorChange(x, y);
    else if (r.kind == KIND_MOVE)
      dlg.AddMove(x, y);
    else
      dlg.AddStitch(x, y);
  }
  dlg.EndDesign();
  dlg.m_bLoaded = TRUE;
  dlg.m_nFormat = static_cast<std::int16_t>(format);
}

std::vector<Record> ViewerTest::Records() const {
  std::vector<Record> out;
  for (std::size_t i = 0; i < dlg.m_arrKind.size(); ++i) {
    out.push_back({dlg.m_arrX[i], dlg.m_arrY[i], dlg.m_arrKind[i]});
    if (dlg.m_arrKind[i] == KIND_END) break;
  }
  return out;
}

std::vector<Record> ViewerTest::DecodedAfter(std::size_t leading) const {
  const std::vector<Record> all = Records();
  const Record start[] = {{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH}};
  EXPECT_LE(leading, std::size(start));
  if (leading > std::size(start) || all.size() <= leading) {
    ADD_FAILURE() << all.size() << " records, fewer than the leading ones and the end";
    return {};
  }
  EXPECT_TRUE(std::equal(all.begin(), all.begin() + static_cast<long>(leading), start))
      << "the leading records are not at the origin";
  EXPECT_EQ(all.back(), (Record{END_MARK, END_MARK, KIND_END}));
  return {all.begin() + static_cast<long>(leading), all.end() - 1};
}

void PrintTo(const Bounds& b, std::ostream* os) {
  *os << "X " << b.minX << ".." << b.maxX << ", Y " << b.minY << ".." << b.maxY;
}

Bounds BoundsOf(const CViewerDlg& dlg) { return {dlg.m_nMinX, dlg.m_nMaxX, dlg.m_nMinY, dlg.m_nMaxY}; }

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nadelwerk-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const {
  const auto file = m_path / name;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file.string();
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::filesystem::path> CorpusFiles(const std::string& extension) {
  std::vector<std::filesystem::path> files;
  const char* root = std::getenv("NADELWERK_CORPUS");
  if (!root) return files;
  const auto folder = std::filesystem::path(root) / extension;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (entry.is_regular_file() && ext == "." + extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

namespace {

int g_ending = 0;

}  // namespace

int RunEndedMidWrite(int sig, const std::function<void()>& save) {
  g_ending = sig;
  const pid_t child = ::fork();
  if (child == 0) {
    struct sigaction raiser {};
    raiser.sa_handler = [](int) { ::raise(g_ending); };
    ::sigaction(SIGXFSZ, &raiser, nullptr);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    rlimit noCore{};
    ::setrlimit(RLIMIT_CORE, &noCore);
    save();
    ::_exit(0);  // not reached when the signal ends the program
  }
  int status = 0;
  if (child > 0) ::waitpid(child, &status, 0);
  return status;
}
