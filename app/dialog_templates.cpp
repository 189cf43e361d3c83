#include "app/dialog_templates.h"

#include <cstdint>

#include "app/resource.h"
#include "design/info_text.h"
#include "framework/version.h"
#include "framework/win_types.h"

namespace {

constexpr unsigned kReadOnlyEdit = STYLE_READONLY | STYLE_AUTOHSCROLL | STYLE_BORDER | STYLE_TABSTOP;

constexpr ControlTemplate kMainControls[] = {
    {IDOK, ControlKind::defPushButton, "&Beenden", 25, 32, 55, 20, STYLE_TABSTOP},
    {-1, ControlKind::groupBox, " File ausw\xC3\xA4hlen ", 5, 0, 95, 25, STYLE_NONE},
    {IDC_FILENAME, ControlKind::edit, "", 8, 10, 59, 12, kReadOnlyEdit},
    {IDC_BROWSE, ControlKind::pushButton, "&Auswahl", 67, 10, 30, 11, STYLE_TABSTOP},
    {-1, ControlKind::groupBox, " Zoom ", 105, 0, 40, 65, STYLE_NONE},
    {IDC_ZOOM100, ControlKind::radioButton, "100%", 110, 10, 30, 10, STYLE_GROUP | STYLE_TABSTOP},
    {IDC_ZOOM125, ControlKind::radioButton, "125%", 110, 20, 33, 10, STYLE_NONE},
    {IDC_ZOOM150, ControlKind::radioButton, "150%", 110, 30, 30, 10, STYLE_NONE},
    {IDC_ZOOM200, ControlKind::radioButton, "200%", 110, 40, 30, 10, STYLE_NONE},
    {IDC_ZOOM300, ControlKind::radioButton, "300%", 110, 50, 30, 10, STYLE_NONE},
    {-1, ControlKind::groupBox, " Designinformationen ", 5, 95, 135, 87, STYLE_NONE},
    {IDC_INFO_COLORS, ControlKind::edit, "", 10, 122, 60, 12, kReadOnlyEdit},
    {IDC_INFO_WIDTH, ControlKind::edit, "", 10, 137, 60, 12, kReadOnlyEdit},
    {IDC_INFO_HEIGHT, ControlKind::edit, "", 10, 152, 60, 12, kReadOnlyEdit},
    {IDC_THUMBNAIL, ControlKind::blackFrame, "", 75, 107, 60, 50, STYLE_SUNKEN},
    {IDC_VSCROLL, ControlKind::vScrollBar, "", 150, 5, 8, 165, STYLE_NONE},
    {IDC_PREVIEW, ControlKind::whiteRect, "", 160, 5, 150, 165, STYLE_NONE},
    {IDC_HSCROLL, ControlKind::hScrollBar, "", 160, 175, 150, 8, STYLE_NONE},
    {IDC_INFO_FORMAT, ControlKind::edit, "", 10, 107, 60, 12, kReadOnlyEdit},
    {IDC_INFO_STITCHES, ControlKind::edit, "", 10, 167, 60, 12, kReadOnlyEdit},
    {-1, ControlKind::staticText, "Pixelgrafik", 75, 162, 60, 13,
     STYLE_CENTER | STYLE_SUNKEN | STYLE_BORDER},
    {IDC_SAVE_DST, ControlKind::pushButton, "&Tajima", 9, 70, 41, 15, STYLE_TABSTOP},
    {-1, ControlKind::groupBox, " Speichern als ", 5, 60, 101, 30, STYLE_NONE},
    {IDC_SAVE_PCS, ControlKind::pushButton, "&Pfaff", 58, 70, 43, 15, STYLE_TABSTOP},
    {IDC_ROTATE, ControlKind::pushButton, "&Rotieren", 111, 70, 34, 17, STYLE_TABSTOP},
};

constexpr ControlTemplate kAboutControls[] = {
    {-1, ControlKind::staticIcon, "", 5, 5, 20, 20, STYLE_NONE},
    {-1, ControlKind::staticText, "Nadelwerk Version " NADELWERK_VERSION, 40, 6, 72, 8, STYLE_NOPREFIX},
    {-1, ControlKind::staticText, "Betrachter und Konverter f\xC3\xBCr Stickdateien", 40, 18, 135, 8,
     STYLE_NOPREFIX},
    {-1, ControlKind::staticText, "Liest PES, PEC, DST, PCS und SEW; schreibt DST und PCS", 40, 30,
     190, 8, STYLE_NOPREFIX},
    {-1, ControlKind::staticText, "Freie Weitergabe erlaubt, ohne Gew\xC3\xA4hr", 40, 42, 135, 8,
     STYLE_NOPREFIX},
    {-1, ControlKind::staticText, "Fragen und Fehlerberichte an die Nadelwerk-Entwickler", 40, 54,
     190, 8, STYLE_NOPREFIX},
    {IDOK, ControlKind::defPushButton, "OK", 180, 5, 50, 14, STYLE_GROUP | STYLE_TABSTOP},
};

constexpr DialogTemplate kMainDialog{IDD_MAIN, "Nadelwerk", "MS Sans Serif", 10, 314, 186,
                                     kMainControls};
constexpr DialogTemplate kAboutDialog{IDD_ABOUTBOX, "Info \xC3\xBC" "ber Nadelwerk", "MS Sans Serif",
                                      8, 237, 76, kAboutControls};

}  // namespace

const DialogTemplate& MainDialogTemplate() { return kMainDialog; }
const DialogTemplate& AboutDialogTemplate() { return kAboutDialog; }

std::string LoadResourceString(int id) {
  if (id == IDS_ABOUTBOX) return "Inf&o \xC3\xBC" "ber Nadelwerk...";
  return {};
}

std::vector<std::string> WidestControlTexts(int id) {
  // A size spans at most the 16-bit coordinate range; counts are given seven
  // digits, more than any design a machine takes.
  constexpr std::int32_t kLargestSize = 65535;
  constexpr int kLargestCount = 9999999;
  switch (id) {
    case IDC_INFO_FORMAT:  // the readers' format and version names
      return {"PE-DESIGN 5.0", "JANOME-SEW", "PFAFF-PCS", "TAJIMA", "unbekannt"};
    case IDC_INFO_COLORS:
      return {ColorsText(kLargestCount), PesColorsText(kLargestCount), PartsText(kLargestCount)};
    case IDC_INFO_WIDTH:
      return {WidthText(kLargestSize), UnknownWidthText()};
    case IDC_INFO_HEIGHT:
      return {HeightText(kLargestSize), UnknownHeightText()};
    case IDC_INFO_STITCHES:
      return {StitchesText(kLargestCount)};
    default:
      return {};
  }
}
