// Finding the windows of the program under test by the image name of their process.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hbtool {

struct TopWindow {
    HWND hwnd;
    DWORD pid;
};

// Every top-level window, shown or hidden, owned or not, of every process whose image file name
// (without folder) equals `exe` case-insensitively; "HandsetBridge" also matches
// "HandsetBridge.exe". In Z order.
[[nodiscard]] std::vector<TopWindow> windows_of(std::wstring_view exe);

// The program's status panel: a dialog-class window with the Start/Stop button.
[[nodiscard]] bool is_main_dialog(HWND window);
[[nodiscard]] HWND find_main_dialog(std::wstring_view exe);

// find_main_dialog until it succeeds; prints an error line and returns null on time-out.
[[nodiscard]] HWND wait_for_main_dialog(const std::string& exe, std::chrono::milliseconds timeout);

// Polls `done` until it holds (true) or `timeout` has passed (false); it is asked at least once.
[[nodiscard]] bool wait_until(std::chrono::milliseconds timeout, const std::function<bool()>& done);

// Calls `find` until it returns a window or `timeout` has passed; null on time-out.
[[nodiscard]] HWND wait_for(std::chrono::milliseconds timeout, const std::function<HWND()>& find);

// Children in Z order, which for a dialog is the order of its template, i.e. the tab order.
[[nodiscard]] std::vector<HWND> children_of(HWND parent);

// Full path of the executable that created the window, empty when it cannot be read.
[[nodiscard]] std::wstring image_path_of(HWND window);

} // namespace hbtool
