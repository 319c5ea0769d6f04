// Window enumeration across processes.
#include "finder.h"

#include "common.h"
#include "resource.h"

#include <map>
#include <thread>

namespace hbtool {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::wstring image_path_of_process(DWORD pid) {
    const UniqueHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)};
    if (!process) {
        return {};
    }
    wchar_t path[MAX_PATH * 4] = {};
    auto length = static_cast<DWORD>(std::size(path));
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &length)) {
        return {};
    }
    return {path, length};
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool image_matches(std::wstring_view path, std::wstring_view exe) {
    const auto slash = path.find_last_of(L"\\/");
    const std::wstring_view file = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    if (equal_ignoring_case(file, exe)) {
        return true;
    }
    return exe.find(L'.') == std::wstring_view::npos &&
           equal_ignoring_case(file, std::wstring(exe) + L".exe");
}

BOOL CALLBACK collect_window(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<TopWindow> windows_of(std::wstring_view exe) {
    std::vector<HWND> all;
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&all));

    std::map<DWORD, bool> matches; // one image look-up per process
    std::vector<TopWindow> found;
    for (HWND window : all) {
        DWORD pid = 0;
        if (!GetWindowThreadProcessId(window, &pid)) {
            continue; // destroyed since the enumeration
        }
        auto [entry, fresh] = matches.try_emplace(pid, false);
        if (fresh) {
            entry->second = image_matches(image_path_of_process(pid), exe);
        }
        if (entry->second) {
            found.push_back({window, pid});
        }
    }
    return found;
}

bool is_main_dialog(HWND window) {
    return has_class(window, L"#32770") && GetDlgItem(window, IDC_START_STOP) != nullptr;
}

HWND find_main_dialog(std::wstring_view exe) {
    for (const TopWindow& top : windows_of(exe)) {
        if (is_main_dialog(top.hwnd)) {
            return top.hwnd;
        }
    }
    return nullptr;
}

bool wait_until(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

HWND wait_for(std::chrono::milliseconds timeout, const std::function<HWND()>& find) {
    HWND found = nullptr;
    const bool done = wait_until(timeout, [&] { return (found = find()) != nullptr; });
    return done ? found : nullptr;
}

HWND wait_for_main_dialog(const std::string& exe, std::chrono::milliseconds timeout) {
    const std::wstring name = to_wide(exe);
    HWND dialog = wait_for(timeout, [&] { return find_main_dialog(name); });
    if (!dialog) {
        print("error", "timeout waiting for the main dialog of " + exe);
    }
    return dialog;
}

std::vector<HWND> children_of(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::wstring image_path_of(HWND window) {
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid)) {
        return {};
    }
    return image_path_of_process(pid);
}

} // namespace hbtool
