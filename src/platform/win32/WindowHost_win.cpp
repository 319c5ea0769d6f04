// Windows, dialogs and controls over user32/gdi32.
//
// A dialog is created modeless from its template and run by our own modal loop. Its window is
// subclassed on the first message the dialog procedure sees, so every later message, the
// ones DefDlgProc would otherwise swallow included, reaches the sink first; what the sink
// passes on goes to the dialog class's own procedure.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace hb::win32 {
namespace {

constexpr char kStateProperty[] = "HandsetBridge.DialogState";

struct DialogState {
    platform::IWindowSink* sink = nullptr;
    WNDPROC original = nullptr;
    bool ended = false;
    int result = 0;
    bool visibilitySet = false; // the program showed or hid the window itself
};

// A copy of a dialog template without WS_VISIBLE. The dialog manager shows a visible template's
// window after initialisation even when the program hid it meanwhile; created invisible, the
// window is shown only when the program left its visibility alone.
class InvisibleTemplate {
public:
    explicit InvisibleTemplate(int templateId) {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        HRSRC resource = ::FindResourceA(instance, MAKEINTRESOURCEA(templateId),
                                         MAKEINTRESOURCEA(5)); // RT_DIALOG
        HGLOBAL loaded = resource != nullptr ? ::LoadResource(instance, resource) : nullptr;
        const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
        if (bytes == nullptr) {
            return;
        }
        const DWORD size = ::SizeofResource(instance, resource);
        m_words.resize((size + sizeof(DWORD) - 1) / sizeof(DWORD));
        std::memcpy(m_words.data(), bytes, size);
        // An extended template starts with version 1 and signature 0xFFFF; its style is at
        // byte 12. A plain template starts with its style.
        const auto* head = reinterpret_cast<const WORD*>(m_words.data());
        DWORD* style = head[0] == 1 && head[1] == 0xFFFF ? &m_words[3] : &m_words[0];
        m_visible = (*style & WS_VISIBLE) != 0;
        *style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    [[nodiscard]] bool Loaded() const { return !m_words.empty(); }
    [[nodiscard]] bool WasVisible() const { return m_visible; }
    [[nodiscard]] LPCDLGTEMPLATEA Get() const {
        return reinterpret_cast<LPCDLGTEMPLATEA>(m_words.data());
    }

private:
    std::vector<DWORD> m_words;
    bool m_visible = false;
};

// The dialog being created on this thread, until its window exists.
thread_local DialogState* t_creating = nullptr;

DialogState* StateOf(HWND hwnd) {
    return static_cast<DialogState*>(::GetPropA(hwnd, kStateProperty));
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = StateOf(hwnd);
    if (state == nullptr) {
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        const WNDPROC original = state->original;
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::RemovePropA(hwnd, kStateProperty);
        return ::CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    return state->sink->WindowProc(FromNative(hwnd), message, static_cast<WParam>(wParam),
                                   static_cast<LParam>(lParam));
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (t_creating != nullptr && StateOf(hwnd) == nullptr) {
        DialogState* state = std::exchange(t_creating, nullptr);
        ::SetPropA(hwnd, kStateProperty, state);
        state->original = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
        if (message == WM_INITDIALOG) {
            // The dialog had no earlier message: initialisation must still reach the sink.
            return state->sink->WindowProc(FromNative(hwnd), message, static_cast<WParam>(wParam),
                                           static_cast<LParam>(lParam));
        }
    }
    // Everything reaches the sink through the subclass; the dialog manager does the rest.
    return FALSE;
}

class WindowHost final : public platform::IWindowHost {
public:
    int DoModal(int templateId, Hwnd owner, platform::IWindowSink& sink) override {
        const InvisibleTemplate dialogTemplate(templateId);
        if (!dialogTemplate.Loaded()) {
            return -1;
        }
        DialogState state;
        state.sink = &sink;
        t_creating = &state;
        HWND hwnd = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), dialogTemplate.Get(),
                                                 ToNative(owner), &DialogProc, 0);
        t_creating = nullptr;
        if (hwnd == nullptr) {
            return -1;
        }
        if (dialogTemplate.WasVisible() && !state.visibilitySet && !state.ended) {
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
        }
        MSG msg{};
        while (!state.ended) {
            const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) {
                ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave WM_QUIT for the caller
                break;
            }
            if (got == -1) {
                break;
            }
            if (!::IsDialogMessageA(hwnd, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        ::DestroyWindow(hwnd);
        return state.result;
    }

    bool EndDialog(Hwnd dialog, int result) override {
        DialogState* state = StateOf(ToNative(dialog));
        if (state == nullptr) {
            return false;
        }
        state->ended = true;
        state->result = result;
        // Wake the modal loop.
        return ::PostMessageA(ToNative(dialog), WM_NULL, 0, 0) != FALSE;
    }

    LResult DefDialogProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) override {
        const HWND native = ToNative(hwnd);
        DialogState* state = StateOf(native);
        if (state == nullptr) {
            return ::DefDlgProcA(native, message, wParam, lParam);
        }
        return ::CallWindowProcA(state->original, native, message, wParam, lParam);
    }

    LResult SendMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) override {
        return ::SendMessageA(ToNative(hwnd), message, wParam, lParam);
    }

