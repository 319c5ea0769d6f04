// The seam between the portable controller and the operating system. Each interface is a
// narrow set of OS effects; the Win32 backend (platform/win32) implements each method as a
// direct call of the API it is named after, and tests/fakes implements them as behavioural
// fakes. Nothing outside platform/win32 includes a Windows header.
#pragma once

#include "platform/ComPtr.h"
#include "platform/Devices.h"
#include "platform/Types.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace hb::platform {

// Receives every message of a window whose procedure the program provides.
class IWindowSink {
public:
    virtual LResult WindowProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) = 0;

protected:
    ~IWindowSink() = default;
};

// Tray icon data as the program fills it; the backend copies it into the system's structure.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    Hwnd hWnd{};
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    IconHandle hIcon{};
    char szTip[128] = {};
};

// Windows, dialogs, controls and painting.
class IWindowHost {
public:
    virtual ~IWindowHost() = default;

    // Creates a dialog from its template resource, routes every message of the dialog window
    // to the sink, and runs a modal loop until EndDialog is called; then destroys the window.
    // Returns the EndDialog result, or -1 when the dialog could not be created.
    virtual int DoModal(int templateId, Hwnd owner, IWindowSink& sink) = 0;
    virtual bool EndDialog(Hwnd dialog, int result) = 0;
    // The dialog window class's own processing of a message (what is left after the sink).
    virtual LResult DefDialogProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) = 0;

    virtual LResult SendMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) = 0;
    // Inserts a string into a combo box (CB_INSERTSTRING); returns the index or -1.
    virtual int InsertComboString(Hwnd combo, int index, const std::string& text) = 0;
    virtual Hwnd GetDlgItem(Hwnd dialog, int id) = 0;
    virtual bool SetDlgItemText(Hwnd dialog, int id, const std::string& text) = 0;
    virtual std::string GetDlgItemText(Hwnd dialog, int id) = 0;
    virtual bool CheckRadioButton(Hwnd dialog, int first, int last, int check) = 0;
    virtual bool IsDlgButtonChecked(Hwnd dialog, int id) = 0;

    virtual bool SetWindowPos(Hwnd hwnd, Hwnd insertAfter, int x, int y, int cx, int cy,
                              unsigned flags) = 0;
    virtual bool ShowWindow(Hwnd hwnd, int command) = 0;
    virtual bool IsIconic(Hwnd hwnd) = 0;
    // The window's rectangle in screen coordinates.
    virtual Rect GetWindowRect(Hwnd hwnd) = 0;
    virtual Rect GetClientRect(Hwnd hwnd) = 0;
    virtual int GetSystemMetrics(int index) = 0;

    virtual DcHandle BeginPaint(Hwnd hwnd) = 0;
    virtual void EndPaint(Hwnd hwnd, DcHandle dc) = 0;
    virtual bool DrawIcon(DcHandle dc, int x, int y, IconHandle icon) = 0;

    // Loads an icon resource of this executable: at the system's standard icon size when cx and
    // cy are 0 (LoadIconA), else at the given size with default colours (LoadImageA).
    virtual IconHandle LoadIcon(int resourceId, int cx, int cy) = 0;
    // Frees an icon loaded at an explicit size (the system-sized one is shared).
    virtual bool DestroyIcon(IconHandle icon) = 0;

    virtual bool SetTimer(Hwnd hwnd, std::uintptr_t id, unsigned milliseconds) = 0;
    virtual bool KillTimer(Hwnd hwnd, std::uintptr_t id) = 0;
};

// Message boxes, menus, the tray and the cursor.
class IShell {
public:
    virtual ~IShell() = default;

    virtual int MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                           unsigned type) = 0;
    virtual MenuHandle LoadMenu(int resourceId) = 0;
    virtual MenuHandle GetSubMenu(MenuHandle menu, int position) = 0;
    virtual bool DestroyMenu(MenuHandle menu) = 0;
    virtual bool TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) = 0;
    virtual bool ShellNotifyIcon(unsigned message, const NotifyIconData& data) = 0;
    virtual Point GetCursorPos() = 0;
};

// A kernel event object. The handle value travels to the driver inside request blocks.
class IEvent {
public:
    virtual ~IEvent() = default;
    virtual bool Set() = 0;
    [[nodiscard]] virtual std::uintptr_t NativeHandle() const = 0;
};

// A named mutex owned by this process.
class IMutex {
public:
    virtual ~IMutex() = default;
    virtual bool Release() = 0;
};

struct MutexResult {
    std::unique_ptr<IMutex> mutex; // null when creation failed
    bool alreadyExists = false;    // another process created it first
};

