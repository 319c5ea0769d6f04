// CWnd: a window of the program, seen through the platform seam. Routes each message through
// the message map, passes what the map doesn't handle to DefWindowProc, and wraps the window
// calls the controller makes.
#pragma once

#include "framework/MessageMap.h"
#include "platform/Platform.h"

#include <string>

namespace hb {

class CWnd : public CCmdTarget {
public:
    explicit CWnd(platform::Platform& os) : m_os(os) {}

    Hwnd m_hWnd{};

    [[nodiscard]] platform::Platform& Os() const { return m_os; }
    [[nodiscard]] Hwnd GetSafeHwnd() const { return m_hWnd; }

    // Routes one message: the message map first, then DefWindowProc.
    LResult WindowProc(unsigned message, WParam wParam, LParam lParam);

    // Binds this object to a control of a dialog.
    bool SubclassDlgItem(int id, CWnd& parent);

    LResult SendMessage(unsigned message, WParam wParam = 0, LParam lParam = 0);
    bool SetDlgItemText(int id, const std::string& text);
    [[nodiscard]] std::string GetDlgItemText(int id);
    bool CheckRadioButton(int first, int last, int check);
    // The id of the first checked button in first..last, or 0.
    [[nodiscard]] int GetCheckedRadioButton(int first, int last);
    bool SetWindowPos(Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags);
    bool ShowWindow(int command);
    [[nodiscard]] bool IsIconic();
    [[nodiscard]] Rect GetClientRect();
    [[nodiscard]] Rect GetWindowRect();
    bool SetTimer(std::uintptr_t id, unsigned milliseconds);
    bool KillTimer(std::uintptr_t id);
    int MessageBox(const std::string& text, const std::string& caption, unsigned type);

protected:
    // Default processing of a message the map did not handle or a handler passed on.
    virtual LResult DefWindowProc(unsigned message, WParam wParam, LParam lParam);
    // Passes the message being handled to DefWindowProc.
    LResult Default();
    // Commands the window's own map doesn't handle go to the application.
    virtual bool OnCommand(WParam wParam, LParam lParam);

private:
    struct CurrentMessage {
        unsigned message = 0;
        WParam wParam = 0;
        LParam lParam = 0;
    };

    platform::Platform& m_os;
    CurrentMessage m_current;
};

} // namespace hb
