// menu, menu-choose, tray-icons and hold-desktop: the popup menu a program shows and the icons of
// the notification area.
//
// A popup menu is a top-level window of class "#32768"; its items are read inside the process
// that shows it, through menuprobe.dll (menu_probe.h), because Wine answers no item query on a
// menu of another process. An item is chosen the way a user does: the mouse is moved onto it
// and the left button pressed and released.
#include "commands.h"
#include "common.h"
#include "finder.h"
#include "menu_probe.h"

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

namespace hbtool {

namespace {

// After the click, the menu must be gone within this time.
constexpr auto kCloseTimeout = std::chrono::milliseconds(5000);
constexpr UINT kProbeTimeoutMs = 5000;
// Between the mouse events of one click, so that each is handled on its own.
constexpr auto kInputPause = std::chrono::milliseconds(50);

struct MenuItem {
    int index = 0;
    unsigned id = 0;
    unsigned type = 0;
    unsigned state = 0;
    bool submenu = false;
    RECT rect{};
    std::wstring text;
};

std::string rect_text(const RECT& rect) {
    return std::to_string(rect.left) + ',' + std::to_string(rect.top) + ',' +
           std::to_string(rect.right) + ',' + std::to_string(rect.bottom);
}

HWND find_popup_menu() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (has_class(window, L"#32768") && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(context) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND wait_for_popup_menu(const Options& options) {
    HWND menu = wait_for(options.timeout(), find_popup_menu);
    if (!menu) {
        print("error", "timeout waiting for a popup menu");
    }
    return menu;
}

// The window that receives the probe's WM_COPYDATA; the answer lands in GWLP_USERDATA's string.
LRESULT CALLBACK answer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        auto* answer = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (answer && data->dwData == menu_probe::kAnswerTag) {
            answer->assign(static_cast<const wchar_t*>(data->lpData),
                           data->cbData / sizeof(wchar_t));
            return TRUE;
        }
        return FALSE;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

class AnswerWindow {
public:
    AnswerWindow() {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = answer_window_proc;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"HbtoolMenuAnswer";
        RegisterClassW(&window_class);
        window_ = CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, window_class.hInstance, nullptr);
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answer_));
        }
    }
    ~AnswerWindow() {
        if (window_) {
            DestroyWindow(window_);
        }
    }
    AnswerWindow(const AnswerWindow&) = delete;
    AnswerWindow& operator=(const AnswerWindow&) = delete;

    [[nodiscard]] HWND get() const { return window_; }
    [[nodiscard]] const std::wstring& answer() const { return answer_; }

private:
    HWND window_ = nullptr;
    std::wstring answer_;
};

struct ModuleFreer {
    void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

struct HookRemover {
    void operator()(HHOOK hook) const noexcept { UnhookWindowsHookEx(hook); }
};
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookRemover>;

std::filesystem::path probe_dll_path() {
    wchar_t own[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, own, static_cast<DWORD>(std::size(own)));
    return std::filesystem::path(std::wstring(own, length)).parent_path() / menu_probe::kDllName;
}

std::optional<MenuItem> parse_item(const std::wstring& line) {
    std::wistringstream fields(line);
    MenuItem item;
    std::wstring rect;
    wchar_t tab = 0;
    fields >> item.index >> item.id >> std::hex >> item.type >> item.state >> std::dec >>
        item.submenu;
    fields.get(tab);
    if (!fields || tab != L'\t' || !std::getline(fields, rect, L'\t') ||
        std::swscanf(rect.c_str(), L"%ld,%ld,%ld,%ld", &item.rect.left, &item.rect.top,
                     &item.rect.right, &item.rect.bottom) != 4) {
        return std::nullopt;
    }
    std::getline(fields, item.text);
    return item;
}

std::optional<std::vector<MenuItem>> parse_answer(const std::wstring& answer) {
    std::wistringstream lines(answer);
    std::wstring line;
    if (!std::getline(lines, line) || !line.starts_with(L"count=")) {
        print("error", "menu probe: " + to_utf8(line.empty() ? L"no answer" : line));
        return std::nullopt;
    }
    const auto count = parse_number(to_utf8(line.substr(6)));
    std::vector<MenuItem> items;
    while (std::getline(lines, line)) {
        const auto item = parse_item(line);
        if (!item) {
            print("error", "menu probe: " + to_utf8(line));
            return std::nullopt;
        }
        items.push_back(*item);
    }
    if (!count || *count != static_cast<std::int64_t>(items.size())) {
        print("error", "menu probe: the item count does not match the items");
        return std::nullopt;
    }
    return items;
}

std::optional<std::vector<MenuItem>> read_items(HWND menu) {
    const std::filesystem::path dll_path = probe_dll_path();
    const UniqueModule dll{LoadLibraryW(dll_path.c_str())};
    // Through void (*)(), which the compiler accepts as a go-between for any function pointer.
    const FARPROC exported = dll ? GetProcAddress(dll.get(), menu_probe::kHookExport) : nullptr;
    const auto hook_proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(exported));
    if (!hook_proc) {
        print("error", "cannot load the hook of " + to_utf8(dll_path.wstring()));
        return std::nullopt;
    }
    const DWORD thread = GetWindowThreadProcessId(menu, nullptr);
    const UniqueHook hook{SetWindowsHookExW(WH_CALLWNDPROC, hook_proc, dll.get(), thread)};
    const AnswerWindow answer;
    const UINT probe_message = RegisterWindowMessageW(menu_probe::kMessageName);
    if (!thread || !hook || !answer.get() || !probe_message) {
        print("error",
              "cannot hook the menu's thread (error " + std::to_string(GetLastError()) + ")");
        return std::nullopt;
    }
    // The probe answers while this call waits; the menu window itself ignores the message.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(menu, probe_message, reinterpret_cast<WPARAM>(answer.get()), 0,
                             SMTO_ABORTIFHUNG, kProbeTimeoutMs, &ignored)) {
        print("error", "the menu did not answer the probe");
        return std::nullopt;
    }
    return parse_answer(answer.answer());
}

