// Frames and pictures as PNG files, through libpng.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/platform.h"

// The top byte of a pixel that nothing was drawn on, in a picture with a
// transparent background (the frames' own pixels keep it 0). It is the
// pixel's transparency: 0 opaque, 0xFF transparent, an anti-aliased edge
// between (its colour not premultiplied).
constexpr std::uint32_t kTransparentPixel = 0xFF000000u;

struct PngOptions {
  // 8-bit RGBA, alpha 255 less the top byte; otherwise 8-bit RGB.
  bool alpha = false;
  // zlib level 0..9. The pictures are previews to look at, not to archive:
  // at the fast levels (1 to 3) rows are stored as their difference to the
  // row above and compressed as runs, which for line drawings on a flat
  // background takes a fifth of the time of level 6 for a file a third
  // larger. From 4 on libpng's full filter search and zlib's default.
  int compression = 1;
};

// The PNG file of pixels (0x00RRGGBB); empty when libpng fails.
std::vector<std::uint8_t> EncodePng(const CPixelBuffer& pixels, const PngOptions& options = {});

// Encodes pixels and writes the file through files (a temporary file renamed
// over path only when complete, not waited for on disk). Throws
// CFileException when writing fails.
void WritePngFile(IFileSystem& files, const std::string& path, const CPixelBuffer& pixels,
                  const PngOptions& options = {});
