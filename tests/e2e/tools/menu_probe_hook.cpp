// menuprobe.dll: the hook procedure hbtool installs on the thread of a popup menu it wants to
// read (see menu_probe.h). It acts only on hbtool's registered message and never changes what
// the menu or its owner do; every other message passes straight on.
#include "menu_probe.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kMaxItemText = 256;
constexpr UINT kAnswerTimeoutMs = 5000;

std::wstring describe_item(HWND menu_window, HMENU menu, int index) {
    wchar_t text[kMaxItemText] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = kMaxItemText - 1;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info)) {
        return L"error=item " + std::to_wstring(index) + L" cannot be read\n";
    }
    RECT rect{};
    GetMenuItemRect(menu_window, menu, static_cast<UINT>(index), &rect);

    wchar_t fields[160];
    std::swprintf(fields, std::size(fields), L"%d\t%u\t%x\t%x\t%d\t%ld,%ld,%ld,%ld\t", index,
                  info.wID, info.fType, info.fState, info.hSubMenu != nullptr ? 1 : 0, rect.left,
                  rect.top, rect.right, rect.bottom);
    std::wstring line = fields;
    // Only string items carry text; the others report an empty one.
    if ((info.fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) == 0) {
        line += text;
    }
    line += L'\n';
    return line;
}

std::wstring describe_menu(HWND menu_window) {
    // Same thread as the window: answered at once.
    auto* menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
    const int count = menu != nullptr ? GetMenuItemCount(menu) : -1;
    if (count < 0) {
        return L"error=the window holds no readable menu\n";
    }
    std::wstring answer = L"count=" + std::to_wstring(count) + L'\n';
    for (int index = 0; index < count; ++index) {
        answer += describe_item(menu_window, menu, index);
    }
    return answer;
}

void answer(HWND menu_window, HWND reply_to) {
    const std::wstring payload = describe_menu(menu_window);
    COPYDATASTRUCT data{};
    data.dwData = hbtool::menu_probe::kAnswerTag;
    data.cbData = static_cast<DWORD>(payload.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(payload.data());
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(reply_to, WM_COPYDATA, reinterpret_cast<WPARAM>(menu_window),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                        &ignored);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    menu_probe_hook(int code, WPARAM wparam, LPARAM lparam) {
    static const UINT probe_message = RegisterWindowMessageW(hbtool::menu_probe::kMessageName);
    if (code == HC_ACTION && probe_message != 0) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (call->message == probe_message) {
            answer(call->hwnd, reinterpret_cast<HWND>(call->wParam));
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
