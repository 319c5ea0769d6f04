// Message boxes, menus, the tray icon and the cursor over user32/shell32.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <shellapi.h>

#include <cstring>

namespace hb::win32 {
namespace {

class Shell final : public platform::IShell {
public:
    int MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                   unsigned type) override {
        return ::MessageBoxA(ToNative(owner), text.c_str(), caption.c_str(), type);
    }

    MenuHandle LoadMenu(int resourceId) override {
        return FromNative(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
    }

    MenuHandle GetSubMenu(MenuHandle menu, int position) override {
        return FromNative(::GetSubMenu(ToNative(menu), position));
    }

    bool DestroyMenu(MenuHandle menu) override { return ::DestroyMenu(ToNative(menu)) != FALSE; }

    bool TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) override {
        return ::TrackPopupMenu(ToNative(menu), flags, x, y, 0, ToNative(owner), nullptr) != FALSE;
    }

    bool ShellNotifyIcon(unsigned message, const platform::NotifyIconData& data) override {
        NOTIFYICONDATAA nid{};
        nid.cbSize = sizeof nid;
        nid.hWnd = ToNative(data.hWnd);
        nid.uID = data.uID;
        nid.uFlags = data.uFlags;
        nid.uCallbackMessage = data.uCallbackMessage;
        nid.hIcon = ToNative(data.hIcon);
        static_assert(sizeof nid.szTip == sizeof data.szTip);
        std::memcpy(nid.szTip, data.szTip, sizeof nid.szTip);
        nid.szTip[sizeof nid.szTip - 1] = '\0';
        return ::Shell_NotifyIconA(message, &nid) != FALSE;
    }

    Point GetCursorPos() override {
        POINT point{};
        ::GetCursorPos(&point);
        return {point.x, point.y};
    }
};

#if !defined(_WIN64)
// The tray structure as the 32-bit build passes it.
static_assert(sizeof(NOTIFYICONDATAA) == 508);
#endif

} // namespace

std::unique_ptr<platform::IShell> MakeShell() {
    return std::make_unique<Shell>();
}

} // namespace hb::win32
