#include "picture/cairo_output.h"

#include <new>
#include <stdexcept>

cairo_status_t CByteSink::Write(void* closure, const unsigned char* data, unsigned int length) {
  try {
    static_cast<CByteSink*>(closure)->bytes.insert(static_cast<CByteSink*>(closure)->bytes.end(),
                                                   data, data + length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

void ThrowIfFailed(cairo_status_t status) {
  if (status == CAIRO_STATUS_SUCCESS) return;
  if (status == CAIRO_STATUS_NO_MEMORY || status == CAIRO_STATUS_WRITE_ERROR) throw std::bad_alloc();
  throw std::runtime_error(cairo_status_to_string(status));
}

void FinishSurface(cairo_surface_t* surface) {
  cairo_surface_finish(surface);
  ThrowIfFailed(cairo_surface_status(surface));
}
