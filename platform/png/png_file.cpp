#include "platform/png/png_file.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <new>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  bool full = false;
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    full = true;
  }
  // libpng's own way out, to the setjmp below; outside the handler, which a
  // jump would never finish.
  if (full) png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

}  // namespace

std::vector<std::uint8_t> EncodePng(const CPixelBuffer& pixels, const PngOptions& options) {
  std::vector<std::uint8_t> out;
  if (pixels.width <= 0 || pixels.height <= 0) return out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return out;
  png_infop info = png_create_info_struct(png);
  const int channels = options.alpha ? 4 : 3;
  std::vector<png_byte> row(static_cast<std::size_t>(pixels.width) * channels);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width),
               static_cast<png_uint_32>(pixels.height), 8,
               options.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, options.compression);
  if (options.compression >= 1 && options.compression <= 3) {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_strategy(png, Z_RLE);
  }
  png_write_info(png, info);
  for (int y = 0; y < pixels.height; ++y) {
    const std::uint32_t* from = pixels.pixels.data() + static_cast<std::size_t>(y) * pixels.width;
    png_byte* to = row.data();
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t p = from[x];
      *to++ = static_cast<png_byte>(p >> 16);
      *to++ = static_cast<png_byte>(p >> 8);
      *to++ = static_cast<png_byte>(p);
      if (options.alpha) *to++ = static_cast<png_byte>(0xFF - (p >> 24));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

void WritePngFile(IFileSystem& files, const std::string& path, const CPixelBuffer& pixels,
                  const PngOptions& options) {
  const std::vector<std::uint8_t> bytes = EncodePng(pixels, options);
  if (bytes.empty()) throw CFileException{FileCause::genericException, path};
  // A picture can be rendered again: no waiting for the disk.
  files.WriteWholeFileUnsynced(path, bytes.data(), bytes.size());
}
