// Other programs' windows, program start, privileges and power requests.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <powrprof.h>

namespace hb::win32 {
namespace {

class Process final : public platform::IProcess {
public:
    Hwnd FindWindow(const std::string& title) override {
        return FromNative(::FindWindowA(nullptr, title.c_str()));
    }
    bool SetForegroundWindow(Hwnd hwnd) override {
        return ::SetForegroundWindow(ToNative(hwnd)) != FALSE;
    }
    Hwnd SetFocus(Hwnd hwnd) override { return FromNative(::SetFocus(ToNative(hwnd))); }
    unsigned WinExec(const std::string& commandLine, int show) override {
        return ::WinExec(commandLine.c_str(), static_cast<UINT>(show));
    }
};

class AccessToken final : public platform::IAccessToken {
public:
    explicit AccessToken(HANDLE token) : m_token(token) {}
    bool AdjustTokenPrivileges(bool disableAll, const platform::Luid& privilege,
                               std::uint32_t attributes) override {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Luid.LowPart = privilege.lowPart;
        privileges.Privileges[0].Luid.HighPart = privilege.highPart;
        privileges.Privileges[0].Attributes = attributes;
        return ::AdjustTokenPrivileges(m_token.Get(), disableAll ? TRUE : FALSE, &privileges, 0,
                                       nullptr, nullptr) != FALSE;
    }

private:
    UniqueKernelHandle m_token;
};

class Power final : public platform::IPower {
public:
    std::unique_ptr<platform::IAccessToken> OpenProcessToken(std::uint32_t desiredAccess) override {
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), desiredAccess, &token) == FALSE) {
            return nullptr;
        }
        return std::make_unique<AccessToken>(token);
    }
    bool LookupPrivilegeValue(const std::string& name, platform::Luid& luid) override {
        LUID value{};
        const bool found = ::LookupPrivilegeValueA(nullptr, name.c_str(), &value) != FALSE;
        luid = {value.LowPart, value.HighPart};
        return found;
    }
    std::uint32_t GetLastError() override { return ::GetLastError(); }
    bool SetSystemPowerState(bool suspend, bool force) override {
        return ::SetSystemPowerState(suspend ? TRUE : FALSE, force ? TRUE : FALSE) != FALSE;
    }
};

} // namespace

std::unique_ptr<platform::IProcess> MakeProcess() {
    return std::make_unique<Process>();
}
std::unique_ptr<platform::IPower> MakePower() {
    return std::make_unique<Power>();
}

} // namespace hb::win32