    int InsertComboString(Hwnd combo, int index, const std::string& text) override {
        return static_cast<int>(::SendMessageA(ToNative(combo), CB_INSERTSTRING,
                                               static_cast<WPARAM>(index),
                                               reinterpret_cast<LPARAM>(text.c_str())));
    }

    Hwnd GetDlgItem(Hwnd dialog, int id) override {
        return FromNative(::GetDlgItem(ToNative(dialog), id));
    }

    bool SetDlgItemText(Hwnd dialog, int id, const std::string& text) override {
        return ::SetDlgItemTextA(ToNative(dialog), id, text.c_str()) != FALSE;
    }

    std::string GetDlgItemText(Hwnd dialog, int id) override {
        char buffer[512] = {};
        const UINT length = ::GetDlgItemTextA(ToNative(dialog), id, buffer, sizeof buffer);
        return std::string(buffer, length);
    }

    bool CheckRadioButton(Hwnd dialog, int first, int last, int check) override {
        return ::CheckRadioButton(ToNative(dialog), first, last, check) != FALSE;
    }

    bool IsDlgButtonChecked(Hwnd dialog, int id) override {
        return ::IsDlgButtonChecked(ToNative(dialog), id) == BST_CHECKED;
    }

    bool SetWindowPos(Hwnd hwnd, Hwnd insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override {
        if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0) {
            NoteVisibilitySet(hwnd);
        }
        return ::SetWindowPos(ToNative(hwnd), ToNative(insertAfter), x, y, cx, cy, flags) != FALSE;
    }

    bool ShowWindow(Hwnd hwnd, int command) override {
        NoteVisibilitySet(hwnd);
        return ::ShowWindow(ToNative(hwnd), command) != FALSE;
    }

    bool IsIconic(Hwnd hwnd) override { return ::IsIconic(ToNative(hwnd)) != FALSE; }

    Rect GetWindowRect(Hwnd hwnd) override {
        RECT rect{};
        ::GetWindowRect(ToNative(hwnd), &rect);
        return {rect.left, rect.top, rect.right, rect.bottom};
    }

    Rect GetClientRect(Hwnd hwnd) override {
        RECT rect{};
        ::GetClientRect(ToNative(hwnd), &rect);
        return {rect.left, rect.top, rect.right, rect.bottom};
    }

    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }

    DcHandle BeginPaint(Hwnd hwnd) override {
        // One paint at a time on the window's thread: the paint structure lives until EndPaint.
        return FromNative(::BeginPaint(ToNative(hwnd), &m_paint));
    }

    void EndPaint(Hwnd hwnd, DcHandle) override { ::EndPaint(ToNative(hwnd), &m_paint); }

    bool DrawIcon(DcHandle dc, int x, int y, IconHandle icon) override {
        return ::DrawIcon(ToNative(dc), x, y, ToNative(icon)) != FALSE;
    }

    IconHandle LoadIcon(int resourceId, int cx, int cy) override {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        if (cx == 0 && cy == 0) {
            return FromNative(::LoadIconA(instance, MAKEINTRESOURCEA(resourceId)));
        }
        return FromNative(static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId),
                                                          IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR)));
    }

    bool DestroyIcon(IconHandle icon) override { return ::DestroyIcon(ToNative(icon)) != FALSE; }

    bool SetTimer(Hwnd hwnd, std::uintptr_t id, unsigned milliseconds) override {
        return ::SetTimer(ToNative(hwnd), id, milliseconds, nullptr) != 0;
    }

    bool KillTimer(Hwnd hwnd, std::uintptr_t id) override {
        return ::KillTimer(ToNative(hwnd), id) != FALSE;
    }

private:
    static void NoteVisibilitySet(Hwnd hwnd) {
        if (DialogState* state = StateOf(ToNative(hwnd))) {
            state->visibilitySet = true;
        }
    }

    PAINTSTRUCT m_paint{};
};

} // namespace

std::unique_ptr<platform::IWindowHost> MakeWindowHost() {
    return std::make_unique<WindowHost>();
}

} // namespace hb::win32
