// Mutexes, events, waits and threads over kernel32.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <process.h>

#include <array>
#include <vector>

namespace hb::win32 {
namespace {

class Event final : public platform::IEvent {
public:
    explicit Event(HANDLE handle) : m_handle(handle) {}
    bool Set() override { return ::SetEvent(m_handle.Get()) != FALSE; }
    std::uintptr_t NativeHandle() const override {
        return reinterpret_cast<std::uintptr_t>(m_handle.Get());
    }

private:
    UniqueKernelHandle m_handle;
};

class Mutex final : public platform::IMutex {
public:
    explicit Mutex(HANDLE handle) : m_handle(handle) {}
    bool Release() override { return ::ReleaseMutex(m_handle.Get()) != FALSE; }

private:
    UniqueKernelHandle m_handle;
};

class Thread final : public platform::IThread {
public:
    explicit Thread(HANDLE handle) : m_handle(handle) {}

    bool WaitForExitPumping(std::chrono::milliseconds timeout) override {
        const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
        HANDLE handle = m_handle.Get();
        for (;;) {
            const ULONGLONG now = ::GetTickCount64();
            const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
            const DWORD wait = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
            if (wait == WAIT_OBJECT_0) {
                return true;
            }
            if (wait != WAIT_OBJECT_0 + 1) {
                return false;
            }
            // Serve the messages other threads sent us; posted ones stay queued.
            MSG msg{};
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }

    void Terminate() override { ::TerminateThread(m_handle.Get(), 0); }

private:
    UniqueKernelHandle m_handle;
};

struct ThreadStart {
    platform::ThreadProc proc;
    void* param;
};

unsigned __stdcall ThreadEntry(void* start) {
    // BeginThread handed ownership of the start block through the C API.
    const std::unique_ptr<ThreadStart> owned(static_cast<ThreadStart*>(start));
    return owned->proc(owned->param);
}

class Kernel final : public platform::IKernel {
public:
    platform::MutexResult CreateMutex(const std::string& name, bool initialOwner) override {
        SECURITY_ATTRIBUTES attributes{};
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = nullptr;
        attributes.bInheritHandle = FALSE;
        HANDLE handle = ::CreateMutexA(&attributes, initialOwner ? TRUE : FALSE, name.c_str());
        const DWORD error = ::GetLastError();
        platform::MutexResult result;
        result.alreadyExists = handle != nullptr && error == ERROR_ALREADY_EXISTS;
        if (handle != nullptr) {
            result.mutex = std::make_unique<Mutex>(handle);
        }
        return result;
    }

    std::unique_ptr<platform::IEvent> CreateEvent(bool manualReset, bool initialState) override {
        HANDLE handle = ::CreateEventA(nullptr, manualReset ? TRUE : FALSE,
                                       initialState ? TRUE : FALSE, nullptr);
        if (handle == nullptr) {
            return nullptr;
        }
        return std::make_unique<Event>(handle);
    }

    platform::WaitResult WaitForAny(std::span<platform::IEvent* const> events,
                                    std::chrono::milliseconds timeout) override {
        std::vector<HANDLE> handles;
        handles.reserve(events.size());
        for (platform::IEvent* event : events) {
            handles.push_back(reinterpret_cast<HANDLE>(event->NativeHandle()));
        }
        const DWORD milliseconds =
            timeout.count() < 0 ? INFINITE : static_cast<DWORD>(timeout.count());
        const DWORD wait = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                    handles.data(), FALSE, milliseconds);
        if (wait < WAIT_OBJECT_0 + handles.size()) {
            return {platform::WaitStatus::Signalled, wait - WAIT_OBJECT_0};
        }
        if (wait == WAIT_TIMEOUT) {
            return {platform::WaitStatus::TimedOut, 0};
        }
        return {platform::WaitStatus::Failed, 0};
    }

    std::unique_ptr<platform::IThread> BeginThread(platform::ThreadProc proc, void* param,
                                                   int priority, unsigned stackSize,
                                                   unsigned flags) override {
        auto start = std::make_unique<ThreadStart>(ThreadStart{proc, param});
        // Created suspended so the priority is set before the thread runs.
        const std::uintptr_t handle = ::_beginthreadex(nullptr, stackSize, &ThreadEntry,
                                                       start.get(), CREATE_SUSPENDED, nullptr);
        if (handle == 0) {
            return nullptr;
        }
        static_cast<void>(start.release());
        auto thread = reinterpret_cast<HANDLE>(handle);
        ::SetThreadPriority(thread, priority);
        if ((flags & CREATE_SUSPENDED) == 0) {
            ::ResumeThread(thread);
        }
        return std::make_unique<Thread>(thread);
    }

    std::string GetModuleFileName() override {
        std::array<char, MAX_PATH> buffer{};
        const DWORD length =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        return std::string(buffer.data(), length);
    }
};

} // namespace

std::unique_ptr<platform::IKernel> MakeKernel() {
    return std::make_unique<Kernel>();
}

} // namespace hb::win32
