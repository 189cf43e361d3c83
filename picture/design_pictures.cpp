#include "picture/design_pictures.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "picture/cairo_output.h"
#include "picture/coverage_cells.h"
#include "picture/design_drawing.h"

double ThumbnailLineWidth(int size, double unitsToPixels) {
  const double thinnest = std::max(1.0, size / 96.0);
  const double thickest = std::max(thinnest, size / 32.0);
  return std::clamp(kThreadWidthUnits * unitsToPixels, thinnest, thickest);
}

namespace {

void DrawInto(CPixelBuffer& picture, const CDesign& design, const CSewnExtent& extent, double margin,
              double scale, double lineWidth, double edgeWidth) {
  // An ARGB32 pixel is one word, so the picture's rows are cairo's stride
  // (width * 4 bytes) apart.
  CSurfaceHolder surface{cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(picture.pixels.data()), CAIRO_FORMAT_ARGB32, picture.width,
      picture.height, picture.width * 4)};
  ThrowIfFailed(cairo_surface_status(surface.surface));
  {
    CContextHolder cr{cairo_create(surface.surface)};
    cairo_translate(cr.cr, margin - extent.minX * scale, margin - extent.minY * scale);
    cairo_scale(cr.cr, scale, scale);
    // Cairo's coarser anti-aliasing (17 levels of coverage) looks the same
    // at thumbnail sizes and scans in two thirds of the time; the bound of
    // the coverage cells and the merged rows of a fill (a quarter pixel)
    // take most of the rest.
    cairo_set_antialias(cr.cr, CAIRO_ANTIALIAS_FAST);
    cairo_set_tolerance(cr.cr, kThumbnailTolerance);
    DrawDesign(cr.cr, design, extent,
               {.lineWidth = lineWidth / scale,
                .edgeWidth = edgeWidth / scale,
                .coverageBand = kPixelBand,
                .linesPerStroke = 1024,
                .mergeTolerance = 0.25 / scale});
    ThrowIfFailed(cairo_status(cr.cr));
  }
  cairo_surface_flush(surface.surface);
}

}  // namespace

bool DrawDesignThumbnail(const CDesign& design, int size, CPixelBuffer& picture) {
  picture.Resize(0, 0);
  size = std::max(size, 1);
  const CSewnExtent extent = SewnExtent(design);
  if (extent.Empty()) return false;

  // The larger span fills the picture less a margin that keeps the line
  // and a light thread's edge inside it.
  const double span = std::max(extent.Width(), extent.Height());  // > 0: a line has a length
  const double lineWidth = ThumbnailLineWidth(size, size / span);
  const double edgeWidth = std::max(1.0, lineWidth / 5);
  // At the smallest sizes the margin leaves a pixel of room: a drawing of
  // no size is no picture.
  const double margin = std::min(lineWidth / 2 + edgeWidth, (size - 1) / 2.0);
  const double scale = std::max(size - 2 * margin, 0.0) / span;
  auto pixels = [&](int units) {
    return std::clamp(static_cast<int>(std::lround(units * scale + 2 * margin)), 1, size);
  };
  const int width = pixels(extent.Width()), height = pixels(extent.Height());

  // Cairo draws into the picture's own pixels (cleared: transparent), which
  // are then made straight in place: no second picture to fill and copy.
  picture.Resize(width, height);
  try {
    DrawInto(picture, design, extent, margin, scale, lineWidth, edgeWidth);
  } catch (...) {
    picture.Resize(0, 0);
    throw;
  }
  // Cairo's pixels are premultiplied 0xAARRGGBB words.
  for (std::uint32_t& p : picture.pixels) {
    const std::uint32_t a = p >> 24;
    if (a == 0) {
      p = 0xFF000000u;
      continue;
    }
    if (a == 255) {  // opaque: the colour as it is
      p &= 0x00FFFFFFu;
      continue;
    }
    auto straight = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
    p = ((255 - a) << 24) | straight((p >> 16) & 0xFF) << 16 | straight((p >> 8) & 0xFF) << 8 |
        straight(p & 0xFF);
  }
  return true;
}

std::vector<std::uint8_t> DesignVectorPicture(const CDesign& design, VectorFormat format) {
  const CSewnExtent extent = SewnExtent(design);
  if (extent.Empty()) return {};
  CByteSink sink;
  // A straight line across one axis still gets a page a thread wide.
  const double spanX = std::max<double>(extent.Width(), kThreadWidthUnits);
  const double spanY = std::max<double>(extent.Height(), kThreadWidthUnits);
  const double width = spanX * kPointsPerUnit, height = spanY * kPointsPerUnit;
  CSurfaceHolder surface{format == VectorFormat::svg
                             ? cairo_svg_surface_create_for_stream(CByteSink::Write, &sink, width, height)
                             : cairo_pdf_surface_create_for_stream(CByteSink::Write, &sink, width, height)};
  ThrowIfFailed(cairo_surface_status(surface.surface));
  {
    CContextHolder cr{cairo_create(surface.surface)};
    cairo_scale(cr.cr, kPointsPerUnit, kPointsPerUnit);
    cairo_translate(cr.cr, (spanX - extent.Width()) / 2 - extent.minX,
                    (spanY - extent.Height()) / 2 - extent.minY);
    DrawDesign(cr.cr, design, extent, {});
    ThrowIfFailed(cairo_status(cr.cr));
  }
  FinishSurface(surface.surface);
  return std::move(sink.bytes);
}
