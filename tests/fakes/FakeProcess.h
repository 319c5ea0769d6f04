// Other programs' windows, program starts, privileges and power requests.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/CallLog.h"

#include <map>
#include <string>
#include <vector>

namespace hb::fakes {

class FakeProcess final : public platform::IProcess {
public:
    explicit FakeProcess(CallLog& log) : m_log(log) {}

    std::map<std::string, Hwnd> windows; // by title
    std::vector<std::string> started;    // command lines
    std::vector<Hwnd> foreground;        // windows brought to the front

    Hwnd FindWindow(const std::string& title) override {
        m_log.Add("FindWindow " + title);
        const auto it = windows.find(title);
        return it == windows.end() ? kNoWindow : it->second;
    }
    bool SetForegroundWindow(Hwnd hwnd) override {
        m_log.Add("SetForegroundWindow");
        foreground.push_back(hwnd);
        return true;
    }
    Hwnd SetFocus(Hwnd) override {
        m_log.Add("SetFocus");
        return kNoWindow;
    }
    unsigned WinExec(const std::string& commandLine, int show) override {
        m_log.Add("WinExec " + commandLine + " " + std::to_string(show));
        started.push_back(commandLine);
        return 33;
    }

private:
    CallLog& m_log;
};

class FakePower final : public platform::IPower {
public:
    explicit FakePower(CallLog& log) : m_log(log) {}

    bool tokenOpens = true;
    bool privilegeHeld = true;
    std::vector<std::pair<bool, bool>> requests; // (suspend, force)

    std::unique_ptr<platform::IAccessToken> OpenProcessToken(std::uint32_t desiredAccess) override;
    bool LookupPrivilegeValue(const std::string& name, platform::Luid& luid) override;
    std::uint32_t GetLastError() override { return m_lastError; }
    bool SetSystemPowerState(bool suspend, bool force) override {
        m_log.Add(std::string("SetSystemPowerState ") + (suspend ? "suspend" : "hibernate") +
                  (force ? " force" : ""));
        requests.emplace_back(suspend, force);
        return true;
    }

private:
    friend class FakeToken;
    CallLog& m_log;
    std::uint32_t m_lastError = 0;
};

} // namespace hb::fakes
