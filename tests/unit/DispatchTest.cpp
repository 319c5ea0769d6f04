// The dispatchers: code string to button to interpreter, behind the repeat guard.
#include "res/resource.h"
#include "tests/unit/ControllerFixture.h"
#include "tests/unit/KeyScript.h"

#include <atomic>
#include <thread>

namespace hb::testing {
namespace {

class DispatchTest : public ControllerTest {
protected:
    void SetUp() override {
        SetInstallFolder();
        WriteKeyMap(4, {"0x10", "0x11", "0x1a", "0x10"}, {"Enter", "Up", "Down", "Left"});
        WriteKeyMap(4, {"0x10", "0x11", "0x1a", "0x10"}, {"Shift+Left+A", "TV", "", ""},
                    "FunctionMapMSN");
        ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    }
    // Sends a code and returns the key events it caused.
    std::vector<fakes::KeyEvent> Press(const char* code, bool messenger = false) {
        os.keyboard.ClearEvents();
        if (messenger) {
            dlg.DispatchMessengerCode(code);
        } else {
            dlg.DispatchNormalCode(code);
        }
        return os.keyboard.Events();
    }
};

TEST_F(DispatchTest, HoldingAButtonActsOncePerGuardPeriod) {
    EXPECT_EQ(Press("0x10"), Keys("Enter+ Enter-"));
    EXPECT_EQ(os.window.TimerPeriod(kTimerRepeatGuard), 200u);
    os.window.AdvanceClock(50);
    EXPECT_EQ(Press("0x10"), Keys("")); // a repeat within the period is dropped
    EXPECT_EQ(Press("0x11"), Keys("")); // and so is any other button
    os.window.AdvanceClock(149);
    EXPECT_EQ(Press("0x10"), Keys(""));
    os.window.AdvanceClock(1); // timer 0 fires once and stops itself
    EXPECT_FALSE(os.window.TimerRunning(kTimerRepeatGuard));
    EXPECT_EQ(Press("0x11"), Keys("Up+ Up-"));
}

TEST_F(DispatchTest, OnlyExactCodeStringsMatchAndTheLowestButtonWins) {
    struct Row {
        const char* code;
        const char* keys;
    };
    const Row rows[] = {
        {"0x10", "Enter+ Enter-"}, // buttons 1 and 4 share it: button 1 wins
        {"0x1A", ""},              // the file wrote 0x1a: never matches
        {"0x1a", "Down+ Down-"},
        {"0x010", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(Press(row.code), Keys(row.keys));
        os.window.AdvanceClock(1000);
    }
}

TEST_F(DispatchTest, ACodeWithoutAButtonLeavesTheGuardDown) {
    EXPECT_EQ(Press("0x7F"), Keys(""));
    EXPECT_EQ(dlg.m_bRepeatGuard, 0);
    EXPECT_FALSE(os.window.TimerRunning(kTimerRepeatGuard));
    EXPECT_EQ(Press("0x11"), Keys("Up+ Up-"));
}

TEST_F(DispatchTest, NoButtonsNoAction) {
    WriteKeyMap(0, {}, {});
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(Press("0x10"), Keys(""));
    EXPECT_EQ(os.window.Text(IDC_KEY_COUNT), "");
}

TEST_F(DispatchTest, ThePeriodIsTheMatchingDispatchersEvenAcrossAModeSwitch) {
    os.registry.SetString(kMessengerKey, "Path", "C:\\M\\");
    WriteKeyMap(4, {"0x10", "0x11", "0x1a", "0x10"}, {"MSN", "Up", "Down", "Left"});
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);

    Press("0x10"); // normal mode: MSN switches to messenger mode
    EXPECT_EQ(dlg.m_bMessengerMode, 1);
    EXPECT_EQ(os.window.TimerPeriod(kTimerRepeatGuard), 200u);
    os.window.AdvanceClock(200);

    Press("0x11", true); // messenger mode: TV switches back
    EXPECT_EQ(dlg.m_bMessengerMode, 0);
    EXPECT_EQ(os.window.TimerPeriod(kTimerRepeatGuard), 150u);
    os.window.AdvanceClock(150);
    EXPECT_EQ(Press("0x11"), Keys("Up+ Up-")); // the normal map is back
}

// The capture thread dispatches while the window's thread fires the guard and multi-tap
// timers: the shared fields are touched from both sides (run under ThreadSanitizer too).
TEST_F(DispatchTest, CaptureAndWindowThreadsShareTheGuardAndTapState) {
    ASSERT_EQ(dlg.LoadKeyMap(true), 1);
    std::atomic<bool> done{false};
    std::thread capture([&] {
        for (int i = 0; i < 300; ++i) {
            dlg.DispatchMessengerCode("0x10"); // Shift+Left+A: a tap and a chord
            std::this_thread::yield();
        }
        done = true;
    });
    int ticks = 0;
    while (!done) {
        os.window.AdvanceClock(50);
        ++ticks;
        std::this_thread::yield();
    }
    capture.join();
    os.window.AdvanceClock(1000); // the last letter's commit
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(dlg.m_nTapGroup, 0);
    EXPECT_EQ(dlg.m_bRepeatGuard, 0);
    EXPECT_TRUE(os.keyboard.KeysDown().empty());
    EXPECT_FALSE(os.keyboard.Events().empty());
}

} // namespace
} // namespace hb::testing
