// The three actions a function string can name instead of keys: back to the normal key map,
// the messenger (start it and switch to its key map), and hibernation.
#include "platform/RegistryValue.h"
#include "ui/HandsetBridgeDlg.h"

namespace hb {
namespace {
constexpr char kMessengerTitle[] = "Windows Live Messenger";
constexpr char kMessengerKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSNMSGR.EXE";
constexpr char kMessengerValue[] = "Path";
constexpr std::size_t kRegistryBufferSize = 256;
constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";
} // namespace

bool CHandsetBridgeDlg::PerformSpecialAction(const actions::FunctionTokens& tokens) {
    if (tokens.bTV) {
        m_bMessengerMode = 0;
        static_cast<void>(LoadKeyMap(false));
        return true;
    }
    if (tokens.bMSN) {
        static_cast<void>(LaunchMessenger());
        return true;
    }
    if (tokens.bSleep) {
        static_cast<void>(PowerControl(kPowerHibernate));
        return true;
    }
    return false;
}

bool CHandsetBridgeDlg::LaunchMessenger() {
    platform::IProcess& process = Os().process;
    const Hwnd messenger = process.FindWindow(kMessengerTitle);
    if (messenger != kNoWindow) {
        process.SetForegroundWindow(messenger);
        process.SetFocus(messenger);
    }
    std::string folder;
    if (!platform::ReadRegistryString(Os().registry, platform::RegistryRoot::LocalMachine,
                                      kMessengerKey, kMessengerValue, kRegistryBufferSize,
                                      folder)) {
        m_bDispatchDisabled = 1;
        return false;
    }
    // Quoted, so that a folder with spaces can't start another program on the way.
    process.WinExec("\"" + folder + "msnmsgr.exe\"", win::kSwShow);
    m_bMessengerMode = 1;
    static_cast<void>(LoadKeyMap(true));
    return true;
}

bool CHandsetBridgeDlg::PowerControl(int kind) {
    platform::IPower& power = Os().power;
    const std::unique_ptr<platform::IAccessToken> token =
        power.OpenProcessToken(win::kTokenAdjustPrivileges | win::kTokenQuery);
    if (!token) {
        return false;
    }
    platform::Luid shutdown{};
    static_cast<void>(power.LookupPrivilegeValue(kShutdownPrivilege, shutdown));
    token->AdjustTokenPrivileges(false, shutdown, win::kSePrivilegeEnabled);
    // Succeeds without enabling anything when the user lacks the privilege: the last error
    // tells.
    if (power.GetLastError() != 0) {
        return false;
    }
    if (kind == kPowerHibernate) {
        power.SetSystemPowerState(false, true);
    }
    return true;
}

} // namespace hb
