// The capture thread: sleeps on the IR event the driver sets for each received code and on
// the controller's stop event, and counts every wake-up.
#include "res/resource.h"
#include "ui/HandsetBridgeDlg.h"
#include "ui/PanelText.h"

#include <array>

namespace hb {

void CHandsetBridgeDlg::StartCaptureThread() {
    m_hIrEvent = Os().kernel.CreateEvent(false, false);
    if (!m_hIrEvent) {
        return;
    }
    m_hStopEvent = Os().kernel.CreateEvent(true, false);
    if (!m_hStopEvent) {
        // Without a way to stop it at a safe point the thread is not started: no code is read.
        return;
    }
    // When the thread can't be started the event stays enabled in the driver with no reader;
    // nothing else depends on the thread.
    m_pCaptureThread =
        AfxBeginThread(Os().kernel, &CaptureThreadProc, this, win::kThreadPriorityNormal, 0, 0);
}

void CHandsetBridgeDlg::StopCaptureThread() {
    if (!m_pCaptureThread) {
        return;
    }
    m_hStopEvent->Set();
    // The thread may be inside a synchronous write to the panel, which this thread serves.
    if (!m_pCaptureThread->WaitForExit(kCaptureStopTimeout)) {
        m_pCaptureThread->Terminate();
    }
    m_pCaptureThread.reset();
}

unsigned CHandsetBridgeDlg::CaptureThreadProc(void* param) {
    static_cast<CHandsetBridgeDlg*>(param)->CaptureLoop();
    return 0;
}

void CHandsetBridgeDlg::CaptureLoop() {
    const std::array<platform::IEvent*, 2> events{m_hStopEvent.get(), m_hIrEvent.get()};
    for (;;) {
        const platform::WaitResult wait = Os().kernel.WaitForAny(events, platform::kInfinite);
        if (wait.status != platform::WaitStatus::Signalled) {
            SetDlgItemText(IDC_STATUS, "Received Error");
            continue;
        }
        if (wait.index == 0) {
            return;
        }
        SetDlgItemText(IDC_EVENT_COUNT, panel::Decimal(++m_nIrEventCount));
    }
}

} // namespace hb
