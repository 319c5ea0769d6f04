// wait-msgbox and press-msgbox: the message boxes the program under test shows.
#include "commands.h"
#include "common.h"
#include "finder.h"
#include "icon_match.h"
#include "resource.h"

#include <optional>
#include <vector>

namespace hbtool {

namespace {

// A message box paints shortly after it appears; the icon is read from the screen.
constexpr auto kPaintGrace = std::chrono::milliseconds(3000);
// After the click is posted, the box must go within this time.
constexpr auto kCloseTimeout = std::chrono::milliseconds(5000);

struct MessageBoxParts {
    HWND box = nullptr;
    HWND text = nullptr;       // the static with the message
    HWND icon = nullptr;       // the SS_ICON static, if the box has one
    std::vector<HWND> buttons; // shown push buttons, left to right as created
};

bool is_push_button(HWND control) {
    const DWORD type = style_of(control) & BS_TYPEMASK;
    return has_class(control, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// The parts are recognised by kind, not by identifier: Windows and Wine number the icon and text
// statics differently.
std::optional<MessageBoxParts> message_box_parts(HWND window) {
    if (!has_class(window, L"#32770") || !IsWindowVisible(window) ||
        GetDlgItem(window, IDC_START_STOP) != nullptr) {
        return std::nullopt;
    }
    MessageBoxParts parts;
    parts.box = window;
    for (HWND child : children_of(window)) {
        if (has_class(child, L"Static")) {
            if ((style_of(child) & SS_TYPEMASK) == SS_ICON) {
                parts.icon = parts.icon ? parts.icon : child;
            } else {
                parts.text = parts.text ? parts.text : child;
            }
        } else if (is_push_button(child) && IsWindowVisible(child)) {
            parts.buttons.push_back(child);
        }
    }
    if (!parts.text) {
        return std::nullopt;
    }
    return parts;
}

std::optional<MessageBoxParts> wait_for_message_box(const Options& options) {
    const std::wstring exe = to_wide(options.text("exe"));
    HWND box = wait_for(options.timeout(), [&] {
        for (const TopWindow& top : windows_of(exe)) {
            if (message_box_parts(top.hwnd)) {
                return top.hwnd;
            }
        }
        return HWND{};
    });
    if (!box) {
        print("error", "timeout waiting for a message box of " + options.text("exe"));
        return std::nullopt;
    }
    auto parts = message_box_parts(box);
    if (!parts) {
        print("error", "the message box went away");
    }
    return parts;
}

// A button's label without its mnemonic marker: "&OK" reads "OK", "&&" reads "&".
std::string label_of(HWND button) {
    const std::wstring text = text_of(button).value_or(L"");
    std::wstring label;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;
        }
        label += text[i];
    }
    return to_utf8(label);
}

bool same_label(std::string_view a, std::string_view b) {
    const std::wstring wa = to_wide(a);
    const std::wstring wb = to_wide(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

int wait_msgbox(const Options& options) {
    const auto parts = wait_for_message_box(options);
    if (!parts) {
        return kExitFailed;
    }

    IconVerdict icon;
    (void)wait_until(kPaintGrace, [&] {
        icon = identify_icon(parts->icon);
        return icon.name != "unknown";
    });

    std::string buttons;
    for (HWND button : parts->buttons) {
        buttons += (buttons.empty() ? "" : ",") + label_of(button);
    }

    print("hwnd", hwnd_text(parts->box));
    print("caption", to_utf8(text_of(parts->box).value_or(L"")));
    print("text", to_utf8(text_of(parts->text).value_or(L"")));
    print("icon", icon.name);
    print("icon_method", icon.method);
    print("buttons", buttons);
    print("owner", hwnd_text(GetWindow(parts->box, GW_OWNER)));
    return kExitOk;
}

int press_msgbox(const Options& options) {
    const auto wanted = options.optional_text("button");
    const auto parts = wait_for_message_box(options);
    if (!parts) {
        return kExitFailed;
    }

    HWND chosen = nullptr;
    for (HWND button : parts->buttons) {
        if (!wanted || same_label(label_of(button), *wanted)) {
            chosen = button;
            break;
        }
    }
    if (!chosen) {
        print("error", "the message box has no button " + wanted.value_or("at all"));
        return kExitFailed;
    }

    // Posted, not sent: the click must not wait for whatever the program does next.
    const std::string label = label_of(chosen);
    const auto id = static_cast<WORD>(GetDlgCtrlID(chosen));
    if (!PostMessageW(parts->box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(chosen))) {
        print("error", "the message box went away");
        return kExitFailed;
    }
    print("pressed", label);

    HWND box = parts->box;
    const bool closed =
        wait_until(kCloseTimeout, [box] { return !IsWindow(box) || !IsWindowVisible(box); });
    print("closed", closed ? "1" : "0");
    return closed ? kExitOk : kExitFailed;
}

} // namespace hbtool
