// wait-text, combo-items, select-combo and check-radio: the panel's controls the way a user works
// them (pick a device, choose a protocol) and a wait for a field to show a given text.
//
// Messages that the control answers itself are sent with a time-out, so a hung program can't
// block the tool; notifications to the dialog are posted, exactly as the control would send them.
#include "commands.h"
#include "common.h"
#include "finder.h"

#include <string>
#include <vector>

namespace hbtool {

namespace {

constexpr UINT kControlTimeoutMs = 2000;

// The control with identifier --id of the program's panel; null (with an error line) when the
// panel or the control is missing.
HWND panel_control(const Options& options, HWND* dialog_out = nullptr) {
    const int id = normalised_id(options.number("id"));
    HWND dialog = wait_for_main_dialog(options.text("exe"), options.timeout());
    if (!dialog) {
        return nullptr;
    }
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        print("error", "the panel has no control " + std::to_string(id));
        return nullptr;
    }
    if (dialog_out != nullptr) {
        *dialog_out = dialog;
    }
    return control;
}

std::optional<LRESULT> send_to(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kControlTimeoutMs,
                             &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<std::wstring> combo_item(HWND combo, int index) {
    const auto length = send_to(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (!length || *length == CB_ERR) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(static_cast<std::size_t>(*length) + 1, L'\0');
    const auto copied = send_to(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(buffer.data()));
    if (!copied || *copied == CB_ERR) {
        return std::nullopt;
    }
    return std::wstring(buffer.data(), static_cast<std::size_t>(*copied));
}

} // namespace

int wait_text(const Options& options) {
    const std::wstring wanted = to_wide(options.text("text"));
    const auto timeout = options.timeout();
    HWND control = panel_control(options);
    if (!control) {
        return kExitFailed;
    }
    std::optional<std::wstring> last;
    const bool shown = wait_until(timeout, [&] {
        last = text_of(control);
        return last && *last == wanted;
    });
    print("text", last ? to_utf8(*last) : "");
    if (!shown) {
        print("error", "timeout waiting for control " + std::to_string(control_id(control)) +
                           " to show " + options.text("text"));
        return kExitFailed;
    }
    return kExitOk;
}

int combo_items(const Options& options) {
    HWND combo = panel_control(options);
    if (!combo) {
        return kExitFailed;
    }
    const auto count = send_to(combo, CB_GETCOUNT, 0, 0);
    const auto selected = send_to(combo, CB_GETCURSEL, 0, 0);
    if (!count || *count == CB_ERR || !selected) {
        print("error", "the combo box did not answer");
        return kExitFailed;
    }
    for (int index = 0; index < static_cast<int>(*count); ++index) {
        const auto item = combo_item(combo, index);
        if (!item) {
            print("error", "item " + std::to_string(index) + " can't be read");
            return kExitFailed;
        }
        print("item." + std::to_string(index), to_utf8(*item));
    }
    print("count", std::to_string(*count));
    print("selected", std::to_string(*selected));
    return kExitOk;
}

int select_combo(const Options& options) {
    const std::int64_t index = options.number("index");
    if (index < 0 || index > 0xFFFF) {
        throw UsageError("--index must be an item number from 0 to 0xFFFF");
    }
    HWND dialog = nullptr;
    HWND combo = panel_control(options, &dialog);
    if (!combo) {
        return kExitFailed;
    }
    const auto selected = send_to(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (!selected || *selected != index) {
        print("error", "the combo box has no item " + std::to_string(index));
        return kExitFailed;
    }
    // A user's choice in the list ends with this notification; CB_SETCURSEL alone sends none.
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(control_id(combo)), CBN_SELCHANGE);
    if (!PostMessageW(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(combo))) {
        print("error", "PostMessage failed with error " + std::to_string(GetLastError()));
        return kExitFailed;
    }
    print("selected", std::to_string(index));
    return kExitOk;
}

int check_radio(const Options& options) {
    HWND radio = panel_control(options);
    if (!radio) {
        return kExitFailed;
    }
    // BM_CLICK makes the button handle a press and release of its own: an automatic radio
    // button checks itself, clears the others of its group and notifies the dialog.
    if (!send_to(radio, BM_CLICK, 0, 0)) {
        print("error", "the button did not answer BM_CLICK");
        return kExitFailed;
    }
    const auto state = send_to(radio, BM_GETCHECK, 0, 0);
    const bool checked = state && *state == BST_CHECKED;
    print("checked", checked ? "1" : "0");
    return checked ? kExitOk : kExitFailed;
}

} // namespace hbtool
