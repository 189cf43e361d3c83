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
