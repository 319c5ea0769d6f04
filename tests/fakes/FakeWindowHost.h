// A behavioural window host: one dialog at a time with controls that keep their texts, check
// states and combo items; a modal loop that runs scripted messages; window timers on a manual
// clock. Messages sent to the dialog itself go through the program's window procedure, as they
// do on Windows.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/CallLog.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hb::fakes {

inline constexpr Hwnd kFakeDialog{0x1000};
inline constexpr int kLoopStarved = -2; // DoModal ran out of scripted messages

struct FakeControl {
    std::string text;
    bool checked = false;
    std::vector<std::string> items; // combo-box entries
    int selection = -1;
};

class FakeWindowHost final : public platform::IWindowHost {
public:
    explicit FakeWindowHost(CallLog& log) : m_log(log) {}

    // Test controls ------------------------------------------------------------------------
    // Messages the modal loop delivers, in order, once the dialog is initialised.
    void Script(std::function<void()> step) { m_script.push_back(std::move(step)); }
    // Routes the dialog window's messages to a sink without a modal run, for tests that drive
    // a controller's operations directly.
    void Attach(platform::IWindowSink& sink) { m_sink = &sink; }
    void Detach() { m_sink = nullptr; }
    // Delivers a message to the dialog's window procedure now.
    LResult Deliver(unsigned message, WParam wParam = 0, LParam lParam = 0);
    // Advances the manual clock and fires every timer that comes due, in time order.
    void AdvanceClock(unsigned milliseconds);
    [[nodiscard]] bool TimerRunning(std::uintptr_t id) const;
    [[nodiscard]] std::optional<unsigned> TimerPeriod(std::uintptr_t id) const;
    [[nodiscard]] std::string Text(int id) const;
    void SetText(int id, std::string text);
    [[nodiscard]] FakeControl Control(int id) const;
    void SetChecked(int id, bool checked);
    [[nodiscard]] bool Visible() const { return m_visible; }
    [[nodiscard]] Rect WindowRect() const { return m_rect; }
    [[nodiscard]] bool DialogExists() const { return m_sink != nullptr; }
    void SetIconic(bool iconic) { m_iconic = iconic; }
    void SetClientRect(Rect rect) { m_client = rect; }
    // Messages that reached the dialog class's default processing.
    [[nodiscard]] std::vector<unsigned> DefaultProcessed() const;

    // IWindowHost ---------------------------------------------------------------------------
    int DoModal(int templateId, Hwnd owner, platform::IWindowSink& sink) override;
    bool EndDialog(Hwnd dialog, int result) override;
    LResult DefDialogProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) override;
    LResult SendMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) override;
    int InsertComboString(Hwnd combo, int index, const std::string& text) override;
    Hwnd GetDlgItem(Hwnd dialog, int id) override;
    bool SetDlgItemText(Hwnd dialog, int id, const std::string& text) override;
    std::string GetDlgItemText(Hwnd dialog, int id) override;
    bool CheckRadioButton(Hwnd dialog, int first, int last, int check) override;
    bool IsDlgButtonChecked(Hwnd dialog, int id) override;
    bool SetWindowPos(Hwnd hwnd, Hwnd insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    bool ShowWindow(Hwnd hwnd, int command) override;
    bool IsIconic(Hwnd hwnd) override;
    Rect GetWindowRect(Hwnd) override { return m_rect; }
    Rect GetClientRect(Hwnd hwnd) override;
    int GetSystemMetrics(int index) override;
    DcHandle BeginPaint(Hwnd hwnd) override;
    void EndPaint(Hwnd hwnd, DcHandle dc) override;
    bool DrawIcon(DcHandle dc, int x, int y, IconHandle icon) override;
    IconHandle LoadIcon(int resourceId, int cx, int cy) override;
    bool DestroyIcon(IconHandle icon) override {
        m_log.Add("DestroyIcon " + std::to_string(static_cast<std::uintptr_t>(icon)));
        return true;
    }
    bool SetTimer(Hwnd hwnd, std::uintptr_t id, unsigned milliseconds) override;
    bool KillTimer(Hwnd hwnd, std::uintptr_t id) override;

private:
    static constexpr std::uintptr_t kControlBase = 0x2000;
    struct Timer {
        unsigned period;
        unsigned long long due;
    };

    static int ControlId(Hwnd hwnd) {
        return static_cast<int>(static_cast<std::uintptr_t>(hwnd) - kControlBase);
    }
    static bool IsControl(Hwnd hwnd) { return static_cast<std::uintptr_t>(hwnd) >= kControlBase; }

    CallLog& m_log;
    mutable std::recursive_mutex m_mutex; // controls and timers are touched from both threads
    platform::IWindowSink* m_sink = nullptr;
    std::deque<std::function<void()>> m_script;
    std::map<int, FakeControl> m_controls;
    std::map<std::uintptr_t, Timer> m_timers;
    std::vector<unsigned> m_defaultProcessed;
    unsigned long long m_now = 0;
    bool m_ended = false;
    int m_result = 0;
    bool m_visible = false;
    bool m_visibilitySet = false;
    bool m_iconic = false;
    Rect m_rect{0, 0, 815, 109};
    Rect m_client{0, 0, 815, 109};
};

} // namespace hb::fakes
