// The application's start: the single-instance guard and the controller's modal run.
#include "app/HandsetBridgeApp.h"

#include "ui/HandsetBridgeDlg.h"

namespace hb {

bool CHandsetBridgeApp::InitInstance() {
    platform::MutexResult guard = Os().kernel.CreateMutex(kInstanceMutexName, true);
    if (guard.alreadyExists) {
        return false;
    }
    // When the mutex can't be created for another reason the program runs unguarded.
    {
        CHandsetBridgeDlg dlg(Os());
        m_pMainWnd = &dlg;
        static_cast<void>(dlg.DoModal());
        if (guard.mutex) {
            guard.mutex->Release();
            guard.mutex.reset();
        }
        m_pMainWnd = nullptr;
    }
    return false;
}

} // namespace hb
