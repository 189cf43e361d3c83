// Placeholder until the PCS and SEW readers land.
#include "app/viewer_dlg.h"

void CViewerDlg::ReadPcs(int) {}
void CViewerDlg::ReadSew(int) {}
