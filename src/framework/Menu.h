// CMenu: owns a loaded menu and destroys it with the object.
#pragma once

#include "platform/Platform.h"

namespace hb {

class CMenu {
public:
    explicit CMenu(platform::IShell& shell) : m_shell(shell) {}
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() { DestroyMenu(); }

    bool LoadMenu(int resourceId);
    [[nodiscard]] bool Attach(MenuHandle menu);
    bool DestroyMenu();
    [[nodiscard]] MenuHandle GetSafeHmenu() const { return m_hMenu; }
    // A popup of this menu; owned by this menu, not by the caller.
    [[nodiscard]] MenuHandle GetSubMenu(int position);
    bool TrackPopupMenu(MenuHandle popup, unsigned flags, int x, int y, Hwnd owner);

private:
    platform::IShell& m_shell;
    MenuHandle m_hMenu{};
};

} // namespace hb
