// Kernel objects for the tests.
#include "tests/fakes/FakeKernel.h"

#include <thread>

namespace hb::fakes {

bool FakeNamedObjects::Open(const std::string& name) {
    std::scoped_lock lock(m_mutex);
    return m_open[name]++ == 0;
}

void FakeNamedObjects::Close(const std::string& name) {
    std::scoped_lock lock(m_mutex);
    if (--m_open[name] == 0) {
        m_open.erase(name);
    }
}

int FakeNamedObjects::OpenCount(const std::string& name) const {
    std::scoped_lock lock(m_mutex);
    const auto it = m_open.find(name);
    return it == m_open.end() ? 0 : it->second;
}

std::mutex& FakeEvent::Mutex() {
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& FakeEvent::Condition() {
    static std::condition_variable condition;
    return condition;
}

bool FakeEvent::Set() {
    {
        std::scoped_lock lock(Mutex());
        m_signalled = true;
    }
    Condition().notify_all();
    return true;
}

bool FakeEvent::TryConsume() {
    if (!m_signalled) {
        return false;
    }
    if (!m_manualReset) {
        m_signalled = false;
    }
    return true;
}

namespace {

class FakeMutex final : public platform::IMutex {
public:
    FakeMutex(CallLog& log, FakeNamedObjects& names, std::string name)
        : m_log(log), m_names(names), m_name(std::move(name)) {}
    ~FakeMutex() override {
        m_log.Add("CloseHandle mutex");
        m_names.Close(m_name);
    }
    bool Release() override {
        m_log.Add("ReleaseMutex");
        return true;
    }

private:
    CallLog& m_log;
    FakeNamedObjects& m_names;
    std::string m_name;
};

} // namespace

platform::MutexResult FakeKernel::CreateMutex(const std::string& name, bool initialOwner) {
    m_log.Add("CreateMutex " + name + (initialOwner ? " owned" : ""));
    platform::MutexResult result;
    result.alreadyExists = !m_names.Open(name);
    result.mutex = std::make_unique<FakeMutex>(m_log, m_names, name);
    return result;
}

std::unique_ptr<platform::IEvent> FakeKernel::CreateEvent(bool manualReset, bool initialState) {
    m_log.Add(std::string("CreateEvent ") + (manualReset ? "manual" : "auto"));
    if (failEventCreation) {
        return nullptr;
    }
    return std::make_unique<FakeEvent>(manualReset, initialState, m_nextHandle++);
}

platform::WaitResult FakeKernel::WaitForAny(std::span<platform::IEvent* const> events,
                                            std::chrono::milliseconds timeout) {
    if (failNextWaits > 0) {
        --failNextWaits;
        return {platform::WaitStatus::Failed, 0};
    }
    std::unique_lock lock(FakeEvent::Mutex());
    std::size_t index = 0;
    const auto ready = [&] {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (static_cast<FakeEvent*>(events[i])->TryConsume()) {
                index = i;
                return true;
            }
        }
        return false;
    };
    if (timeout.count() < 0) {
        FakeEvent::Condition().wait(lock, ready);
    } else if (!FakeEvent::Condition().wait_for(lock, timeout, ready)) {
        return {platform::WaitStatus::TimedOut, 0};
    }
    return {platform::WaitStatus::Signalled, index};
}

class FakeThread final : public platform::IThread {
public:
    FakeThread(FakeKernel& kernel, platform::ThreadProc proc, void* param) : m_kernel(kernel) {
        ++m_kernel.m_running;
        m_thread = std::thread([this, proc, param] {
            proc(param);
            {
                std::scoped_lock lock(m_mutex);
                m_done = true;
            }
            m_condition.notify_all();
        });
    }
    ~FakeThread() override {
        // A thread that was never waited for is still joined: the test process must not
        // outlive it.
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    bool WaitForExitPumping(std::chrono::milliseconds timeout) override {
        std::unique_lock lock(m_mutex);
        if (!m_condition.wait_for(lock, timeout, [this] { return m_done; })) {
            return false;
        }
        lock.unlock();
        m_thread.join();
        --m_kernel.m_running;
        m_kernel.m_log.Add("thread ended");
        return true;
    }

    void Terminate() override {
        ++m_kernel.m_terminated;
        m_kernel.m_log.Add("TerminateThread");
    }

private:
    FakeKernel& m_kernel;
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_done = false;
    std::thread m_thread;
};

std::unique_ptr<platform::IThread> FakeKernel::BeginThread(platform::ThreadProc proc, void* param,
                                                           int priority, unsigned stackSize,
                                                           unsigned flags) {
    m_log.Add("BeginThread " + std::to_string(priority) + " " + std::to_string(stackSize) + " " +
              std::to_string(flags));
    if (failThreadCreation) {
        return nullptr;
    }
    return std::make_unique<FakeThread>(*this, proc, param);
}

} // namespace hb::fakes
