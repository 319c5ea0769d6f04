// The application's start under the single-instance guard, the controller's start-up sequence
// with its two failure branches, and the order of tear-down.
#include "app/HandsetBridgeApp.h"
#include "res/resource.h"
#include "tests/fakes/FakePlatform.h"
#include "ui/HandsetBridgeDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace hb {
namespace {

using Log = std::vector<std::string>;

bool Contains(const Log& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

bool ContainsPrefix(const Log& log, const std::string& prefix) {
    return std::any_of(log.begin(), log.end(),
                       [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

// The entries from the first `from` to the first `to` after it, both included.
Log Between(const Log& log, const std::string& from, const std::string& to) {
    auto begin = std::find(log.begin(), log.end(), from);
    auto end = std::find(begin, log.end(), to);
    return end == log.end() ? Log(begin, log.end()) : Log(begin, end + 1);
}

class StartupTest : public ::testing::Test {
protected:
    fakes::FakeNamedObjects names;
    fakes::FakePlatform os{names};
    CHandsetBridgeApp app{os.platform};

    void AddReceiver(const std::string& name, bool hasKsControl = true) {
        os.devices.Add(
            {name, "\\\\?\\pci#ven_1&dev_2#4&1a2b&0&0010#{guid}", false, false, hasKsControl, {}});
    }
    CHandsetBridgeDlg& Dialog() { return *static_cast<CHandsetBridgeDlg*>(app.m_pMainWnd); }
    void ClickExit() { os.window.Deliver(win::kWmCommand, MakeWParam(win::kIdOk, 0), 0); }
};

TEST_F(StartupTest, CompleteStartRunsEveryStepInOrder) {
    AddReceiver("Receiver A");
    os.registry.SetString("software\\Quorvant\\V5120remote", "V5120remote", "C:\\HB\\");
    os.profile.Set("C:\\HB\\keymap.ini", "TotalButton", "Count", "1");
    Log atRest;
    os.window.Script([&] {
        atRest = os.log.Entries();
        EXPECT_FALSE(os.window.Visible());
        EXPECT_EQ(os.window.WindowRect(), (Rect{0, 0, 0, 0}));
        EXPECT_TRUE(os.shell.TrayIconPresent());
        EXPECT_TRUE(os.devices.Driver(0).EventEnabled());
        EXPECT_EQ(os.devices.Driver(0).EnabledEventHandle(), Dialog().m_hIrEvent->NativeHandle());
        EXPECT_EQ(Dialog().m_bCapturing, 1);
        EXPECT_EQ(os.kernel.RunningThreads(), 1);
        ClickExit();
    });
    EXPECT_EQ(AfxWinMain(app), 0);

    const Log expected = {
        "CreateMutex TV 2222(@_@)a owned",
        "LoadIcon 128 0x0", // the window icon, by the constructor
        "DoModal 102",
        "GetDlgItem 1002",                        // 1: data exchange binds the combo box
        "SendMessage dialog 0x0080 1",            // 2: big icon
        "SendMessage dialog 0x0080 0",            //    small icon
        "CoInitialize",                           // 3
        "CreateSystemDeviceEnum",                 // 5: discovery
        "InsertComboString 1002 0 0: Receiver A", // 7: labels by index
        "SendMessage 1002 0x014E 0",              //    select entry 0
        "KsProperty Receiver A",                  // 10: number of RC
        "SetDlgItemText 1003 3",
        "SetDlgItemText 1016 0x00000000",
        "CreateEvent auto",                // 11: the IR event
        "CreateEvent manual",              //     and the capture thread's stop event
        "BeginThread 0 0 0",               // 12
        "CheckRadioButton 1008 1009 1008", // 13
        "CheckRadioButton 1010 1011 1010",
        "KsEvent Receiver A enable", // 14: Start
        "SetDlgItemText 1016 0x0",
        "SetDlgItemText 1017 Stop",
        "RegOpenKeyEx software\\Quorvant\\V5120remote 1", // 15: the normal key map
        "RegQueryValueEx V5120remote 256",
        "RegCloseKey",
        "SetDlgItemText 1022 C:\\HB\\keymap.ini",
        "GetPrivateProfileInt TotalButton Count",
        "GetPrivateProfileInt BoardAdress Adress",
        "GetPrivateProfileString Button 1",
        "GetPrivateProfileString FunctionMap 1",
        "LoadIcon 128 16x16", // 16: tray
        "ShellNotifyIcon 0",
        "LoadMenu 130",
        "SetWindowPos -2 0 0 0 0 0x0080", // 17: hide
        "ShowWindow 0",
    };
    EXPECT_EQ(atRest, expected);

    // The enable request carries the RC5 protocol and the IR event's handle.
    const auto journal = os.devices.Driver(0).Journal();
    ASSERT_EQ(journal.size(), 3u); // RC number, enable, disable at exit
    receiver::IrEventData enabled{};
    ASSERT_EQ(journal[1].data.size(), sizeof enabled);
    std::memcpy(&enabled, journal[1].data.data(), sizeof enabled);
    EXPECT_EQ(enabled.Protocol, receiver::kProtocolRc5);
    EXPECT_EQ(enabled.EventData.NotificationType, receiver::kKsEventfEventHandle);
    EXPECT_EQ(journal[1].headLength, 24u);
    EXPECT_EQ(journal[1].dataLength, sizeof(receiver::IrEventData));
}

TEST_F(StartupTest, RcNumberQueryFillsTheDocumentedRequest) {
    AddReceiver("Receiver A");
    os.devices.Driver(0).rcNumber = 200;
    os.window.Script([&] {
        EXPECT_EQ(os.window.Text(IDC_RC_COUNT), "200");
        ClickExit();
    });
    AfxWinMain(app);
    const auto request = os.devices.Driver(0).Journal().at(0);
    ASSERT_EQ(request.request.size(), sizeof(receiver::RcNumberRequest));
    receiver::RcNumberRequest sent{};
    std::memcpy(&sent, request.request.data(), sizeof sent);
    EXPECT_EQ(sent.Property.Set, receiver::kKsPropSetRcNumber);
    EXPECT_EQ(sent.Property.Id, 0u);
    EXPECT_EQ(sent.Property.Flags, receiver::kKsPropertyTypeGet);
    EXPECT_EQ(sent.Parameter, 2048u);
    EXPECT_EQ(sent.Count, 1u);
    EXPECT_EQ(request.data, std::vector<std::uint8_t>{254}); // preset data byte, length 1
}

TEST_F(StartupTest, FailedRcNumberQueryShowsItsResultAndStartUpGoesOn) {
    AddReceiver("Receiver A");
    os.devices.Driver(0).results = {static_cast<HResult>(0x8007001Fu)};
    Log log;
    os.window.Script([&] {
        log = os.log.Entries();
        ClickExit();
    });
    AfxWinMain(app);
    EXPECT_TRUE(Contains(log, "SetDlgItemText 1003 0")); // the result byte was never written
    EXPECT_TRUE(Contains(log, "SetDlgItemText 1016 0x8007001F"));
    EXPECT_TRUE(Contains(log, "KsEvent Receiver A enable"));
    EXPECT_TRUE(Contains(log, "ShellNotifyIcon 0"));
}

TEST_F(StartupTest, WithoutADeviceTheProgramSaysSoAndEnds) {
    os.shell.onMessageBox = [&](const fakes::ShownMessageBox& box) {
        // Owned by the panel, which still exists while the box is open.
        EXPECT_EQ(box.owner, fakes::kFakeDialog);
        EXPECT_TRUE(os.window.DialogExists());
    };
    EXPECT_EQ(AfxWinMain(app), 0);
    const Log log = os.log.Entries();

    const auto boxes = os.shell.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No Device Filter found!");
    EXPECT_EQ(boxes[0].caption, "HandsetBridge");
    EXPECT_EQ(boxes[0].type, win::kMbIconHand | win::kMbOk);

    EXPECT_EQ(
        Between(log, "CreateSystemDeviceEnum", "DestroyWindow"),
        (Log{"CreateSystemDeviceEnum", "MessageBox No Device Filter found! | HandsetBridge | 16",
             "SetWindowPos -2 0 0 0 0 0x0080", "ShowWindow 0", "EndDialog 3", "ShellNotifyIcon 2",
             "DestroyWindow"}));
    for (const char* never : {"CreateEvent", "BeginThread", "KsProperty", "KsEvent",
                              "ShellNotifyIcon 0", "LoadMenu", "InsertComboString"}) {
        EXPECT_FALSE(ContainsPrefix(log, never)) << never;
    }
    // The loop ended by itself and the guard is gone: a later start is not turned away.
    EXPECT_FALSE(Contains(log, "DoModal: loop idle with nothing scripted"));
    EXPECT_EQ(names.OpenCount(kInstanceMutexName), 0);
}

TEST_F(StartupTest, WithoutAControlInterfaceThePanelStaysVisibleAndNothingStarts) {
    AddReceiver("Receiver A", /*hasKsControl=*/false);
    Log log;
    os.window.Script([&] {
        log = os.log.Entries();
        EXPECT_TRUE(os.window.Visible());
        EXPECT_NE(os.window.WindowRect(), (Rect{0, 0, 0, 0}));
        EXPECT_FALSE(os.shell.TrayIconPresent());
        ClickExit(); // the Exit button still ends it
    });
    AfxWinMain(app);

    const auto boxes = os.shell.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Couldn't get interface handle!");
    EXPECT_EQ(boxes[0].type, win::kMbIconHand | win::kMbOk);
    for (const char* never : {"CreateEvent", "BeginThread", "KsProperty", "KsEvent",
                              "ShellNotifyIcon 0", "LoadMenu", "SetWindowPos", "ShowWindow"}) {
        EXPECT_FALSE(ContainsPrefix(log, never)) << never;
    }
    // Ending the program while not capturing sends nothing to the driver.
    EXPECT_TRUE(os.devices.Driver(0).Journal().empty());
}

TEST_F(StartupTest, TearDownStopsTheCaptureThreadAndReleasesDevicesBeforeCom) {
    AddReceiver("Receiver A");
    AddReceiver("Receiver B");
    int liveFiltersAtUninitialize = -1;
    os.com.onUninitialize = [&] { liveFiltersAtUninitialize = os.devices.LiveFilters(); };
    os.window.Script([&] {
        EXPECT_EQ(os.devices.LiveFilters(), 2);
        ClickExit();
    });
    AfxWinMain(app);

    const Log log = os.log.Entries();
    EXPECT_EQ(Between(log, "DestroyWindow", "DestroyMenu"),
              (Log{"DestroyWindow", "ReleaseMutex", "CloseHandle mutex", "thread ended",
                   "CoUninitialize", "DestroyIcon 128016", "DestroyMenu"}));
    EXPECT_EQ(liveFiltersAtUninitialize, 0);
    EXPECT_EQ(os.kernel.TerminatedThreads(), 0);
    EXPECT_EQ(os.kernel.RunningThreads(), 0);
    EXPECT_EQ(os.com.initialized, 0);
}

TEST_F(StartupTest, SecondCopyIsTurnedAwaySilentlyAndALaterStartRuns) {
    AddReceiver("Receiver A");
    fakes::FakePlatform second(names);
    second.devices.Add({"Receiver A", "", false, false, true, {}});
    os.window.Script([&] {
        CHandsetBridgeApp secondApp(second.platform);
        EXPECT_EQ(AfxWinMain(secondApp), 0);
        // The first copy is untouched and still running.
        EXPECT_TRUE(os.window.DialogExists());
        EXPECT_EQ(names.OpenCount(kInstanceMutexName), 1);
        ClickExit();
    });
    AfxWinMain(app);
    EXPECT_EQ(second.log.Entries(), (Log{"CreateMutex TV 2222(@_@)a owned", "CloseHandle mutex"}));
    EXPECT_TRUE(second.shell.MessageBoxes().empty());

    fakes::FakePlatform third(names);
    third.devices.Add({"Receiver A", "", false, false, true, {}});
    third.window.Script([&] { third.window.Deliver(win::kWmCommand, MakeWParam(1, 0), 0); });
    CHandsetBridgeApp thirdApp(third.platform);
    AfxWinMain(thirdApp);
    EXPECT_TRUE(Contains(third.log.Entries(), "DoModal 102"));
}

TEST_F(StartupTest, WithoutAnEventNoThreadStartsAndStartUpGoesOn) {
    AddReceiver("Receiver A");
    os.kernel.failEventCreation = true;
    os.window.Script([&] {
        EXPECT_TRUE(os.shell.TrayIconPresent());
        EXPECT_FALSE(os.window.Visible());
        ClickExit();
    });
    AfxWinMain(app);
    const Log log = os.log.Entries();
    EXPECT_FALSE(ContainsPrefix(log, "BeginThread"));
    EXPECT_TRUE(Contains(log, "KsEvent Receiver A enable"));
}

TEST_F(StartupTest, AThreadThatCannotStartLeavesTheRestRunning) {
    AddReceiver("Receiver A");
    os.kernel.failThreadCreation = true;
    os.window.Script([&] {
        EXPECT_TRUE(os.shell.TrayIconPresent());
        ClickExit();
    });
    AfxWinMain(app);
    EXPECT_EQ(os.kernel.TerminatedThreads(), 0);
    EXPECT_TRUE(Contains(os.log.Entries(), "CoUninitialize"));
}

TEST_F(StartupTest, DevicesAreListedInEnumerationOrderAndTheFirstIsSelected) {
    for (const char* name : {"A", "B", "C"}) {
        AddReceiver(name);
    }
    os.window.Script([&] {
        const fakes::FakeControl combo = os.window.Control(IDC_DEVICE_COMBO);
        EXPECT_EQ(combo.items, (std::vector<std::string>{"0: A", "1: B", "2: C"}));
        EXPECT_EQ(combo.selection, 0);
        EXPECT_EQ(Dialog().m_pSelectedFilter, Dialog().m_devices[0]->m_pFilter);
        ClickExit();
    });
    AfxWinMain(app);
    EXPECT_TRUE(Contains(os.log.Entries(), "KsEvent A enable"));
}

TEST_F(StartupTest, PaintDrawsTheIconCentredOnlyWhenMinimized) {
    AddReceiver("Receiver A");
    struct Row {
        const char* name;
        Rect client;
        const char* draw; // expected DrawIcon entry; null: default processing
    };
    const Row rows[] = {
        {"not minimized", {0, 0, 100, 100}, nullptr},
        {"even sizes", {0, 0, 100, 60}, "DrawIcon 34 14 128000"},
        {"odd sizes round up", {0, 0, 101, 61}, "DrawIcon 35 15 128000"},
        {"smaller than the icon truncates toward zero", {0, 0, 10, 2}, "DrawIcon -10 -14 128000"},
    };
    os.window.Script([&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            os.log.Clear();
            os.window.SetIconic(row.draw != nullptr);
            os.window.SetClientRect(row.client);
            const auto defaultedBefore = os.window.DefaultProcessed().size();
            os.window.Deliver(win::kWmPaint);
            const Log log = os.log.Entries();
            if (row.draw == nullptr) {
                EXPECT_TRUE(log.empty());
                EXPECT_EQ(os.window.DefaultProcessed().size(), defaultedBefore + 1);
                EXPECT_EQ(os.window.DefaultProcessed().back(), win::kWmPaint);
            } else {
                EXPECT_EQ(log, (Log{"BeginPaint", "SendMessage dialog 0x0027 119", row.draw,
                                    "EndPaint"}));
            }
        }
        EXPECT_EQ(os.window.Deliver(win::kWmQueryDragIcon), 128000);
        ClickExit();
    });
    AfxWinMain(app);
}

} // namespace
} // namespace hb
