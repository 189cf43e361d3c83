// Placeholder until the preview lands.
#include "app/viewer_dlg.h"

void CViewerDlg::OnPaint() {}
void CViewerDlg::FillPalettes() {}
COLORREF CViewerDlg::BlockColor(int) const { return kFallbackColor; }
