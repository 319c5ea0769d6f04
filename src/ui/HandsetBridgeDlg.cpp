// The controller's life cycle: construction, the start-up sequence, tear-down, the message
// map, and the two paint handlers of the status panel.
#include "ui/HandsetBridgeDlg.h"

#include "framework/WinApp.h"
#include "receiver/Discovery.h"
#include "res/resource.h"
#include "ui/PanelText.h"

#include <array>

namespace hb {

CHandsetBridgeDlg::CHandsetBridgeDlg(platform::Platform& os)
    : CDialog(os, IDD_HANDSETBRIDGE_DIALOG), m_cbDevices(os), m_menuTray(os.shell) {
    m_hIcon = os.window.LoadIcon(IDR_MAINFRAME, 0, 0);
}

CHandsetBridgeDlg::~CHandsetBridgeDlg() {
    {
        std::scoped_lock lock(m_filterLock);
        m_pSelectedFilter.Reset();
    }
    StopCaptureThread();
    // The device records hold the filters' last references: release them while COM is still
    // initialised, since uninitialising may unload the servers that implement them.
    m_devices.clear();
    Os().com.CoUninitialize();
    if (m_nid.hIcon != IconHandle{}) {
        Os().window.DestroyIcon(m_nid.hIcon);
    }
}

const MessageMap* CHandsetBridgeDlg::GetMessageMap() const {
    using Self = CHandsetBridgeDlg;
    static constexpr MessageMapEntry entries[] = {
        HB_ON_WM_PAINT(Self),
        HB_ON_WM_TIMER(Self),
        HB_ON_WM_QUERYDRAGICON(Self),
        HB_ON_WM_DESTROY(Self),
        HB_ON_CBN_SELCHANGE(IDC_DEVICE_COMBO, Self, OnSelchangeDevice),
        HB_ON_BN_CLICKED(IDC_START_STOP, Self, OnStartStop),
        HB_ON_BN_CLICKED(IDC_START_STOP_SPARE, Self, OnStartStopSpare),
        HB_ON_BN_CLICKED(win::kIdOk, Self, OnExit),
        HB_ON_MESSAGE(WM_TRAYNOTIFY, Self, OnTrayNotify),
        HB_ON_COMMAND(ID_CLOSE_EXIT, Self, OnTrayExit),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

void CHandsetBridgeDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE_COMBO, m_cbDevices);
}

bool CHandsetBridgeDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SendMessage(win::kWmSetIcon, win::kIconBig, static_cast<LParam>(m_hIcon));
    SendMessage(win::kWmSetIcon, win::kIconSmall, static_cast<LParam>(m_hIcon));

    static_cast<void>(Os().com.CoInitialize());
    {
        std::scoped_lock lock(m_filterLock);
        m_pSelectedFilter.Reset();
    }

    static_cast<void>(receiver::FindFilterByName(Os(), receiver::kReceiverCategory, m_devices));

    m_rcPanel = GetWindowRect();
    const auto hide = [this] {
        SetWindowPos(win::kHwndNoTopMost, 0, 0, 0, 0, win::kSwpHideWindow);
        ShowWindow(win::kSwHide);
    };

    if (m_devices.empty()) {
        AfxMessageBox("No Device Filter found!", win::kMbIconHand | win::kMbOk);
        hide();
        // With nothing to do and no tray icon, a hidden process would only hold the
        // single-instance guard and silently turn away every later start: end the loop.
        EndDialog(win::kIdAbort);
        return false;
    }

    BuildDeviceLabels(m_devices);
    int index = 0;
    for (auto label = m_deviceLabels.rbegin(); label != m_deviceLabels.rend(); ++label) {
        m_cbDevices.InsertString(index++, *label);
    }
    m_cbDevices.SetCurSel(0);

    {
        std::scoped_lock lock(m_filterLock);
        m_pSelectedFilter = m_devices.front()->m_pFilter;
    }

    ComPtr<platform::IKsControlPort> control;
    if (!GetKsControl(control)) {
        return false;
    }
    QueryRcNumber(*control);

    StartCaptureThread();

    CheckRadioButton(IDC_RADIO_RC5, IDC_RADIO_RC6, IDC_RADIO_RC5);
    CheckRadioButton(IDC_RADIO_RC5_SPARE, IDC_RADIO_RC6_SPARE, IDC_RADIO_RC5_SPARE);

    OnStartStop();

    static_cast<void>(LoadKeyMap(m_bMessengerMode.load() != 0));

    AddTrayIcon();

    hide();
    return true;
}

void CHandsetBridgeDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    platform::IWindowHost& window = Os().window;
    const DcHandle dc = window.BeginPaint(m_hWnd);
    SendMessage(win::kWmIconEraseBkgnd, static_cast<WParam>(dc), 0);
    const int cxIcon = window.GetSystemMetrics(win::kSmCxIcon);
    const int cyIcon = window.GetSystemMetrics(win::kSmCyIcon);
    const Rect rect = GetClientRect();
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    window.DrawIcon(dc, x, y, m_hIcon);
    window.EndPaint(m_hWnd, dc);
}

IconHandle CHandsetBridgeDlg::OnQueryDragIcon() {
    return m_hIcon;
}

} // namespace hb
