// The three special actions: back to the normal key map, the messenger, hibernation.
#include "tests/unit/ControllerFixture.h"

namespace hb::testing {
namespace {

class SpecialActionsTest : public ControllerTest {
protected:
    void SetUp() override {
        SetInstallFolder();
        WriteKeyMap(1, {"0x01"}, {"Enter"});
        WriteKeyMap(1, {"0x01"}, {"Shift+Left+A"}, "FunctionMapMSN");
        os.registry.SetString(kMessengerKey, "Path", "C:\\Program Files\\Messenger\\");
    }
    static actions::FunctionTokens Tokens(bool tv, bool msn, bool sleep) {
        actions::FunctionTokens tokens;
        tokens.bTV = tv;
        tokens.bMSN = msn;
        tokens.bSleep = sleep;
        return tokens;
    }
};

TEST_F(SpecialActionsTest, OnlyTheFirstActionNamedRuns) {
    struct Row {
        const char* name;
        bool tv, msn, sleep;
        bool ran;
        bool messengerStarted;
        bool powerRequested;
        int modeAfter;
    };
    const Row rows[] = {
        {"none", false, false, false, false, false, false, 1},
        {"TV", true, false, false, true, false, false, 0},
        {"TV wins over MSN and Sleep", true, true, true, true, false, false, 0},
        {"MSN wins over Sleep", false, true, true, true, true, false, 1},
        {"Sleep alone", false, false, true, true, false, true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        os.log.Clear();
        os.process.started.clear();
        os.power.requests.clear();
        dlg.m_bMessengerMode = 1;
        EXPECT_EQ(dlg.PerformSpecialAction(Tokens(row.tv, row.msn, row.sleep)), row.ran);
        EXPECT_EQ(!os.process.started.empty(), row.messengerStarted);
        EXPECT_EQ(LogWith("FindWindow").empty(), !row.messengerStarted);
        EXPECT_EQ(!os.power.requests.empty(), row.powerRequested);
        EXPECT_EQ(dlg.m_bMessengerMode, row.modeAfter);
    }
}

TEST_F(SpecialActionsTest, TvReloadsTheNormalMap) {
    dlg.m_bMessengerMode = 1;
    ASSERT_EQ(dlg.LoadKeyMap(true), 1);
    os.profile.Set(kKeyMapPath, "FunctionMap", "1", "F5"); // edited since the last load
    dlg.PerformSpecialAction(Tokens(true, false, false));
    EXPECT_EQ(dlg.m_bMessengerMode, 0);
    EXPECT_EQ(dlg.m_strFunctionMap[1], "F5");
}

TEST_F(SpecialActionsTest, MessengerIsBroughtForwardThenStartedQuotedAndItsMapLoaded) {
    struct Row {
        const char* name;
        bool windowExists;
        const char* folder;
        const char* commandLine;
    };
    const Row rows[] = {
        {"window found", true, "C:\\Program Files\\Messenger\\",
         "\"C:\\Program Files\\Messenger\\msnmsgr.exe\""},
        {"no window: started all the same", false, "C:\\Program Files\\Messenger\\",
         "\"C:\\Program Files\\Messenger\\msnmsgr.exe\""},
        {"folder without separator is used as written", false, "C:\\Messenger",
         "\"C:\\Messengermsnmsgr.exe\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        os.log.Clear();
        os.process.windows.clear();
        if (row.windowExists) {
            os.process.windows["Windows Live Messenger"] = Hwnd{0x99};
        }
        os.registry.SetString(kMessengerKey, "Path", row.folder);
        dlg.m_bMessengerMode = 0;
        EXPECT_TRUE(dlg.LaunchMessenger());
        std::vector<std::string> expected{"FindWindow Windows Live Messenger"};
        if (row.windowExists) {
            expected.insert(expected.end(), {"SetForegroundWindow", "SetFocus"});
        }
        expected.insert(expected.end(), {"RegOpenKeyEx " + std::string(kMessengerKey) + " 1",
                                         "RegQueryValueEx Path 256", "RegCloseKey",
                                         "WinExec " + std::string(row.commandLine) + " 5"});
        const auto log = os.log.Entries();
        EXPECT_EQ(std::vector<std::string>(
                      log.begin(), log.begin() + static_cast<std::ptrdiff_t>(expected.size())),
                  expected);
        EXPECT_EQ(dlg.m_bMessengerMode, 1);
        EXPECT_EQ(dlg.m_strFunctionMap[1], "Shift+Left+A");
        EXPECT_EQ(dlg.m_bDispatchDisabled, 0);
    }
}

TEST_F(SpecialActionsTest, WithoutTheMessengerEntryNothingStartsAndDispatchStops) {
    os.registry.Remove(kMessengerKey, "Path");
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_FALSE(dlg.LaunchMessenger());
    EXPECT_EQ(dlg.m_bDispatchDisabled, 1);
    EXPECT_EQ(dlg.m_bMessengerMode, 0);
    EXPECT_EQ(dlg.m_strFunctionMap[1], "Enter");
    EXPECT_TRUE(os.process.started.empty());
}

TEST_F(SpecialActionsTest, HibernationNeedsTheShutdownPrivilege) {
    struct Row {
        const char* name;
        bool tokenOpens;
        bool privilegeHeld;
        bool result;
    };
    const Row rows[] = {
        {"privilege held: hibernate by force", true, true, true},
        {"privilege not held: no request", true, false, false},
        {"token can't be opened: no request", false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        os.log.Clear();
        os.power.requests.clear();
        os.power.tokenOpens = row.tokenOpens;
        os.power.privilegeHeld = row.privilegeHeld;
        EXPECT_EQ(dlg.PowerControl(kPowerHibernate), row.result);
        if (row.result) {
            EXPECT_EQ(os.log.Entries(),
                      (std::vector<std::string>{
                          "OpenProcessToken 40", "LookupPrivilegeValue SeShutdownPrivilege",
                          "AdjustTokenPrivileges 0 19 2", "SetSystemPowerState hibernate force"}));
        } else {
            EXPECT_TRUE(os.power.requests.empty());
        }
    }
}

} // namespace
} // namespace hb::testing
