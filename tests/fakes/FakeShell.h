// Message boxes, menus, the tray and the cursor, remembered for the test to inspect.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/CallLog.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace hb::fakes {

struct ShownMessageBox {
    Hwnd owner;
    std::string text;
    std::string caption;
    unsigned type;
};

struct TrackedPopup {
    MenuHandle menu;
    unsigned flags;
    int x;
    int y;
    Hwnd owner;
};

class FakeShell final : public platform::IShell {
public:
    explicit FakeShell(CallLog& log) : m_log(log) {}

    // Runs while a message box is "open" (the box is modal: the caller waits).
    std::function<void(const ShownMessageBox&)> onMessageBox;

    [[nodiscard]] std::vector<ShownMessageBox> MessageBoxes() const;
    [[nodiscard]] bool TrayIconPresent() const { return m_trayIcon; }
    [[nodiscard]] platform::NotifyIconData LastTrayData() const { return m_lastTray; }
    [[nodiscard]] std::vector<TrackedPopup> Popups() const { return m_popups; }
    [[nodiscard]] int LiveMenus() const { return static_cast<int>(m_liveMenus.size()); }
    void SetCursor(Point point) { m_cursor = point; }

    int MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                   unsigned type) override;
    MenuHandle LoadMenu(int resourceId) override;
    MenuHandle GetSubMenu(MenuHandle menu, int position) override;
    bool DestroyMenu(MenuHandle menu) override;
    bool TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) override;
    bool ShellNotifyIcon(unsigned message, const platform::NotifyIconData& data) override;
    Point GetCursorPos() override { return m_cursor; }

private:
    CallLog& m_log;
    mutable std::mutex m_mutex;
    std::vector<ShownMessageBox> m_boxes;
    std::map<std::uintptr_t, int> m_liveMenus; // menu handle -> resource id
    std::uintptr_t m_nextMenu = 0x500;
    std::vector<TrackedPopup> m_popups;
    bool m_trayIcon = false;
    platform::NotifyIconData m_lastTray{};
    Point m_cursor{640, 480};
};

} // namespace hb::fakes
