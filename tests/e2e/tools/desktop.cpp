// window-text and foreground: windows of other programs, such as the Notepad that receives the
// keys the program under test types.
#include "commands.h"
#include "common.h"
#include "finder.h"

#include <string>

namespace hbtool {

namespace {

void print_window(HWND window) {
    DWORD pid = 0;
    if (window != nullptr) {
        GetWindowThreadProcessId(window, &pid);
    }
    print("hwnd", hwnd_text(window));
    print("class", window != nullptr ? to_utf8(class_of(window)) : "");
    print("title", window != nullptr ? title_of(window) : "");
    print("pid", std::to_string(pid));
}

} // namespace

int window_text(const Options& options) {
    const std::string top_class = options.text("class");
    const auto child_class = options.optional_text("child-class");
    const std::wstring top_name = to_wide(top_class);
    const std::wstring child_name = to_wide(child_class.value_or(""));

    HWND window = wait_for(options.timeout(), [&] {
        HWND top = FindWindowW(top_name.c_str(), nullptr);
        if (top == nullptr || !child_class) {
            return top;
        }
        return FindWindowExW(top, nullptr, child_name.c_str(), nullptr);
    });
    if (window == nullptr) {
        print("error", "timeout waiting for a window of class " + top_class +
                           (child_class ? " with a child of class " + *child_class : ""));
        return kExitFailed;
    }
    const auto text = text_of(window);
    if (!text) {
        print("error", "the window did not answer WM_GETTEXT");
        return kExitFailed;
    }
    print("hwnd", hwnd_text(window));
    print("text", to_utf8(*text));
    return kExitOk;
}

int foreground(const Options& options) {
    const auto wanted = options.optional_text("class");
    if (!wanted) {
        print_window(GetForegroundWindow());
        return kExitOk;
    }
    const std::wstring name = to_wide(*wanted);
    HWND window = nullptr;
    const bool found = wait_until(options.timeout(), [&] {
        window = GetForegroundWindow();
        return window != nullptr && has_class(window, name);
    });
    print_window(window);
    if (!found) {
        print("error", "timeout waiting for a foreground window of class " + *wanted);
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace hbtool
