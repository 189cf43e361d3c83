// Placeholder until the writers land.
#include "app/viewer_dlg.h"

void CViewerDlg::OnSaveDst() {}
void CViewerDlg::OnSavePcs() {}
std::array<std::uint8_t, 3> CViewerDlg::EncodeDstMove(std::int16_t, std::int16_t) { return {}; }
std::int32_t CViewerDlg::PcsUnits(std::int32_t) { return 0; }
