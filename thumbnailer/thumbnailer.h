// nadelwerk-thumbnailer: one design file drawn as a PNG picture for a file
// manager, on the one headless viewer.
#pragma once
#include <cstdint>
#include <string>

// Hostile files are refused before they are read.
inline constexpr std::uint64_t kMaxInputBytes = std::uint64_t{32} << 20;
inline constexpr int kDefaultSize = 256;
inline constexpr int kMaxSize = 2048;

// The local path that INPUT names: a path as it is, or a file: URI
// (file:///p, file://localhost/p) with its %XX escapes decoded. False, with
// a reason, for another scheme, another host, a broken escape, or an escape
// of '/' or of a zero byte (no segment of a path holds them).
bool InputToPath(const std::string& input, std::string& path, std::string& reason);

// Loads the file at path as the window does and writes the picture of its
// design, size pixels on its larger side, as an RGBA PNG to output. False,
// with a one-line reason, when no picture was written: a new output is then
// not created; an existing one is unchanged, or left empty when writing
// the picture into it failed.
bool MakeThumbnail(const std::string& path, const std::string& output, int size,
                   std::string& reason);
