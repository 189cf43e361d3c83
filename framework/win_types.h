// Basic value types and message codes of the dialog framework that the viewer
// logic is written against. Nothing here depends on a toolkit.
#pragma once
#include <cstdint>

using BOOL = std::int32_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR: red in the low byte
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned GetRValue(COLORREF c) { return c & 0xFFu; }
constexpr unsigned GetGValue(COLORREF c) { return (c >> 8) & 0xFFu; }
constexpr unsigned GetBValue(COLORREF c) { return (c >> 16) & 0xFFu; }

// Window messages the main dialog handles itself (its command table).
enum WindowMessage : unsigned {
  WM_PAINT = 0x000F,
  WM_QUERYDRAGICON = 0x0037,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_HSCROLL = 0x0114,
  WM_VSCROLL = 0x0115,
  WM_DROPFILES = 0x0233,
};

constexpr unsigned BN_CLICKED = 0;

// Scroll codes of WM_HSCROLL / WM_VSCROLL.
enum ScrollCode : unsigned {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGEDOWN = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_BOTTOM = 7,
  SB_ENDSCROLL = 8,
};

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
