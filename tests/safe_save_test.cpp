// The one safe save path of this machine's files, both ways it writes: an
// unnamed file linked into place (where the file system has them) and the
// hidden temporary file renamed over the target (elsewhere). Whatever ends
// the program while it writes, no temporary file stays and the old file
// is whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/posix/posix_files.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const Bytes kOld{'a', 'l', 't'};
const Bytes kNew(64 << 10, 0x5A);

// The names in the folder.
std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool FolderHasUnnamedFiles(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Saves kNew to target in a child process that sig ends in the middle of
// the write.
int SaveEndedBy(IFileSystem& files, const std::string& target, int sig) {
  return RunEndedMidWrite(sig, [&] {
    try {
      files.WriteWholeFile(target, kNew.data(), kNew.size());
    } catch (...) {
    }
  });
}

class SafeSaveTest : public ::testing::TestWithParam<bool> {
 protected:
  IFileSystem& Files() { return GetParam() ? PosixFileSystem() : PosixFileSystemWithNamedTemp(); }
  TempDir dir;
};

}  // namespace

TEST_P(SafeSaveTest, ReplacesWholeAndKeepsPermissionsAndLinks) {
  const std::string target = dir.Write("ziel.dst", kOld);
  ::chmod(target.c_str(), 0640);
  fs::create_symlink(target, dir.path() / "verweis.dst");
  Files().WriteWholeFile((dir.path() / "verweis.dst").string(), kNew.data(), kNew.size());
  EXPECT_EQ(ReadFileBytes(target), kNew);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "verweis.dst"));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // A new file gets the mode a plain create under the umask gives.
  const mode_t mask = ::umask(027);
  Files().WriteWholeFileUnsynced((dir.path() / "neu.dst").string(), kOld.data(), kOld.size());
  ::umask(mask);
  ASSERT_EQ(::stat((dir.path() / "neu.dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFileBytes(dir.path() / "neu.dst"), kOld);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"neu.dst", "verweis.dst", "ziel.dst"}));
}

// Every signal that ends the program removes the temporary file first; the
// program still ends by that signal.
TEST_P(SafeSaveTest, EndingSignalsLeaveNoTemporaryFile) {
  const std::string target = dir.Write("alt.dst", kOld);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGVTALRM, SIGPROF,
                  SIGXCPU, SIGABRT, SIGRTMIN + 3}) {
    const int status = SaveEndedBy(Files(), target, sig);
    ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << sig << ", status " << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"alt.dst"}) << "signal " << sig;
    EXPECT_EQ(ReadFileBytes(target), kOld);
  }
  // A signal the program ignores stays ignored: the save completes.
  std::signal(SIGUSR1, SIG_IGN);
  const int status = SaveEndedBy(Files(), target, SIGUSR1);
  std::signal(SIGUSR1, SIG_DFL);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"alt.dst"});
}

INSTANTIATE_TEST_SUITE_P(Paths, SafeSaveTest, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Unnamed" : "Named"); });

// SIGKILL cannot be caught: only a file without a name leaves nothing.
TEST(SafeSaveKillTest, KilledSaveLeavesNothingWhereTheFileSystemHasUnnamedFiles) {
  TempDir dir;
  if (!FolderHasUnnamedFiles(dir.path())) GTEST_SKIP() << "no O_TMPFILE on " << dir.path();
  const std::string target = dir.Write("alt.dst", kOld);
  const int status = SaveEndedBy(PosixFileSystem(), target, SIGKILL);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"alt.dst"});
  EXPECT_EQ(ReadFileBytes(target), kOld);
  // A new file: killed before it is complete, it does not appear at all.
  EXPECT_TRUE(WIFSIGNALED(SaveEndedBy(PosixFileSystem(), (dir.path() / "neu.dst").string(), SIGKILL)));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"alt.dst"});
}
