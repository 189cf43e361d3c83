// The sewn lines come from the writers' record walk: the design's own
// records, a lead-in move to the first stitch where it lies away from the
// start, so that no line is drawn from the origin to where the design
// begins. A line is sewn from the needle's position to a stitch; moves only
// place the needle, a colour change keeps it.
#include "picture/design_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "design/thread_charts.h"
#include "export/record_walk.h"
#include "picture/coverage_cells.h"

namespace {

// Calls block() at every colour change and line(x0, y0, x1, y1) for every
// sewn line of non-zero length, in record order.
template <class OnBlock, class OnLine>
void WalkSewnLines(const CDesign& design, OnBlock block, OnLine line) {
  const CRecordWalk walk{design, /*leadInMove=*/true};
  int x = walk.StartX(), y = walk.StartY();
  walk.ForEach([&](std::int16_t nx, std::int16_t ny, std::uint8_t kind) {
    if (kind == KIND_COLOR) return block();
    if (kind == KIND_STITCH && (nx != x || ny != y)) line(x, y, nx, ny);
    x = nx;
    y = ny;
  });
}

void SetColor(cairo_t* cr, COLORREF color) {
  cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

// A straight run of lines being merged: from its first point to its last,
// and the directions from the first point that still pass within the
// tolerance of every point so far, as the cone between two unit vectors.
class CStraightRun {
 public:
  explicit CStraightRun(double tolerance) : m_tolerance(tolerance) {}

  // Starts a run with the line from (x0, y0) to (x1, y1).
  void Start(int x0, int y0, int x1, int y1) {
    m_x0 = x0;
    m_y0 = y0;
    const double qx = x1 - x0, qy = y1 - y0, d = std::sqrt(qx * qx + qy * qy);
    m_lo = {qx / d, qy / d};
    m_hi = m_lo;
    Narrow(qx, qy, d);
  }
  // Whether the run, ending at its last point, may go on to (x, y) as one
  // straight line; narrows the cone by the new point when it may.
  bool Extend(int x, int y) {
    const double qx = x - m_x0, qy = y - m_y0, d = std::sqrt(qx * qx + qy * qy);
    const bool inside = Cross(m_lo, qx, qy) >= 0 && Cross(qx, qy, m_hi) >= 0 && qx * m_lo.x + qy * m_lo.y > 0;
    if (!inside || d <= m_tolerance) return false;
    Narrow(qx, qy, d);
    return true;
  }

 private:
  struct Vec {
    double x, y;
  };
  static double Cross(const Vec& a, double x, double y) { return a.x * y - a.y * x; }
  static double Cross(double x, double y, const Vec& b) { return x * b.y - y * b.x; }

  // The directions within the tolerance of the point (qx, qy) at distance
  // d: the cone of half-angle asin(tolerance / d) around it.
  void Narrow(double qx, double qy, double d) {
    const double sin = std::min(1.0, m_tolerance / d), cos = std::sqrt(1 - sin * sin);
    const double ux = qx / d, uy = qy / d;
    const Vec lo{ux * cos + uy * sin, uy * cos - ux * sin};
    const Vec hi{ux * cos - uy * sin, uy * cos + ux * sin};
    if (Cross(m_lo, lo.x, lo.y) >= 0) m_lo = lo;
    if (Cross(hi.x, hi.y, m_hi) >= 0) m_hi = hi;
  }

  double m_tolerance;
  int m_x0 = 0, m_y0 = 0;
  Vec m_lo{1, 0}, m_hi{1, 0};
};

}  // namespace

CSewnExtent SewnExtent(const CDesign& design) {
  CSewnExtent e{INT16_MAX, INT16_MAX, INT16_MIN, INT16_MIN};
  auto add = [&e](int x, int y) {
    e.minX = std::min(e.minX, x);
    e.maxX = std::max(e.maxX, x);
    e.minY = std::min(e.minY, y);
    e.maxY = std::max(e.maxY, y);
  };
  WalkSewnLines(design, [] {}, [&](int x0, int y0, int x1, int y1) {
    add(x0, y0);
    add(x1, y1);
  });
  return e;
}

bool IsVeryLight(COLORREF color) {
  // Rec. 709 weights in ten-thousandths.
  const unsigned luminance = 2126 * GetRValue(color) + 7152 * GetGValue(color) + 722 * GetBValue(color);
  return luminance >= 10000u * 170;
}

COLORREF EdgeColor(COLORREF color) {
  auto darker = [](unsigned v) { return v * 55 / 100; };
  return RGB(darker(GetRValue(color)), darker(GetGValue(color)), darker(GetBValue(color)));
}

void DrawDesign(cairo_t* cr, const CDesign& design, const CSewnExtent& extent, const CStitchStyle& style) {
  if (extent.Empty()) return;
  CCoverageCells cells(extent.minX, extent.minY, extent.maxX, extent.maxY, style.lineWidth,
                       style.coverageBand, static_cast<std::size_t>(design.NextRecordIndex()));
  cairo_new_path(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

  // The lines of the current block that are drawn, kept until the block
  // ends so that a light thread's edge goes under all of its lines; a block
  // of more than kHeldLines is drawn in parts.
  struct Line {
    std::int16_t x0, y0, x1, y1;
  };
  constexpr std::size_t kHeldLines = std::size_t{1} << 20;
  constexpr long long kMaxStrokes = 20000;
  constexpr std::size_t kGathered = 4096;
  std::vector<Line> lines;
  CStraightRun run(style.mergeTolerance);
  int block = 0;
  COLORREF color = BlockThread(design, 0).color;  // of the held lines
  long long strokes = 0;
  auto setPen = [&](COLORREF with, double width) {
    SetColor(cr, with);
    cairo_set_line_width(cr, width);
  };
  // Round caps make a break in the path look as a join does: a line that
  // does not go on from the last one starts a new subpath.
  auto pathLines = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      const Line& l = lines[i];
      if (i == from || l.x0 != lines[i - 1].x1 || l.y0 != lines[i - 1].y1) cairo_move_to(cr, l.x0, l.y0);
      cairo_line_to(cr, l.x1, l.y1);
    }
  };
  const std::size_t part = style.linesPerStroke > 0 ? static_cast<std::size_t>(style.linesPerStroke) : kHeldLines;
  auto strokeLines = [&](COLORREF with, double width) {
    setPen(with, width);
    for (std::size_t from = 0; from < lines.size(); from += part) {
      pathLines(from, std::min(lines.size(), from + part));
      cairo_stroke(cr);
    }
  };
  auto draw = [&] {
    if (lines.empty()) return;
    if (IsVeryLight(color) && lines.size() <= part) {
      // One path for the edge and the line over it.
      pathLines(0, lines.size());
      setPen(EdgeColor(color), style.lineWidth + 2 * style.edgeWidth);
      cairo_stroke_preserve(cr);
      setPen(color, style.lineWidth);
      cairo_stroke(cr);
    } else {
      // The edge of all parts goes under the line of every part.
      if (IsVeryLight(color)) strokeLines(EdgeColor(color), style.lineWidth + 2 * style.edgeWidth);
      strokeLines(color, style.lineWidth);
    }
    lines.clear();
    ++strokes;
  };
  WalkSewnLines(
      design,
      [&] {
        const COLORREF next = BlockThread(design, ++block).color;
        // Blocks of one colour in a row are drawn as one. Past kMaxStrokes
        // (a flood of colour changes: no real design has a hundredth of
        // them, and each costs cairo a stroke) blocks are gathered into
        // runs of kGathered lines drawn in the colour of the block that
        // ends the run.
        if (next == color) return;
        if (strokes >= kMaxStrokes && lines.size() < kGathered) {
          color = next;
          return;
        }
        draw();
        color = next;
        cells.NextBlock();
      },
      [&](int x0, int y0, int x1, int y1) {
        if (cells.Covered(x0, y0, x1, y1)) return;
        cells.Mark(x0, y0, x1, y1);
        if (!lines.empty() && lines.back().x1 == x0 && lines.back().y1 == y0 && run.Extend(x1, y1)) {
          lines.back().x1 = static_cast<std::int16_t>(x1);
          lines.back().y1 = static_cast<std::int16_t>(y1);
          return;
        }
        run.Start(x0, y0, x1, y1);
        lines.push_back({static_cast<std::int16_t>(x0), static_cast<std::int16_t>(y0),
                         static_cast<std::int16_t>(x1), static_cast<std::int16_t>(y1)});
        if (lines.size() == kHeldLines) draw();
      });
  draw();
}
