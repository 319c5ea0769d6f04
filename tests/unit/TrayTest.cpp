// The tray icon and its menu, the exit paths, and the recovery after a resume from sleep.
#include "app/HandsetBridgeApp.h"
#include "res/resource.h"
#include "tests/unit/ControllerFixture.h"

namespace hb::testing {
namespace {

using Log = std::vector<std::string>;

// The program running with one receiver and its key map, driven from inside its modal loop.
class RunningTest : public ::testing::Test {
protected:
    fakes::FakePlatform os;
    CHandsetBridgeApp app{os.platform};

    void SetUp() override {
        g_nResumeCount = 0;
        os.devices.Add({"Receiver A", "", false, false, true, {}});
        os.registry.SetString(kInstallKey, "V5120remote", kInstallFolder);
    }
    CHandsetBridgeDlg& Dialog() { return *static_cast<CHandsetBridgeDlg*>(app.m_pMainWnd); }
    fakes::FakeDriver& Driver() { return os.devices.Driver(0); }
    LResult Send(unsigned message, WParam wParam = 0, LParam lParam = 0) {
        return os.window.Deliver(message, wParam, lParam);
    }
    LResult Command(unsigned id) { return Send(win::kWmCommand, MakeWParam(id, 0), 0); }
    // Runs the program; `body` runs inside the modal loop and must end it. Returns the log
    // from the first entry `body` caused.
    Log Run(const std::function<void()>& body) {
        std::size_t from = 0;
        os.window.Script([&] {
            from = os.log.Size();
            body();
        });
        EXPECT_EQ(AfxWinMain(app), 0);
        const Log log = os.log.Entries();
        return Log(log.begin() + static_cast<std::ptrdiff_t>(from), log.end());
    }
    static std::size_t CountOf(const Log& log, const std::string& entry) {
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), entry));
    }
};

TEST_F(RunningTest, TrayIconAndMenu) {
    Run([&] {
        EXPECT_TRUE(os.shell.TrayIconPresent());
        const platform::NotifyIconData nid = os.shell.LastTrayData();
        EXPECT_EQ(nid.hWnd, fakes::kFakeDialog);
        EXPECT_EQ(nid.uID, 128u);
        EXPECT_EQ(nid.uFlags, 7u);
        EXPECT_EQ(nid.uCallbackMessage, 1025u);
        EXPECT_EQ(nid.hIcon, IconHandle{128016}); // the 16 x 16 image
        EXPECT_STREQ(nid.szTip, "V5120 remote");

        struct Row {
            const char* name;
            LParam mouse;
            std::size_t popups;
            bool visible;
        };
        const Row rows[] = {
            {"single click does nothing", win::kWmLButtonDblClk - 2, 0, false},
            {"mouse move does nothing", 0x0200, 0, false},
            {"right button down does nothing", 0x0204, 0, false},
            {"right button up opens the menu", win::kWmRButtonUp, 1, false},
            {"double click shows the panel", win::kWmLButtonDblClk, 1, true},
        };
        os.shell.SetCursor({300, 200});
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(Send(WM_TRAYNOTIFY, 128, row.mouse), 1);
            EXPECT_EQ(os.shell.Popups().size(), row.popups);
            EXPECT_EQ(os.window.Visible(), row.visible);
        }
        const fakes::TrackedPopup popup = os.shell.Popups().at(0);
        EXPECT_EQ(popup.flags, 10u);
        EXPECT_EQ(popup.x, 300);
        EXPECT_EQ(popup.y, 200);
        EXPECT_EQ(popup.owner, fakes::kFakeDialog);
        EXPECT_NE(popup.menu, MenuHandle{}); // popup 0 of menu 130
        // Shown at the template's place and size, not the zero size start-up left.
        EXPECT_EQ(os.window.WindowRect(), (Rect{0, 0, 815, 109}));
        Command(win::kIdOk);
    });
    EXPECT_EQ(os.shell.LiveMenus(), 0); // destroyed with the controller
}

