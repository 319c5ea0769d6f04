// AfxBeginThread.
#include "framework/WinThread.h"

namespace hb {

std::unique_ptr<CWinThread> AfxBeginThread(platform::IKernel& kernel, AfxThreadProc proc,
                                           void* param, int priority, unsigned stackSize,
                                           unsigned flags) {
    std::unique_ptr<platform::IThread> thread =
        kernel.BeginThread(proc, param, priority, stackSize, flags);
    if (!thread) {
        return nullptr;
    }
    return std::make_unique<CWinThread>(std::move(thread));
}

} // namespace hb
