// Timer expiries and power notifications.
#include "ui/HandsetBridgeDlg.h"

namespace hb {

void CHandsetBridgeDlg::OnTimer(std::uintptr_t) {
    Default();
}

LResult CHandsetBridgeDlg::DefWindowProc(unsigned message, WParam wParam, LParam lParam) {
    return CDialog::DefWindowProc(message, wParam, lParam);
}

} // namespace hb
