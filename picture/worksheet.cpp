// Page 1, top to bottom: the title, seven lines of facts, the scale line,
// the picture with its centre cross, the scale bar, then the colour
// sequence; later pages repeat the title line and the list's head.
#include "picture/worksheet.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cctype>

#include "picture/cairo_output.h"
#include "picture/design_drawing.h"
#include "picture/worksheet_text.h"

namespace {

constexpr const char* kFont = "DejaVu Sans";
constexpr double kBody = 10, kHeading = 12, kTitle = 16;
constexpr double kLine = 14;       // between lines of the facts
constexpr double kRow = 16;        // between rows of the colour list
constexpr double kCrossReach = 6 * 72 / 25.4;  // the cross beyond the design, 6 mm
// Room kept below the picture on page 1: the scale bar, the list's heading,
// its head row and three rows, so that a large design leaves the list a start.
constexpr double kBelowPicture = 28 + kLine + kRow * 4;

// The columns of the colour list.
constexpr double kStepRight = 34, kSwatchLeft = 46, kSwatchWidth = 26, kThreadLeft = 84;

// Draws text with its baseline at y, starting at x (or ending there when
// right), cut with an ellipsis where it would be wider than maxWidth.
void Text(cairo_t* cr, double x, double y, const std::string& text, double size, bool bold = false,
          bool right = false, double maxWidth = 0) {
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_set_source_rgb(cr, 0, 0, 0);
  std::string shown = text;
  cairo_text_extents_t extents;
  cairo_text_extents(cr, shown.c_str(), &extents);
  if (maxWidth > 0 && extents.x_advance > maxWidth) {
    while (!shown.empty() && extents.x_advance > maxWidth) {
      // Drop the last character (with its UTF-8 continuation bytes).
      do shown.pop_back();
      while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xC0) == 0x80);
      const std::string trial = shown + "\xE2\x80\xA6";
      cairo_text_extents(cr, trial.c_str(), &extents);
    }
    shown += "\xE2\x80\xA6";
  }
  cairo_move_to(cr, right ? x - extents.x_advance : x, y);
  cairo_show_text(cr, shown.c_str());
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double width) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_stroke(cr);
}

class CSheet {
 public:
  CSheet(cairo_t* cr, const CDesign& design, const CWorksheetRequest& request)
      : m_cr(cr), m_design(design), m_request(request), m_paper(PaperSize(request.paper)),
        m_facts(SheetFacts(design)) {}

  void Write() {
    double y = Facts();
    y = Picture(y);
    List(y);
  }

 private:
  double Left() const { return kSheetMarginPt; }
  double Right() const { return m_paper.width - kSheetMarginPt; }
  double Bottom() const { return m_paper.height - kSheetMarginPt; }

  // The title and the facts; returns where the picture may begin.
  double Facts() {
    double y = kSheetMarginPt + kTitle;
    Text(m_cr, Left(), y, Utf8Text(m_request.fileName), kTitle, true, false, Right() - Left());
    y += kTitle / 2;
    const long long changes = std::max<long long>(0, m_facts.steps - 1);
    std::string stitches = CountText(m_facts.stitches);
    if (m_facts.moves > 0) stitches += " (dazu " + CountText(m_facts.moves) + " Spr\xC3\xBCnge)";
    const std::string lines[] = {
        "Format: " + Utf8Text(m_request.formatTitle),
        "Breite: " + LengthText(m_facts.widthUnits),
        "H\xC3\xB6he: " + LengthText(m_facts.heightUnits),
        "Stiche: " + stitches,
        "Farben: " + CountText(m_facts.steps),
        "Farbwechsel: " + CountText(changes),
        "Gesch\xC3\xA4tzte N\xC3\xA4hzeit: " + SewingTimeText(m_facts),
    };
    for (const std::string& line : lines) {
      y += kLine;
      Text(m_cr, Left(), y, line, kBody, false, false, Right() - Left());
    }
    return y + kLine / 2;
  }

  // The scale line, the picture, its cross and the scale bar; returns
  // where the list may begin.
  double Picture(double top) {
    const CSewnExtent extent = SewnExtent(m_design);
    if (extent.Empty()) {
      Text(m_cr, Left(), top + kLine, "Das Muster enth\xC3\xA4lt keine Stiche.", kBody);
      return top + 2 * kLine;
    }
    const double boxTop = top + kLine + 6;
    const double scale = SheetScale(extent.Width(), extent.Height(), Right() - Left(),
                                    std::max(1.0, Bottom() - boxTop - kBelowPicture));
    Text(m_cr, Left(), top + kLine, ScaleText(scale), kBody);
    const double perUnit = kPointsPerUnit * scale;
    const double half = kThreadWidthUnits / 2 * perUnit;  // a line reaches this past the extent
    const double width = extent.Width() * perUnit, height = extent.Height() * perUnit;
    const double left = (Left() + Right()) / 2 - width / 2, drawTop = boxTop + half;

    cairo_save(m_cr);
    cairo_translate(m_cr, left, drawTop);
    cairo_scale(m_cr, perUnit, perUnit);
    cairo_translate(m_cr, -extent.minX, -extent.minY);
    DrawDesign(m_cr, m_design, extent, {});
    cairo_restore(m_cr);

    // The centre cross, for placing the hoop: through the middle of the
    // design, reaching a little past it on every side.
    const double cx = left + width / 2, cy = drawTop + height / 2;
    const double reach = half + kCrossReach;
    Line(m_cr, std::max(Left(), left - reach), cy, std::min(Right(), left + width + reach), cy, 0.5);
    Line(m_cr, cx, std::max(boxTop, drawTop - reach), cx, drawTop + height + reach, 0.5);

    // 10 mm on the design's scale, with end ticks.
    const double barY = drawTop + height + reach + 12, barLength = 100 * perUnit;
    Line(m_cr, Left(), barY, Left() + barLength, barY, 1.5);
    Line(m_cr, Left(), barY - 4, Left(), barY + 4, 0.75);
    Line(m_cr, Left() + barLength, barY - 4, Left() + barLength, barY + 4, 0.75);
    Text(m_cr, Left() + barLength + 6, barY + 3.5, "10 mm", kBody);
    return barY + 12;
  }

