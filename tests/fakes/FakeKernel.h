// Mutexes, events and threads as real synchronisation objects of the test process. Named
// mutexes live in a FakeNamedObjects table that several fake platforms can share, which is
// how a test runs "two copies" of the program.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/CallLog.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace hb::fakes {

class FakeNamedObjects {
public:
    // Returns true when the name was new.
    bool Open(const std::string& name);
    void Close(const std::string& name);
    [[nodiscard]] int OpenCount(const std::string& name) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, int> m_open;
};

class FakeEvent final : public platform::IEvent {
public:
    FakeEvent(bool manualReset, bool initialState, std::uintptr_t handle)
        : m_manualReset(manualReset), m_signalled(initialState), m_handle(handle) {}
    bool Set() override;
    [[nodiscard]] std::uintptr_t NativeHandle() const override { return m_handle; }

    // Shared wait machinery: every event notifies one process-wide condition.
    static std::mutex& Mutex();
    static std::condition_variable& Condition();
    // Under Mutex(): consumes the signal of an auto-reset event.
    bool TryConsume();

private:
    bool m_manualReset;
    bool m_signalled;
    std::uintptr_t m_handle;
};

class FakeKernel final : public platform::IKernel {
public:
    FakeKernel(CallLog& log, FakeNamedObjects& names) : m_log(log), m_names(names) {}

    std::string modulePath = "C:\\Program Files\\Handset Bridge\\HandsetBridge.exe";
    bool failEventCreation = false;
    bool failThreadCreation = false;
    // Makes the next waits fail, as a wait on a broken handle does.
    std::atomic<int> failNextWaits{0};

    [[nodiscard]] int RunningThreads() const { return m_running.load(); }
    [[nodiscard]] int TerminatedThreads() const { return m_terminated.load(); }

    platform::MutexResult CreateMutex(const std::string& name, bool initialOwner) override;
    std::unique_ptr<platform::IEvent> CreateEvent(bool manualReset, bool initialState) override;
    platform::WaitResult WaitForAny(std::span<platform::IEvent* const> events,
                                    std::chrono::milliseconds timeout) override;
    std::unique_ptr<platform::IThread> BeginThread(platform::ThreadProc proc, void* param,
                                                   int priority, unsigned stackSize,
                                                   unsigned flags) override;
    std::string GetModuleFileName() override { return modulePath; }

private:
    friend class FakeThread;
    CallLog& m_log;
    FakeNamedObjects& m_names;
    std::atomic<int> m_running{0};
    std::atomic<int> m_terminated{0};
    std::atomic<std::uintptr_t> m_nextHandle{0x100};
};

class FakeCom final : public platform::ICom {
public:
    explicit FakeCom(CallLog& log) : m_log(log) {}
    HResult CoInitialize() override {
        m_log.Add("CoInitialize");
        ++initialized;
        return kSOk;
    }
    void CoUninitialize() override {
        m_log.Add("CoUninitialize");
        if (onUninitialize) {
            onUninitialize();
        }
        --initialized;
    }
    int initialized = 0;
    std::function<void()> onUninitialize;

private:
    CallLog& m_log;
};

} // namespace hb::fakes
