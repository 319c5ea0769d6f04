// The tray icon, its popup menu and the program's exit paths.
#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/HandsetBridgeDlg.h"

#include <cstring>

namespace hb {
namespace {
constexpr char kTrayTip[] = "V5120 remote";
constexpr std::uint32_t kTrayIconId = 128;
} // namespace

void CHandsetBridgeDlg::AddTrayIcon() {
    m_nid = platform::NotifyIconData{};
    m_nid.cbSize = 0; // the backend fills in the size of the structure it passes
    m_nid.hWnd = m_hWnd;
    m_nid.uID = kTrayIconId;
    m_nid.uFlags = win::kNifMessage | win::kNifIcon | win::kNifTip;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = Os().window.LoadIcon(IDR_MAINFRAME, 16, 16);
    static_assert(sizeof kTrayTip <= sizeof m_nid.szTip);
    std::memcpy(m_nid.szTip, kTrayTip, sizeof kTrayTip);
    Os().shell.ShellNotifyIcon(win::kNimAdd, m_nid);
    m_menuTray.LoadMenu(IDR_TRAY_MENU);
}

LResult CHandsetBridgeDlg::OnTrayNotify(WParam, LParam lParam) {
    switch (static_cast<unsigned>(lParam)) {
    case win::kWmLButtonDblClk:
        // Start-up left the panel with no size at all: show it where and as large as it was.
        SetWindowPos(kNoWindow, m_rcPanel.left, m_rcPanel.top, m_rcPanel.right - m_rcPanel.left,
                     m_rcPanel.bottom - m_rcPanel.top, win::kSwpNoZOrder);
        ShowWindow(win::kSwShow);
        break;
    case win::kWmRButtonUp: {
        const Point cursor = Os().shell.GetCursorPos();
        m_menuTray.TrackPopupMenu(m_menuTray.GetSubMenu(0),
                                  win::kTpmRightAlign | win::kTpmRightButton, cursor.x, cursor.y,
                                  m_hWnd);
        break;
    }
    default:
        break;
    }
    return 1;
}

void CHandsetBridgeDlg::OnExit() {
    if (m_bCapturing == 1) {
        OnStartStop();
    }
    Os().shell.ShellNotifyIcon(win::kNimDelete, m_nid);
    OnOK();
}

void CHandsetBridgeDlg::OnTrayExit() {
    MessageBox("V5120 Remote will be disable", AfxAppName(), win::kMbOk);
    if (m_bCapturing == 1) {
        OnStartStop();
    }
    OnDestroy();
}

void CHandsetBridgeDlg::OnDestroy() {
    Os().shell.ShellNotifyIcon(win::kNimDelete, m_nid);
    OnOK();
}

} // namespace hb
