// Cairo surfaces that write into memory: the vector pictures and the
// worksheet are made whole before a file is touched, so that a file is only
// ever replaced by a complete one.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <vector>

// The closure of cairo_*_surface_create_for_stream: appends what cairo
// writes to bytes.
struct CByteSink {
  std::vector<std::uint8_t> bytes;
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);
};

// Throws std::bad_alloc when cairo ran out of memory (or the sink did), and
// std::runtime_error with cairo's text for any other failure.
void ThrowIfFailed(cairo_status_t status);
// Finishes and releases the surface (and with it the last of its output).
void FinishSurface(cairo_surface_t* surface);

// Owns a surface or a context for the length of a drawing.
struct CSurfaceHolder {
  cairo_surface_t* surface;
  ~CSurfaceHolder() { cairo_surface_destroy(surface); }
};
struct CContextHolder {
  cairo_t* cr;
  ~CContextHolder() { cairo_destroy(cr); }
};
