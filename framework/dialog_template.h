// Dialog templates as data: the controls of a dialog with their kinds, texts,
// rectangles in dialog units and styles. The platforms build their windows
// (or, headless, the frame surfaces) from these; the dialogs' own templates
// are the application's.
#pragma once
#include <span>

#include "framework/platform.h"

enum class ControlKind {
  defPushButton,
  pushButton,
  groupBox,
  edit,
  radioButton,
  staticText,
  staticIcon,
  blackFrame,
  whiteRect,
  hScrollBar,
  vScrollBar,
};

enum ControlStyle : unsigned {
  STYLE_NONE = 0,
  STYLE_READONLY = 1u << 0,
  STYLE_AUTOHSCROLL = 1u << 1,
  STYLE_BORDER = 1u << 2,
  STYLE_TABSTOP = 1u << 3,
  STYLE_GROUP = 1u << 4,
  STYLE_CENTER = 1u << 5,
  STYLE_SUNKEN = 1u << 6,
  STYLE_NOPREFIX = 1u << 7,
};

struct ControlTemplate {
  int id;             // -1 for controls without an id of their own
  ControlKind kind;
  const char* text;   // UTF-8, mnemonics marked with '&'
  int x, y, cx, cy;   // dialog units
  unsigned style;
};

struct DialogTemplate {
  int id;
  const char* title;
  const char* fontName;
  int pointSize;
  int cx, cy;         // dialog units
  std::span<const ControlTemplate> controls;  // in tab order
};

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);

// Frame controls (white rectangles and black frames) show a pixel surface
// that the dialog's paint handler draws into.
inline bool IsFrameControl(ControlKind kind) {
  return kind == ControlKind::whiteRect || kind == ControlKind::blackFrame;
}

// Base units of the dialog font ("MS Sans Serif" 10 pt at 96 dpi) used where
// no real font is measured.
constexpr int kDialogBaseUnitX = 7;
constexpr int kDialogBaseUnitY = 16;

// Converts a rectangle in dialog units to pixels: x * baseX / 4, y * baseY / 8.
CRect DialogUnitsToPixels(int x, int y, int cx, int cy, int baseX = kDialogBaseUnitX,
                          int baseY = kDialogBaseUnitY);
inline CRect DialogUnitsToPixels(const ControlTemplate& c, int baseX = kDialogBaseUnitX,
                                 int baseY = kDialogBaseUnitY) {
  return DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, baseX, baseY);
}
