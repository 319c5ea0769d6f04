// CHandsetBridgeDlg: the controller. One dialog object holds all of the program's state; its
// methods are defined in the folder of the subsystem that owns them (receiver/, keymap/,
// actions/, ui/).
#pragma once

#include "actions/KeyChords.h"
#include "actions/Tokenizer.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "framework/WinThread.h"
#include "receiver/DeviceRecord.h"
#include "receiver/DriverLayouts.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hb {

// Automatic resumes from sleep since the process started.
extern std::int32_t g_nResumeCount;

// Callback message of the tray icon.
inline constexpr unsigned WM_TRAYNOTIFY = win::kWmUser + 1;

// The one power request the program makes: hibernation, by force.
inline constexpr int kPowerHibernate = 4;

// Window timers of the controller.
inline constexpr std::uintptr_t kTimerRepeatGuard = 0;
inline constexpr std::uintptr_t kTimerMultiTap = 1;
inline constexpr std::uintptr_t kTimerResume = 2;
inline constexpr unsigned kGuardNormalMilliseconds = 200;
inline constexpr unsigned kGuardMessengerMilliseconds = 150;
inline constexpr unsigned kResumeRestartMilliseconds = 1000;

// How long tear-down waits for the capture thread to reach a safe point.
inline constexpr std::chrono::milliseconds kCaptureStopTimeout{2000};
// How long the capture thread pauses after a failed wait.
inline constexpr std::chrono::milliseconds kWaitFailurePause{100};

class CHandsetBridgeDlg : public CDialog {
public:
    explicit CHandsetBridgeDlg(platform::Platform& os);
    ~CHandsetBridgeDlg() override;

    // Capture thread entry; param is the controller.
    static unsigned CaptureThreadProc(void* param);

    // Members, in the order the controller's life cycle relies on. Cross-thread fields are
    // atomics; the selected filter is guarded by m_filterLock.
    CComboBox m_cbDevices;
    std::atomic<std::int32_t> m_nIrEventCount{0};
    IconHandle m_hIcon{};
    std::deque<std::string> m_deviceLabels;
    std::vector<std::unique_ptr<receiver::DeviceRecord>> m_devices;
    ComPtr<platform::IFilterPort> m_pSelectedFilter;
    std::unique_ptr<platform::IEvent> m_hIrEvent;
    receiver::IrEventData m_eventData{};
    std::atomic<std::int32_t> m_bRepeatGuard{0};
    std::int32_t m_nButtonCount = 0;
    std::int32_t m_nBoardAddress = 0;
    std::array<std::string, 100> m_strFunctionMap;
    std::array<std::string, 100> m_strButtonCode;
    std::unique_ptr<CWinThread> m_pCaptureThread;
    std::atomic<std::int32_t> m_bDispatchDisabled{0};
    std::int32_t m_bCapturing = 0;
    std::atomic<std::int32_t> m_bMessengerMode{0};
    std::atomic<std::int32_t> m_nTapGroup{0};
    std::atomic<std::uint8_t> m_chTapLetter{0};
    std::atomic<std::int32_t> m_bTapPending{0};
    platform::NotifyIconData m_nid{};
    CMenu m_menuTray;

    // Receiver discovery and selection.
    void BuildDeviceLabels(const std::vector<std::unique_ptr<receiver::DeviceRecord>>& devices);
    void OnSelchangeDevice();

    // Receiver event control.
    HResult SendKsEvent(void* event, std::uint32_t eventLength, void* data,
                        std::uint32_t dataLength);
    HResult SendKsProperty(void* property, std::uint32_t propertyLength, void* data,
                           std::uint32_t dataLength);
    [[nodiscard]] bool GetKsControl(ComPtr<platform::IKsControlPort>& control);
    void QueryRcNumber(platform::IKsControlPort& control);
    void OnStartStop();

    // Capture.
    void CaptureLoop();

    // Key map.
    int LoadKeyMap(bool bMessenger);

    // Dispatch of a received code string, and the two interpreters.
    void DispatchNormalCode(std::string codeString);
    void DispatchMessengerCode(std::string codeString);
    void InterpretFunction(std::string function);
    void InterpretFunctionMSN(std::string function);

    // Multi-tap letter entry.
    void TapGroupLetter(int group);
    void CommitTapLetter();

    // Special actions. PerformSpecialAction runs the first of TV, MSN and Sleep that the
    // tokens name and says whether one ran.
    bool PerformSpecialAction(const actions::FunctionTokens& tokens);
    bool LaunchMessenger();
    bool PowerControl(int kind);

    // Tray and exit paths.
    void AddTrayIcon();
    LResult OnTrayNotify(WParam wParam, LParam lParam);
    void OnExit();
    void OnTrayExit();
    void OnDestroy();

    // Timers and power notifications.
    void OnTimer(std::uintptr_t nIDEvent);

    // Status panel.
    void OnPaint();
    IconHandle OnQueryDragIcon();
    void OnStartStopSpare() {}

protected:
    [[nodiscard]] const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    LResult DefWindowProc(unsigned message, WParam wParam, LParam lParam) override;

private:
    // The filter requests go to, with a reference of the caller's own.
    [[nodiscard]] ComPtr<platform::IFilterPort> SelectedFilter();
    void StartCaptureThread();
    void DispatchCode(const std::string& codeString, bool messenger);
    // The function string of the first button whose code string equals codeString.
    [[nodiscard]] std::optional<std::string> FindButtonFunction(const std::string& codeString);
    actions::FunctionTokens Tokenize(std::string& function, actions::TokenizerMode mode);
    void SendStrokes(const std::vector<actions::KeyStroke>& strokes);
    void StopCaptureThread();

    std::mutex m_filterLock;
    std::mutex m_keyMapLock; // m_nButtonCount and both tables
    std::mutex m_tapLock;    // the multi-tap members, changed by both threads
    std::unique_ptr<platform::IEvent> m_hStopEvent;
    // Where the panel was before start-up hid it, to show it there again.
    Rect m_rcPanel{};
};

} // namespace hb
