// The main dialog's command table: every message it handles itself. The
// platform delivers each message to CViewerDlg::OnMessage, which looks it up
// here; anything not listed goes to the framework's default handling.
#pragma once
#include <span>

#include "app/viewer_dlg.h"

struct CommandEntry {
  unsigned message;   // WM_...
  int controlId;      // WM_COMMAND: the clicked control; 0 for the other messages
  void (*handler)(CViewerDlg& dialog, const CMessage& msg);
};

std::span<const CommandEntry> ViewerCommandTable();

// The entries of the window's menu, in menu order, before the about entry:
// the system command each sends, its text, the key that runs it from
// anywhere in the window, and its handler. Another entry is one more row.
struct MenuCommandEntry {
  unsigned commandId;  // IDM_..., a multiple of 16
  const char* text;
  const char* shortcut;  // "Ctrl+S"; empty for none
  void (*handler)(CViewerDlg& dialog);
};

std::span<const MenuCommandEntry> ViewerMenuCommands();
