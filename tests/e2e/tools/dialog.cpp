// list-windows, find-dialog, texts, post and click: the program's windows and its status panel.
#include "commands.h"
#include "common.h"
#include "finder.h"

#include <vector>

namespace hbtool {

namespace {

// The status panel, waited for up to --timeout-ms.
HWND main_dialog(const Options& options) {
    return wait_for_main_dialog(options.text("exe"), options.timeout());
}

int post_to(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!PostMessageW(dialog, message, wparam, lparam)) {
        print("error", "PostMessage failed with error " + std::to_string(GetLastError()));
        return kExitFailed;
    }
    print("posted", "1");
    return kExitOk;
}

} // namespace

int list_windows(const Options& options) {
    const auto windows = windows_of(to_wide(options.text("exe")));
    for (const TopWindow& top : windows) {
        print_line("window hwnd=" + hwnd_text(top.hwnd) + " class=" + to_utf8(class_of(top.hwnd)) +
                   " title=" + escape(title_of(top.hwnd)) + " visible=" +
                   (IsWindowVisible(top.hwnd) ? "1" : "0") + " pid=" + std::to_string(top.pid));
    }
    print("count", std::to_string(windows.size()));
    return kExitOk;
}

int find_dialog(const Options& options) {
    HWND dialog = main_dialog(options);
    if (!dialog) {
        return kExitFailed;
    }
    RECT rect{};
    GetWindowRect(dialog, &rect);
    print("hwnd", hwnd_text(dialog));
    print("visible", IsWindowVisible(dialog) ? "1" : "0");
    print("rect", std::to_string(rect.left) + ',' + std::to_string(rect.top) + ',' +
                      std::to_string(rect.right) + ',' + std::to_string(rect.bottom));
    print("exstyle", hex(exstyle_of(dialog)));
    print("style", hex(style_of(dialog)));
    return kExitOk;
}

int texts(const Options& options) {
    const std::vector<int> ids = options.id_list("ids");
    HWND dialog = main_dialog(options);
    if (!dialog) {
        return kExitFailed;
    }
    int status = kExitOk;
    for (const int id : ids) {
        HWND control = GetDlgItem(dialog, id);
        const auto text = control ? text_of(control) : std::nullopt;
        if (!text) {
            print("error", "no readable control " + std::to_string(id));
            status = kExitFailed;
            continue;
        }
        print(std::to_string(id), to_utf8(*text));
    }
    return status;
}

int post(const Options& options) {
    const std::int64_t message = options.number("msg");
    if (message < 0 || message > 0xFFFF) {
        throw UsageError("--msg must be a message number from 0 to 0xFFFF");
    }
    const auto wparam = static_cast<WPARAM>(options.number_or("wparam", 0));
    const auto lparam = static_cast<LPARAM>(options.number_or("lparam", 0));
    HWND dialog = main_dialog(options);
    return dialog ? post_to(dialog, static_cast<UINT>(message), wparam, lparam) : kExitFailed;
}

int click(const Options& options) {
    const int id = normalised_id(options.number("id"));
    HWND dialog = main_dialog(options);
    if (!dialog) {
        return kExitFailed;
    }
    // The WM_COMMAND that a click on the button sends: identifier, BN_CLICKED, button handle.
    HWND button = GetDlgItem(dialog, id);
    return post_to(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

} // namespace hbtool
