// Message boxes, menus, tray.
#include "tests/fakes/FakeShell.h"

#include "platform/Constants.h"

namespace hb::fakes {

int FakeShell::MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                          unsigned type) {
    m_log.Add("MessageBox " + text + " | " + caption + " | " + std::to_string(type));
    const ShownMessageBox box{owner, text, caption, type};
    {
        std::scoped_lock lock(m_mutex);
        m_boxes.push_back(box);
    }
    if (onMessageBox) {
        onMessageBox(box);
    }
    return win::kIdOk;
}

std::vector<ShownMessageBox> FakeShell::MessageBoxes() const {
    std::scoped_lock lock(m_mutex);
    return m_boxes;
}

MenuHandle FakeShell::LoadMenu(int resourceId) {
    m_log.Add("LoadMenu " + std::to_string(resourceId));
    const std::uintptr_t handle = m_nextMenu++;
    m_liveMenus[handle] = resourceId;
    return MenuHandle{handle};
}

MenuHandle FakeShell::GetSubMenu(MenuHandle menu, int position) {
    const auto handle = static_cast<std::uintptr_t>(menu);
    if (!m_liveMenus.contains(handle) || position != 0) {
        return MenuHandle{};
    }
    // Popups live in their menu's handle space: menu + 0x10000.
    return MenuHandle{handle + 0x10000};
}

bool FakeShell::DestroyMenu(MenuHandle menu) {
    m_log.Add("DestroyMenu");
    return m_liveMenus.erase(static_cast<std::uintptr_t>(menu)) != 0;
}

bool FakeShell::TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) {
    m_log.Add("TrackPopupMenu " + std::to_string(flags) + " " + std::to_string(x) + " " +
              std::to_string(y));
    m_popups.push_back({menu, flags, x, y, owner});
    return true;
}

bool FakeShell::ShellNotifyIcon(unsigned message, const platform::NotifyIconData& data) {
    m_log.Add("ShellNotifyIcon " + std::to_string(message));
    m_lastTray = data;
    if (message == win::kNimAdd) {
        const bool added = !m_trayIcon;
        m_trayIcon = true;
        return added;
    }
    if (message == win::kNimDelete) {
        const bool removed = m_trayIcon;
        m_trayIcon = false;
        return removed;
    }
    return m_trayIcon;
}

} // namespace hb::fakes
