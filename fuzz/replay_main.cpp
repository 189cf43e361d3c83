// Replays inputs through a fuzz target without libFuzzer, so that each seed
// corpus and every saved finding also runs as an ordinary test:
//   fuzz_read_dst FILE|FOLDER...
// Folders are read one level deep, in name order; a folder that does not
// exist is reported and skipped. Fails when nothing was replayed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  // An exact-size heap copy, so that reading past the input is caught.
  auto* copy = new std::uint8_t[data.size() ? data.size() : 1];
  std::copy(data.begin(), data.end(), copy);
  LLVMFuzzerTestOneInput(copy, data.size());
  delete[] copy;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const auto& f : files) {
        Replay(f);
        ++replayed;
      }
    } else if (std::filesystem::is_regular_file(arg, ec)) {
      Replay(arg);
      ++replayed;
    } else {
      std::printf("%s: not there, skipped\n", argv[i]);
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
