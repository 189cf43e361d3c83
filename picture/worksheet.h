// The worksheet that is sewn by: a PDF whose first page names the file, its
// format, size, stitches, colours and an estimated sewing time, shows the
// design at true size where it fits the printable area (scaled otherwise,
// with the scale printed) with a centre cross and a 10 mm scale bar, and
// lists the colour sequence (step, swatch, thread, stitches), continued on
// further pages where it is long. German texts, DejaVu fonts through
// fontconfig.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "design/design.h"

enum class Paper { a4, letter };

// A paper's size in points; A4 210 x 297 mm, Letter 8.5 x 11 in.
struct CPaperSize {
  double width, height;
};
CPaperSize PaperSize(Paper paper);
// "a4" or "letter", in any case.
bool ParsePaper(const std::string& text, Paper& paper);

// The printable area's margin on every side, 15 mm.
inline constexpr double kSheetMarginPt = 15 * 72 / 25.4;

struct CWorksheetRequest {
  std::string fileName;     // shown as the sheet's title
  std::string formatTitle;  // "Tajima DST"
  Paper paper = Paper::a4;
};

// The worksheet's PDF. Throws std::bad_alloc when the memory runs out,
// std::runtime_error when cairo fails otherwise.
std::vector<std::uint8_t> WorksheetPdf(const CDesign& design, const CWorksheetRequest& request);

// The scale the sheet draws the design at on paper: 1 where the drawing
// (its extent and its lines) fits width x height points, otherwise the
// largest that fits.
double SheetScale(int widthUnits, int heightUnits, double width, double height);
