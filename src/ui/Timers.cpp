// Timer expiries and power notifications.
#include "ui/HandsetBridgeDlg.h"

namespace hb {

void CHandsetBridgeDlg::OnTimer(std::uintptr_t nIDEvent) {
    switch (nIDEvent) {
    case kTimerRepeatGuard:
        KillTimer(kTimerRepeatGuard);
        m_bRepeatGuard = 0;
        break;
    case kTimerMultiTap:
        CommitTapLetter();
        break;
    default:
        break;
    }
    Default();
}

LResult CHandsetBridgeDlg::DefWindowProc(unsigned message, WParam wParam, LParam lParam) {
    return CDialog::DefWindowProc(message, wParam, lParam);
}

} // namespace hb
