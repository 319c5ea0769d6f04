// The behavioural window host.
#include "tests/fakes/FakeWindowHost.h"

#include "platform/Constants.h"

#include <cstdio>

namespace hb::fakes {
namespace {

std::string Hex(unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", value);
    return buffer;
}

} // namespace

LResult FakeWindowHost::Deliver(unsigned message, WParam wParam, LParam lParam) {
    platform::IWindowSink* sink = m_sink;
    return sink != nullptr ? sink->WindowProc(kFakeDialog, message, wParam, lParam) : 0;
}

int FakeWindowHost::DoModal(int templateId, Hwnd, platform::IWindowSink& sink) {
    m_log.Add("DoModal " + std::to_string(templateId));
    m_sink = &sink;
    m_ended = false;
    m_result = 0;
    m_visible = false;
    m_visibilitySet = false;
    Deliver(win::kWmInitDialog, 0, 0);
    // The template is visible: the dialog shows itself after initialisation unless the program
    // showed or hid it meanwhile.
    if (!m_visibilitySet) {
        m_visible = true;
    }
    while (!m_ended && !m_script.empty()) {
        std::function<void()> step = std::move(m_script.front());
        m_script.pop_front();
        step();
    }
    if (!m_ended) {
        m_result = kLoopStarved;
        m_log.Add("DoModal: loop idle with nothing scripted");
    }
    Deliver(win::kWmDestroy, 0, 0);
    m_sink = nullptr;
    m_visible = false;
    m_log.Add("DestroyWindow");
    return m_result;
}

bool FakeWindowHost::EndDialog(Hwnd, int result) {
    m_log.Add("EndDialog " + std::to_string(result));
    if (m_ended) {
        return false;
    }
    m_ended = true;
    m_result = result;
    return true;
}

LResult FakeWindowHost::DefDialogProc(Hwnd, unsigned message, WParam, LParam) {
    std::scoped_lock lock(m_mutex);
    m_defaultProcessed.push_back(message);
    return 0;
}

std::vector<unsigned> FakeWindowHost::DefaultProcessed() const {
    std::scoped_lock lock(m_mutex);
    return m_defaultProcessed;
}

LResult FakeWindowHost::SendMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) {
    if (!IsControl(hwnd)) {
        m_log.Add("SendMessage dialog " + Hex(message) + " " + std::to_string(wParam));
        return Deliver(message, wParam, lParam);
    }
    const int id = ControlId(hwnd);
    m_log.Add("SendMessage " + std::to_string(id) + " " + Hex(message) + " " +
              std::to_string(wParam));
    std::scoped_lock lock(m_mutex);
    FakeControl& control = m_controls[id];
    switch (message) {
    case win::kCbSetCurSel: {
        const auto index = static_cast<int>(wParam);
        control.selection =
            index >= 0 && index < static_cast<int>(control.items.size()) ? index : -1;
        return control.selection;
    }
    case win::kCbGetCurSel:
        return control.selection;
    case win::kCbGetCount:
        return static_cast<LResult>(control.items.size());
    default:
        return 0;
    }
}

int FakeWindowHost::InsertComboString(Hwnd combo, int index, const std::string& text) {
    const int id = ControlId(combo);
    m_log.Add("InsertComboString " + std::to_string(id) + " " + std::to_string(index) + " " + text);
    std::scoped_lock lock(m_mutex);
    std::vector<std::string>& items = m_controls[id].items;
    if (index < 0 || index > static_cast<int>(items.size())) {
        return win::kCbErr;
    }
    items.insert(items.begin() + index, text);
    return index;
}

Hwnd FakeWindowHost::GetDlgItem(Hwnd, int id) {
    m_log.Add("GetDlgItem " + std::to_string(id));
    return Hwnd{kControlBase + static_cast<std::uintptr_t>(id)};
}

bool FakeWindowHost::SetDlgItemText(Hwnd, int id, const std::string& text) {
    m_log.Add("SetDlgItemText " + std::to_string(id) + " " + text);
    SetText(id, text);
    return true;
}

std::string FakeWindowHost::GetDlgItemText(Hwnd, int id) {
    return Text(id);
}

bool FakeWindowHost::CheckRadioButton(Hwnd, int first, int last, int check) {
    m_log.Add("CheckRadioButton " + std::to_string(first) + " " + std::to_string(last) + " " +
              std::to_string(check));
    std::scoped_lock lock(m_mutex);
    for (int id = first; id <= last; ++id) {
        m_controls[id].checked = id == check;
    }
    return true;
}

bool FakeWindowHost::IsDlgButtonChecked(Hwnd, int id) {
    return Control(id).checked;
}

