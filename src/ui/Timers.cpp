// Timer expiries and the recovery after a resume from sleep.
#include "res/resource.h"
#include "ui/HandsetBridgeDlg.h"
#include "ui/PanelText.h"

namespace hb {

std::int32_t g_nResumeCount = 0;

void CHandsetBridgeDlg::OnTimer(std::uintptr_t nIDEvent) {
    switch (nIDEvent) {
    case kTimerRepeatGuard:
        KillTimer(kTimerRepeatGuard);
        m_bRepeatGuard = 0;
        break;
    case kTimerMultiTap:
        CommitTapLetter();
        break;
    case kTimerResume:
        KillTimer(kTimerResume);
        if (m_bCapturing == 0) {
            OnStartStop();
        }
        break;
    default:
        break;
    }
    Default();
}

LResult CHandsetBridgeDlg::DefWindowProc(unsigned message, WParam wParam, LParam lParam) {
    if (message == win::kWmPowerBroadcast && wParam == win::kPbtApmResumeAutomatic) {
        // Toggle capture now and make sure it runs again a second later, so the driver has a
        // fresh registration of the event after every sleep.
        SetDlgItemText(IDC_INFO, "PBT_APMRESUMEAUTOMATIC");
        ++g_nResumeCount;
        SetDlgItemText(IDC_RESUME_COUNT, panel::Decimal(g_nResumeCount));
        OnStartStop();
        SetTimer(kTimerResume, kResumeRestartMilliseconds);
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

} // namespace hb
