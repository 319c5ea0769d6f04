// CMenu.
#include "framework/Menu.h"

namespace hb {

bool CMenu::LoadMenu(int resourceId) {
    return Attach(m_shell.LoadMenu(resourceId));
}

bool CMenu::Attach(MenuHandle menu) {
    if (menu == MenuHandle{} || m_hMenu != MenuHandle{}) {
        return false;
    }
    m_hMenu = menu;
    return true;
}

bool CMenu::DestroyMenu() {
    if (m_hMenu == MenuHandle{}) {
        return false;
    }
    const bool destroyed = m_shell.DestroyMenu(m_hMenu);
    m_hMenu = MenuHandle{};
    return destroyed;
}

MenuHandle CMenu::GetSubMenu(int position) {
    if (m_hMenu == MenuHandle{}) {
        return MenuHandle{};
    }
    return m_shell.GetSubMenu(m_hMenu, position);
}

bool CMenu::TrackPopupMenu(MenuHandle popup, unsigned flags, int x, int y, Hwnd owner) {
    return m_shell.TrackPopupMenu(popup, flags, x, y, owner);
}

} // namespace hb
