// The capture thread: sleeps on the IR event the driver sets for each received code and on
// the controller's stop event; reads, shows and dispatches one record per wake-up.
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
    const std::array<platform::IEvent*, 1> stopOnly{m_hStopEvent.get()};
    // Reused on every wake-up; the record is not cleared between requests.
    receiver::IrCodeRecord record{};
    for (;;) {
        const platform::WaitResult wait = Os().kernel.WaitForAny(events, platform::kInfinite);
        if (wait.status != platform::WaitStatus::Signalled) {
            SetDlgItemText(IDC_STATUS, "Received Error");
            // A wait that fails keeps failing: pause instead of spinning, still stoppable.
            if (Os().kernel.WaitForAny(stopOnly, kWaitFailurePause).status ==
                platform::WaitStatus::Signalled) {
                return;
            }
            continue;
        }
        if (wait.index == 0) {
            return; // stop requested: between records, never inside a chord
        }
        SetDlgItemText(IDC_EVENT_COUNT, panel::Decimal(++m_nIrEventCount));

        receiver::IrCodeRequest request{};
        request.Property = {receiver::kKsPropSetIrRemoteCode, 0, receiver::kKsPropertyTypeGet};
        request.Selector = 0;
        request.BufferSize = sizeof record;
        request.Buffer = &record;
        std::uint32_t returnedLength = 0;
        static_cast<void>(
            SendKsProperty(&request, sizeof request, &returnedLength, sizeof returnedLength));
        if (returnedLength < receiver::kMinimumRecordLength) {
            continue;
        }

        SetDlgItemText(IDC_IR_ADDRESS, panel::CodeString(record.Address));
        const std::string codeString = panel::CodeString(record.Command);
        SetDlgItemText(IDC_IR_COMMAND, codeString);
        if (m_bDispatchDisabled == 0) {
            if (m_bMessengerMode != 0) {
                DispatchMessengerCode(codeString);
            } else {
                DispatchNormalCode(codeString);
            }
        }
        SetDlgItemText(IDC_TOGGLE_INFO, panel::ToggleText(record.Protocol, record.Toggle,
                                                          record.OemCode, codeString));
    }
}

} // namespace hb