TEST_F(RunningTest, ExitPaths) {
    struct Row {
        const char* name;
        unsigned command;
        bool capturing;
        bool confirms;
        bool disables;
    };
    const Row rows[] = {
        {"Exit button while capturing", win::kIdOk, true, false, true},
        {"Exit button after Stop", win::kIdOk, false, false, false},
        {"tray Exit while capturing", ID_CLOSE_EXIT, true, true, true},
        {"tray Exit after Stop", ID_CLOSE_EXIT, false, true, false},
        {"Escape leaves capture on", win::kIdCancel, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::FakePlatform machine;
        machine.devices.Add({"Receiver A", "", false, false, true, {}});
        CHandsetBridgeApp program(machine.platform);
        std::size_t from = 0;
        bool iconDuringBox = false;
        machine.shell.onMessageBox = [&](const fakes::ShownMessageBox&) {
            iconDuringBox = machine.shell.TrayIconPresent();
        };
        machine.window.Script([&] {
            if (!row.capturing) {
                machine.window.Deliver(win::kWmCommand, MakeWParam(IDC_START_STOP, 0), 0);
            }
            from = machine.log.Size();
            machine.window.Deliver(win::kWmCommand, MakeWParam(row.command, 0), 0);
        });
        AfxWinMain(program);
        const Log all = machine.log.Entries();
        const Log log(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());

        EXPECT_EQ(CountOf(log, "KsEvent Receiver A disable"), row.disables ? 1u : 0u);
        EXPECT_FALSE(machine.shell.TrayIconPresent());
        EXPECT_EQ(machine.names.OpenCount(kInstanceMutexName), 0);
        EXPECT_EQ(machine.kernel.RunningThreads(), 0);
        const auto boxes = machine.shell.MessageBoxes();
        ASSERT_EQ(boxes.size(), row.confirms ? 1u : 0u);
        if (row.confirms) {
            EXPECT_EQ(boxes[0].text, "V5120 Remote will be disable");
            EXPECT_EQ(boxes[0].caption, "HandsetBridge");
            EXPECT_EQ(boxes[0].type, win::kMbOk);
            EXPECT_EQ(boxes[0].owner, fakes::kFakeDialog);
            EXPECT_TRUE(iconDuringBox); // the icon goes only once the box is closed
            // The disable (if any) follows the box.
            const auto box = std::find_if(log.begin(), log.end(), [](const std::string& e) {
                return e.rfind("MessageBox", 0) == 0;
            });
            const auto disable = std::find(log.begin(), log.end(), "KsEvent Receiver A disable");
            EXPECT_TRUE(disable == log.end() || disable > box);
        }
    }
}

TEST_F(RunningTest, AFailingDisableOnExitIsShownAndTheExitGoesOn) {
    Run([&] {
        Driver().results = {static_cast<HResult>(0x8007001Fu)};
        Command(win::kIdOk);
        EXPECT_EQ(os.window.Text(IDC_STATUS), "0x8007001f");
    });
    EXPECT_FALSE(os.shell.TrayIconPresent());
    EXPECT_EQ(os.names.OpenCount(kInstanceMutexName), 0);
}

TEST_F(RunningTest, ResumeTogglesCaptureAndRestartsItASecondLater) {
    struct Row {
        const char* name;
        bool capturing;
        bool requestFails;
        const char* buttonAfterResume;
        const char* buttonAfterTimer;
        std::size_t requestsAtTimer;
    };
    const Row rows[] = {
        {"capturing, disable accepted", true, false, "Start", "Stop", 1},
        {"capturing, disable refused", true, true, "Stop", "Stop", 0},
        {"stopped, enable accepted", false, false, "Stop", "Stop", 0},
        {"stopped, enable refused", false, true, "Start", "Stop", 1},
    };
    Run([&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            if ((Dialog().m_bCapturing == 1) != row.capturing) {
                Command(IDC_START_STOP);
            }
            ASSERT_EQ(Dialog().m_bCapturing == 1, row.capturing);
            if (row.requestFails) {
                Driver().results = {kEFail};
            }
            Send(win::kWmPowerBroadcast, win::kPbtApmResumeAutomatic, 0);
            EXPECT_EQ(os.window.Text(IDC_INFO), "PBT_APMRESUMEAUTOMATIC");
            EXPECT_EQ(os.window.Text(IDC_START_STOP), row.buttonAfterResume);
            EXPECT_EQ(os.window.TimerPeriod(kTimerResume), 1000u);
            const std::size_t before = Driver().Journal().size();
            os.window.AdvanceClock(999);
            EXPECT_EQ(Driver().Journal().size(), before);
            os.window.AdvanceClock(1);
            EXPECT_EQ(Driver().Journal().size() - before, row.requestsAtTimer);
            EXPECT_EQ(os.window.Text(IDC_START_STOP), row.buttonAfterTimer);
            EXPECT_FALSE(os.window.TimerRunning(kTimerResume));
        }
        EXPECT_EQ(os.window.Text(IDC_RESUME_COUNT), "4");
        Command(win::kIdOk);
    });
}

TEST_F(RunningTest, TwoQuickResumesCountTwiceAndRestartTheSecond) {
    Run([&] {
        Send(win::kWmPowerBroadcast, win::kPbtApmResumeAutomatic, 0);
        EXPECT_EQ(os.window.Text(IDC_RESUME_COUNT), "1");
        os.window.AdvanceClock(500);
        Send(win::kWmPowerBroadcast, win::kPbtApmResumeAutomatic, 0); // enables again at once
        EXPECT_EQ(os.window.Text(IDC_RESUME_COUNT), "2");
        EXPECT_EQ(os.window.Text(IDC_START_STOP), "Stop");
        Send(win::kWmPowerBroadcast, win::kPbtApmResumeAutomatic, 0);
        EXPECT_EQ(os.window.Text(IDC_START_STOP), "Start");
        os.window.AdvanceClock(999); // the period restarted with the last resume
        EXPECT_EQ(os.window.Text(IDC_START_STOP), "Start");
        os.window.AdvanceClock(1);
        EXPECT_EQ(os.window.Text(IDC_START_STOP), "Stop");
        Command(win::kIdOk);
    });
}

TEST_F(RunningTest, OtherPowerEventsAndTimersOnlyReachDefaultProcessing) {
    Run([&] {
        const std::size_t requests = Driver().Journal().size();
        const std::size_t defaulted = os.window.DefaultProcessed().size();
        for (const WParam event : {WParam{4}, WParam{7}, WParam{10}, WParam{0x8013}}) {
            Send(win::kWmPowerBroadcast, event, 0);
        }
        Send(win::kWmTimer, 3, 0);
        EXPECT_EQ(Driver().Journal().size(), requests);
        EXPECT_EQ(os.window.Text(IDC_INFO), "");
        EXPECT_EQ(os.window.DefaultProcessed().size(), defaulted + 5);
        Command(win::kIdOk);
    });
}

} // namespace
} // namespace hb::testing
