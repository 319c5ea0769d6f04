// CWinThread and AfxBeginThread: a worker thread started through the platform.
#pragma once

#include "platform/Platform.h"

#include <chrono>
#include <memory>

namespace hb {

class CWinThread {
public:
    explicit CWinThread(std::unique_ptr<platform::IThread> thread) : m_thread(std::move(thread)) {}

    // Waits for the thread to end, processing messages sent to this thread meanwhile.
    [[nodiscard]] bool WaitForExit(std::chrono::milliseconds timeout) {
        return m_thread->WaitForExitPumping(timeout);
    }

    // Last resort for a thread that did not end in time.
    void Terminate() { m_thread->Terminate(); }

private:
    std::unique_ptr<platform::IThread> m_thread;
};

using AfxThreadProc = unsigned (*)(void* param);

// Null when the thread can't be started.
std::unique_ptr<CWinThread> AfxBeginThread(platform::IKernel& kernel, AfxThreadProc proc,
                                           void* param, int priority, unsigned stackSize,
                                           unsigned flags);

} // namespace hb
