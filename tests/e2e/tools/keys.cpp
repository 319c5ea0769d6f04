// record-keys, send-keys and mapvk: the keyboard input that reaches the foreground window.
//
// The recorder sees input the way every application behind it does, through a low-level keyboard
// hook, so a script can check the exact virtual keys, scan codes and flags that were injected.
#include "commands.h"
#include "common.h"

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace hbtool {

namespace {

constexpr auto kDefaultRecordTimeout = std::chrono::seconds(60);
// How often the recorder looks for the stop file and the deadline.
constexpr UINT kStopPollMs = 50;

struct HookRemover {
    void operator()(HHOOK hook) const noexcept { UnhookWindowsHookEx(hook); }
};
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookRemover>;

// A timer of the calling thread, without a window: WM_TIMER arrives with a null hwnd.
class ThreadTimer {
public:
    explicit ThreadTimer(UINT interval_ms) : id_(SetTimer(nullptr, 0, interval_ms, nullptr)) {}
    ~ThreadTimer() {
        if (id_ != 0) {
            KillTimer(nullptr, id_);
        }
    }
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

    [[nodiscard]] bool started() const { return id_ != 0; }

private:
    UINT_PTR id_;
};

// Key codes print as at least two hex digits, the same in every command, so that scripts can
// compare the recorder's lines with mapvk's as text.
std::string code_text(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%02lx", static_cast<unsigned long>(value));
    return buffer;
}

// --vk: virtual-key codes 1 to 254 (0 and 255 are not keys).
std::vector<BYTE> virtual_keys(const Options& options) {
    const auto numbers = options.number_list("vk");
    if (numbers.empty()) {
        throw UsageError("option --vk is required");
    }
    std::vector<BYTE> keys;
    for (const std::int64_t number : numbers) {
        if (number < 1 || number > 0xFE) {
            throw UsageError("--vk takes virtual-key codes from 1 to 0xFE");
        }
        keys.push_back(static_cast<BYTE>(number));
    }
    return keys;
}

// The scan code the program under test passes along with a virtual key.
BYTE scan_code_of(BYTE virtual_key) {
    return static_cast<BYTE>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC) & 0xFFU);
}

// The file the recorder writes, one line per write, so that a reader never waits for a buffer.
class Journal {
public:
    explicit Journal(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (file_.get() == INVALID_HANDLE_VALUE) {
            file_.release();
        }
    }

    [[nodiscard]] bool is_open() const { return file_ != nullptr; }
    [[nodiscard]] bool failed() const { return failed_; }

    void write_line(std::string line) {
        line += '\n';
        DWORD written = 0;
        if (!WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written,
                       nullptr) ||
            written != line.size()) {
            failed_ = true;
        }
    }

private:
    UniqueHandle file_;
    bool failed_ = false;
};

struct Recording {
    Journal* journal = nullptr;
    std::size_t events = 0;
};

// A hook procedure gets no context of its own. The hook runs on the thread that installed it,
// inside that thread's GetMessage, and there is only one recording per process.
Recording* g_recording = nullptr;

std::string event_line(const KBDLLHOOKSTRUCT& event) {
    const auto flag = [&](DWORD mask) { return (event.flags & mask) != 0 ? "1" : "0"; };
    return "key vk=" + code_text(event.vkCode) + " scan=" + code_text(event.scanCode) +
           " extended=" + flag(LLKHF_EXTENDED) + " injected=" + flag(LLKHF_INJECTED) +
           " up=" + flag(LLKHF_UP);
}

LRESULT CALLBACK record_key(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && g_recording != nullptr) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
        g_recording->journal->write_line(event_line(event));
        ++g_recording->events;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int record_keys(const Options& options) {
    const std::string out = options.text("out");
    const auto stop_file = options.optional_text("stop-file");
    const std::wstring stop_path = to_wide(stop_file.value_or(""));
    const auto deadline = std::chrono::steady_clock::now() + options.timeout(kDefaultRecordTimeout);

    Journal journal(to_wide(out));
    if (!journal.is_open()) {
        print("error", "cannot create " + out + " (error " + std::to_string(GetLastError()) + ")");
        return kExitFailed;
    }
    Recording recording;
    recording.journal = &journal;
    g_recording = &recording;
    const UniqueHook hook{
        SetWindowsHookExW(WH_KEYBOARD_LL, record_key, GetModuleHandleW(nullptr), 0)};
    if (!hook) {
        g_recording = nullptr;
        print("error",
              "cannot install the keyboard hook (error " + std::to_string(GetLastError()) + ")");
        return kExitFailed;
    }
    const ThreadTimer poll(kStopPollMs);
    if (!poll.started()) {
        g_recording = nullptr;
        print("error", "cannot start a timer (error " + std::to_string(GetLastError()) + ")");
        return kExitFailed;
    }
    journal.write_line("ready");
    print("ready", "1");
    std::fflush(stdout);

    bool stopped = false;
    bool timed_out = false;
    MSG message{};
    while (!stopped && !timed_out && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            // Hook calls are sent messages, which GetMessage delivers before any timer: every
            // event injected before the stop file appeared has been written by now.
            stopped = stop_file && file_exists(stop_path);
            timed_out = std::chrono::steady_clock::now() >= deadline;
            continue;
        }
        DispatchMessageW(&message);
    }
    g_recording = nullptr;

    print("events", std::to_string(recording.events));
    if (journal.failed()) {
        print("error", "writing " + out + " failed");
        return kExitFailed;
    }
    // Without a stop file the time-out is the planned end of the recording.
    if (stop_file && !stopped) {
        print("error", "timeout waiting for the stop file " + *stop_file);
        return kExitFailed;
    }
    return kExitOk;
}

int send_keys(const Options& options) {
    const std::vector<BYTE> keys = virtual_keys(options);
    // The same events the program under test injects: a press and a release per key, both
    // flagged extended, with the scan code MapVirtualKeyA gives.
    for (const BYTE key : keys) {
        const BYTE scan = scan_code_of(key);
        keybd_event(key, scan, KEYEVENTF_EXTENDEDKEY, 0);
        keybd_event(key, scan, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    }
    print("sent", std::to_string(keys.size() * 2));
    return kExitOk;
}

int map_virtual_keys(const Options& options) {
    for (const BYTE key : virtual_keys(options)) {
        print_line("vk=" + code_text(key) + " scan=" + code_text(scan_code_of(key)));
    }
    return kExitOk;
}

} // namespace hbtool