// The item's text as the user reads it: "&Exit" reads "Exit", "&&" reads "&".
std::wstring label_of(const std::wstring& text) {
    std::wstring label;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;
        }
        label += text[i];
    }
    return label;
}

void print_menu(HWND menu, const std::vector<MenuItem>& items) {
    DWORD pid = 0;
    GetWindowThreadProcessId(menu, &pid);
    RECT rect{};
    GetWindowRect(menu, &rect);
    POINT cursor{};
    GetCursorPos(&cursor);
    print("hwnd", hwnd_text(menu));
    print("pid", std::to_string(pid));
    print("owner_exe", to_utf8(std::filesystem::path(image_path_of(menu)).filename().wstring()));
    print("rect", rect_text(rect));
    print("cursor", std::to_string(cursor.x) + ',' + std::to_string(cursor.y));
    print("count", std::to_string(items.size()));
    for (const MenuItem& item : items) {
        // The text goes last: it may hold spaces.
        print_line("item index=" + std::to_string(item.index) + " id=" + std::to_string(item.id) +
                   " type=" + hex(item.type) + " state=" + hex(item.state) +
                   " submenu=" + (item.submenu ? "1" : "0") + " rect=" + rect_text(item.rect) +
                   " text=" + escape(to_utf8(item.text)));
    }
}

void send_mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
    std::this_thread::sleep_for(kInputPause);
}

bool click_at(POINT point) {
    if (!SetCursorPos(point.x, point.y)) {
        return false;
    }
    // A move without distance makes the window under the cursor see the pointer arrive.
    send_mouse(MOUSEEVENTF_MOVE);
    POINT now{};
    if (!GetCursorPos(&now) || now.x != point.x || now.y != point.y) {
        return false;
    }
    send_mouse(MOUSEEVENTF_LEFTDOWN);
    send_mouse(MOUSEEVENTF_LEFTUP);
    return true;
}

BOOL CALLBACK collect_child(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

} // namespace

int popup_menu(const Options& options) {
    HWND window = wait_for_popup_menu(options);
    if (!window) {
        return kExitFailed;
    }
    const auto items = read_items(window);
    if (!items) {
        return kExitFailed;
    }
    print_menu(window, *items);
    return kExitOk;
}

int menu_choose(const Options& options) {
    const std::wstring wanted = to_wide(options.text("text"));
    HWND window = wait_for_popup_menu(options);
    if (!window) {
        return kExitFailed;
    }
    const auto items = read_items(window);
    if (!items) {
        return kExitFailed;
    }
    const MenuItem* chosen = nullptr;
    for (const MenuItem& item : *items) {
        if (label_of(item.text) == wanted) {
            chosen = &item;
            break;
        }
    }
    if (!chosen) {
        print("error", "the menu has no item " + options.text("text"));
        return kExitFailed;
    }
    if ((chosen->state & MFS_DISABLED) != 0) {
        print("error", "the item " + options.text("text") + " is disabled");
        return kExitFailed;
    }
    const POINT centre{(chosen->rect.left + chosen->rect.right) / 2,
                       (chosen->rect.top + chosen->rect.bottom) / 2};
    if (!click_at(centre)) {
        print("error", "cannot move the mouse onto the item");
        return kExitFailed;
    }
    print("chosen", to_utf8(label_of(chosen->text)));
    print("id", std::to_string(chosen->id));
    print("clicked", std::to_string(centre.x) + ',' + std::to_string(centre.y));
    const bool closed = wait_until(
        kCloseTimeout, [window] { return !IsWindow(window) || !IsWindowVisible(window); });
    print("closed", closed ? "1" : "0");
    return closed ? kExitOk : kExitFailed;
}

// Wine without a desktop shell shows notification icons in its own "Wine System Tray" window, one
// child window per icon. An icon whose program ended without removing it stays there.
int tray_icons(const Options&) {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    std::vector<HWND> children;
    if (tray) {
        EnumChildWindows(tray, collect_child, reinterpret_cast<LPARAM>(&children));
    }
    int icons = 0;
    for (HWND child : children) {
        if (!has_class(child, L"__winex11_tray_icon")) {
            continue;
        }
        RECT rect{};
        GetWindowRect(child, &rect);
        print_line("icon hwnd=" + hwnd_text(child) + " rect=" + rect_text(rect) +
                   " visible=" + (IsWindowVisible(child) ? "1" : "0"));
        ++icons;
    }
    print("tray", tray ? hwnd_text(tray) : "none");
    print("tray_visible", tray && IsWindowVisible(tray) ? "1" : "0");
    print("icons", std::to_string(icons));
    return kExitOk;
}

// Wine's desktop process, which owns the notification area, quits about a second after the last
// other process of its desktop has ended, and every icon goes with it. Held open by this command,
// the area outlives the program under test, so an icon its program failed to remove stays to be
// seen. Runs until the stop file exists or the time-out (default ten minutes) has passed.
int hold_desktop(const Options& options) {
    const std::wstring stop_file = to_wide(options.text("stop-file"));
    print("holding", "1");
    std::fflush(stdout);
    const bool stopped = wait_until(options.timeout(std::chrono::minutes(10)), [&stop_file] {
        return GetFileAttributesW(stop_file.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    print("stopped", stopped ? "1" : "0");
    return stopped ? kExitOk : kExitFailed;
}

} // namespace hbtool
