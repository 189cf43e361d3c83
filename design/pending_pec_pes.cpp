// Placeholder until the Brother readers land: the design stays empty.
#include "app/viewer_dlg.h"

void CViewerDlg::ReadPes(int) {}
void CViewerDlg::ReadPec(int) {}
CViewerDlg::CPosition CViewerDlg::DecodePecStitches(int, int) { return {}; }
std::string CViewerDlg::VersionText(std::uint8_t, std::uint8_t) { return {}; }