bool FakeWindowHost::SetWindowPos(Hwnd, Hwnd insertAfter, int x, int y, int cx, int cy,
                                  unsigned flags) {
    m_log.Add("SetWindowPos " + std::to_string(static_cast<std::intptr_t>(insertAfter)) + " " +
              std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(cx) + " " +
              std::to_string(cy) + " " + Hex(flags));
    if ((flags & win::kSwpNoSize) == 0) {
        m_rect = {x, y, x + cx, y + cy};
        m_client = {0, 0, cx, cy};
    }
    if ((flags & win::kSwpHideWindow) != 0) {
        m_visible = false;
        m_visibilitySet = true;
    }
    return true;
}

bool FakeWindowHost::ShowWindow(Hwnd, int command) {
    m_log.Add("ShowWindow " + std::to_string(command));
    const bool wasVisible = m_visible;
    m_visible = command != win::kSwHide;
    m_visibilitySet = true;
    return wasVisible;
}

bool FakeWindowHost::IsIconic(Hwnd) {
    return m_iconic;
}

Rect FakeWindowHost::GetClientRect(Hwnd) {
    return m_client;
}

int FakeWindowHost::GetSystemMetrics(int index) {
    return index == win::kSmCxIcon || index == win::kSmCyIcon ? 32 : 0;
}

DcHandle FakeWindowHost::BeginPaint(Hwnd) {
    m_log.Add("BeginPaint");
    return DcHandle{0x77};
}

void FakeWindowHost::EndPaint(Hwnd, DcHandle) {
    m_log.Add("EndPaint");
}

bool FakeWindowHost::DrawIcon(DcHandle, int x, int y, IconHandle icon) {
    m_log.Add("DrawIcon " + std::to_string(x) + " " + std::to_string(y) + " " +
              std::to_string(static_cast<std::uintptr_t>(icon)));
    return true;
}

IconHandle FakeWindowHost::LoadIcon(int resourceId, int cx, int cy) {
    m_log.Add("LoadIcon " + std::to_string(resourceId) + " " + std::to_string(cx) + "x" +
              std::to_string(cy));
    // Distinct handles per size, so a test can tell the window icon from the tray icon.
    return IconHandle{static_cast<std::uintptr_t>(resourceId * 1000 + cx)};
}

bool FakeWindowHost::SetTimer(Hwnd, std::uintptr_t id, unsigned milliseconds) {
    m_log.Add("SetTimer " + std::to_string(id) + " " + std::to_string(milliseconds));
    std::scoped_lock lock(m_mutex);
    m_timers[id] = Timer{milliseconds, m_now + milliseconds};
    return true;
}

bool FakeWindowHost::KillTimer(Hwnd, std::uintptr_t id) {
    m_log.Add("KillTimer " + std::to_string(id));
    std::scoped_lock lock(m_mutex);
    return m_timers.erase(id) != 0;
}

void FakeWindowHost::AdvanceClock(unsigned milliseconds) {
    const unsigned long long target = m_now + milliseconds;
    for (;;) {
        std::optional<std::uintptr_t> next;
        {
            std::scoped_lock lock(m_mutex);
            unsigned long long earliest = target + 1;
            for (const auto& [id, timer] : m_timers) {
                if (timer.due < earliest) {
                    earliest = timer.due;
                    next = id;
                }
            }
            if (!next) {
                m_now = target;
                return;
            }
            m_now = earliest;
            // Window timers repeat until killed.
            Timer& timer = m_timers[*next];
            timer.due += timer.period == 0 ? 1 : timer.period;
        }
        Deliver(win::kWmTimer, *next, 0);
    }
}

bool FakeWindowHost::TimerRunning(std::uintptr_t id) const {
    std::scoped_lock lock(m_mutex);
    return m_timers.contains(id);
}

std::optional<unsigned> FakeWindowHost::TimerPeriod(std::uintptr_t id) const {
    std::scoped_lock lock(m_mutex);
    const auto it = m_timers.find(id);
    return it == m_timers.end() ? std::nullopt : std::optional<unsigned>(it->second.period);
}

std::string FakeWindowHost::Text(int id) const {
    return Control(id).text;
}

void FakeWindowHost::SetText(int id, std::string text) {
    std::scoped_lock lock(m_mutex);
    m_controls[id].text = std::move(text);
}

FakeControl FakeWindowHost::Control(int id) const {
    std::scoped_lock lock(m_mutex);
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? FakeControl{} : it->second;
}

void FakeWindowHost::SetChecked(int id, bool checked) {
    std::scoped_lock lock(m_mutex);
    m_controls[id].checked = checked;
}

} // namespace hb::fakes