// A started worker thread. Destroying the object closes its handle; it does not stop it.
class IThread {
public:
    virtual ~IThread() = default;
    // Waits for the thread to end while still processing messages sent to this thread's windows
    // (the worker may be inside a synchronous call into this thread). False on time-out.
    [[nodiscard]] virtual bool WaitForExitPumping(std::chrono::milliseconds timeout) = 0;
    // Last resort for a thread that did not reach a safe point in time.
    virtual void Terminate() = 0;
};

using ThreadProc = unsigned (*)(void* param);

enum class WaitStatus { Signalled, TimedOut, Failed };
struct WaitResult {
    WaitStatus status = WaitStatus::Failed;
    std::size_t index = 0; // which event, when Signalled
};

inline constexpr std::chrono::milliseconds kInfinite{-1};

// Process, synchronisation and thread services.
class IKernel {
public:
    virtual ~IKernel() = default;

    virtual MutexResult CreateMutex(const std::string& name, bool initialOwner) = 0;
    // Auto-reset when manualReset is false. Null when creation failed.
    virtual std::unique_ptr<IEvent> CreateEvent(bool manualReset, bool initialState) = 0;
    virtual WaitResult WaitForAny(std::span<IEvent* const> events,
                                  std::chrono::milliseconds timeout) = 0;
    // Starts a thread running proc(param) at the given priority. Null when it can't be started.
    virtual std::unique_ptr<IThread> BeginThread(ThreadProc proc, void* param, int priority,
                                                 unsigned stackSize, unsigned flags) = 0;
    // Full path of this program's executable.
    virtual std::string GetModuleFileName() = 0;
};

class ICom {
public:
    virtual ~ICom() = default;
    virtual HResult CoInitialize() = 0;
    virtual void CoUninitialize() = 0;
};

// Synthesized keyboard input.
class IKeyboard {
public:
    virtual ~IKeyboard() = default;
    virtual unsigned MapVirtualKey(unsigned code, unsigned mapType) = 0;
    virtual void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                            std::uintptr_t extraInfo) = 0;
};

enum class RegistryRoot { LocalMachine };
enum class RegistryKey : std::uintptr_t {};

// Registry reads. Results are Win32 error codes (0 is success).
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual long RegOpenKeyEx(RegistryRoot root, const std::string& subKey, std::uint32_t access,
                              RegistryKey& key) = 0;
    // Reads at most `size` bytes into data; size is the buffer's size in and the value's size
    // out (also when the buffer is too small, with ERROR_MORE_DATA).
    virtual long RegQueryValueEx(RegistryKey key, const std::string& valueName, std::uint8_t* data,
                                 std::uint32_t& size) = 0;
    virtual long RegCloseKey(RegistryKey key) = 0;
};

// INI-file reads through the profile functions.
class IProfile {
public:
    virtual ~IProfile() = default;
    virtual int GetPrivateProfileInt(const std::string& section, const std::string& key,
                                     int defaultValue, const std::string& path) = 0;
    // At most bufferSize - 1 characters of the value; the default when the key is missing.
    virtual std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                                const std::string& defaultValue,
                                                std::uint32_t bufferSize,
                                                const std::string& path) = 0;
};

// Other programs: finding their windows and starting them.
class IProcess {
public:
    virtual ~IProcess() = default;
    // A top-level window with this exact title, any class.
    virtual Hwnd FindWindow(const std::string& title) = 0;
    virtual bool SetForegroundWindow(Hwnd hwnd) = 0;
    virtual Hwnd SetFocus(Hwnd hwnd) = 0;
    virtual unsigned WinExec(const std::string& commandLine, int show) = 0;
};

struct Luid {
    std::uint32_t lowPart = 0;
    std::int32_t highPart = 0;
    friend bool operator==(const Luid&, const Luid&) = default;
};

class IAccessToken {
public:
    virtual ~IAccessToken() = default;
    // One privilege with the given attributes; no previous state is asked for.
    virtual bool AdjustTokenPrivileges(bool disableAll, const Luid& privilege,
                                       std::uint32_t attributes) = 0;
};

// The current process's privileges and power requests.
class IPower {
public:
    virtual ~IPower() = default;
    // The current process's token; null when it can't be opened.
    virtual std::unique_ptr<IAccessToken> OpenProcessToken(std::uint32_t desiredAccess) = 0;
    virtual bool LookupPrivilegeValue(const std::string& name, Luid& luid) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual bool SetSystemPowerState(bool suspend, bool force) = 0;
};

// The ANSI code page in use.
class ICodePage {
public:
    virtual ~ICodePage() = default;
    virtual bool IsDbcsLeadByte(std::uint8_t byte) = 0;
};

// Everything the program reaches the OS through.
struct Platform {
    IWindowHost& window;
    IShell& shell;
    IKernel& kernel;
    ICom& com;
    IDevices& devices;
    IKeyboard& keyboard;
    IRegistry& registry;
    IProfile& profile;
    IProcess& process;
    IPower& power;
    ICodePage& codePage;
};

} // namespace hb::platform
