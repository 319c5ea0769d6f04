// CWnd message routing and window calls.
#include "framework/Wnd.h"

#include "framework/WinApp.h"

#include <utility>

namespace hb {

LResult CWnd::WindowProc(unsigned message, WParam wParam, LParam lParam) {
    // Handlers may send messages to their own window, so keep the outer message.
    const CurrentMessage outer = std::exchange(m_current, CurrentMessage{message, wParam, lParam});
    LResult result = 0;
    if (message == win::kWmCommand) {
        if (!OnCommand(wParam, lParam)) {
            result = DefWindowProc(message, wParam, lParam);
        }
    } else if (const MessageMapEntry* entry = FindEntry(message, 0, 0)) {
        result = entry->handler(*this, wParam, lParam);
    } else {
        result = DefWindowProc(message, wParam, lParam);
    }
    m_current = outer;
    return result;
}

bool CWnd::OnCommand(WParam wParam, LParam) {
    const unsigned id = LoWord(wParam);
    const unsigned code = HiWord(wParam);
    if (OnCmdMsg(id, code)) {
        return true;
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, code);
}

LResult CWnd::DefWindowProc(unsigned message, WParam wParam, LParam lParam) {
    return m_os.window.DefDialogProc(m_hWnd, message, wParam, lParam);
}

LResult CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

bool CWnd::SubclassDlgItem(int id, CWnd& parent) {
    m_hWnd = m_os.window.GetDlgItem(parent.m_hWnd, id);
    return m_hWnd != kNoWindow;
}

LResult CWnd::SendMessage(unsigned message, WParam wParam, LParam lParam) {
    return m_os.window.SendMessage(m_hWnd, message, wParam, lParam);
}

bool CWnd::SetDlgItemText(int id, const std::string& text) {
    return m_os.window.SetDlgItemText(m_hWnd, id, text);
}

std::string CWnd::GetDlgItemText(int id) {
    return m_os.window.GetDlgItemText(m_hWnd, id);
}

bool CWnd::CheckRadioButton(int first, int last, int check) {
    return m_os.window.CheckRadioButton(m_hWnd, first, last, check);
}

int CWnd::GetCheckedRadioButton(int first, int last) {
    for (int id = first; id <= last; ++id) {
        if (m_os.window.IsDlgButtonChecked(m_hWnd, id)) {
            return id;
        }
    }
    return 0;
}

bool CWnd::SetWindowPos(Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    return m_os.window.SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

bool CWnd::ShowWindow(int command) {
    return m_os.window.ShowWindow(m_hWnd, command);
}

bool CWnd::IsIconic() {
    return m_os.window.IsIconic(m_hWnd);
}

Rect CWnd::GetClientRect() {
    return m_os.window.GetClientRect(m_hWnd);
}

Rect CWnd::GetWindowRect() {
    return m_os.window.GetWindowRect(m_hWnd);
}

bool CWnd::SetTimer(std::uintptr_t id, unsigned milliseconds) {
    return m_os.window.SetTimer(m_hWnd, id, milliseconds);
}

bool CWnd::KillTimer(std::uintptr_t id) {
    return m_os.window.KillTimer(m_hWnd, id);
}

int CWnd::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
    return m_os.shell.MessageBox(m_hWnd, text, caption, type);
}

} // namespace hb