  void ListHead(double& y) {
    y += kRow;
    Text(m_cr, Left() + kStepRight, y, "Schritt", kBody, true, true);
    Text(m_cr, Left() + kSwatchLeft, y, "Farbe", kBody, true);
    Text(m_cr, Left() + kThreadLeft, y, "Garn", kBody, true);
    Text(m_cr, Right(), y, "Stiche", kBody, true, true);
  }

  // Starts a further page when the next row would not fit on this one.
  void MakeRoom(double& y) {
    if (y + kRow <= Bottom()) return;
    cairo_show_page(m_cr);
    y = kSheetMarginPt + kHeading;
    Text(m_cr, Left(), y, Utf8Text(m_request.fileName) + " \xE2\x80\x93 Farbfolge (Fortsetzung)", kHeading,
         true, false, Right() - Left());
    ListHead(y);
  }

  void List(double y) {
    y += kHeading;
    if (y + 2 * kRow > Bottom()) {  // no room for a row: all of it on the next page
      cairo_show_page(m_cr);
      y = kSheetMarginPt + kHeading;
    }
    Text(m_cr, Left(), y, "Farbfolge", kHeading, true);
    ListHead(y);
    const double numberWidth = 70;
    for (std::size_t k = 0; k < m_facts.listed.size(); ++k) {
      const CSheetStep& step = m_facts.listed[k];
      MakeRoom(y);
      y += kRow;
      Text(m_cr, Left() + kStepRight, y, std::to_string(k + 1), kBody, false, true);
      Swatch(Left() + kSwatchLeft, y - 9, step.color);
      Text(m_cr, Left() + kThreadLeft, y, step.thread, kBody, false, false,
           Right() - numberWidth - (Left() + kThreadLeft));
      Text(m_cr, Right(), y, CountText(step.stitches), kBody, false, true);
    }
    if (m_facts.steps > static_cast<long long>(m_facts.listed.size())) {
      MakeRoom(y);
      y += kRow;
      Text(m_cr, Left() + kThreadLeft, y,
           "\xE2\x80\xA6 und " + CountText(m_facts.steps - static_cast<long long>(m_facts.listed.size())) +
               " weitere Schritte",
           kBody);
    }
  }

  // The thread's colour with a thin grey outline, so that white shows.
  void Swatch(double x, double y, COLORREF color) {
    cairo_rectangle(m_cr, x, y, kSwatchWidth, 10);
    cairo_set_source_rgb(m_cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
    cairo_fill_preserve(m_cr);
    cairo_set_source_rgb(m_cr, 0.4, 0.4, 0.4);
    cairo_set_line_width(m_cr, 0.5);
    cairo_stroke(m_cr);
  }

  cairo_t* m_cr;
  const CDesign& m_design;
  const CWorksheetRequest& m_request;
  CPaperSize m_paper;
  CSheetFacts m_facts;
};

}  // namespace

CPaperSize PaperSize(Paper paper) {
  if (paper == Paper::letter) return {8.5 * 72, 11 * 72};
  return {210 * 72 / 25.4, 297 * 72 / 25.4};
}

bool ParsePaper(const std::string& text, Paper& paper) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "a4") paper = Paper::a4;
  else if (lower == "letter") paper = Paper::letter;
  else return false;
  return true;
}

double SheetScale(int widthUnits, int heightUnits, double width, double height) {
  // The lines reach half a thread past the extent on every side.
  const double drawnWidth = (widthUnits + kThreadWidthUnits) * kPointsPerUnit;
  const double drawnHeight = (heightUnits + kThreadWidthUnits) * kPointsPerUnit;
  return std::min({1.0, width / drawnWidth, height / drawnHeight});
}

std::vector<std::uint8_t> WorksheetPdf(const CDesign& design, const CWorksheetRequest& request) {
  const CPaperSize paper = PaperSize(request.paper);
  CByteSink sink;
  CSurfaceHolder surface{cairo_pdf_surface_create_for_stream(CByteSink::Write, &sink, paper.width, paper.height)};
  ThrowIfFailed(cairo_surface_status(surface.surface));
  const std::string title = "Arbeitsblatt " + Utf8Text(request.fileName);
  cairo_pdf_surface_set_metadata(surface.surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface.surface, CAIRO_PDF_METADATA_CREATOR, "Nadelwerk");
  {
    CContextHolder cr{cairo_create(surface.surface)};
    CSheet(cr.cr, design, request).Write();
    ThrowIfFailed(cairo_status(cr.cr));
  }
  FinishSurface(surface.surface);
  return std::move(sink.bytes);
}
