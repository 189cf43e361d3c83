// The memory work of loading a DST without the decoding, as a floor for
// `nadelwerk-cli info`: the file read into a new buffer, and one int16 X, one
// int16 Y and one kind byte written per record into new arrays, on the same
// memory and with the same linking as nadelwerk-cli. What this costs over
// `cat FILE` is what fresh memory costs on the machine, whatever the reader
// does.
//
//   load-floor FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/array.h"
#include "platform/posix/posix_memory.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: load-floor FILE\n", stderr);
    return 2;
  }
  SetBlockMemory(PosixBlockMemory());
  const int fd = ::open(argv[1], O_RDONLY);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  const auto len = static_cast<std::size_t>(st.st_size);
  CArray<std::uint8_t> file;
  file.SetSize(len + 1);
  std::size_t done = 0;
  while (done < len) {
    const ssize_t got = ::read(fd, file.data() + done, len - done);
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  // As the DST reader: room for len / 2 records, one written per 3 bytes.
  const std::size_t records = len > 512 ? (len - 512) / 3 + 3 : 3;
  CArray<std::int16_t> xs, ys;
  CArray<std::uint8_t> kinds;
  xs.SetSize(len / 2 > records ? len / 2 : records);
  ys.SetSize(xs.size());
  kinds.SetSize(xs.size());
  std::memset(xs.data(), 0x11, records * sizeof(std::int16_t));
  std::memset(ys.data(), 0x22, records * sizeof(std::int16_t));
  std::memset(kinds.data(), 1, records);
  std::printf("%zu bytes, %zu records\n", done, records);
  return 0;
}
